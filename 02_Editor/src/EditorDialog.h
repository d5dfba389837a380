// The editor's modal windows: a fixed border without a control box, closed only through their
// own OK and Cancel buttons (Esc and the window manager's close do nothing).
#pragma once

#include <QDialog>

namespace v42 {

class EditorDialog : public QDialog {
  Q_OBJECT

 public:
  explicit EditorDialog(QWidget* parent);

  // Opens the window modally over its parent without blocking the caller; `finished` reports
  // the closing.
  void ShowModal();

 public slots:
  void reject() override;

 protected:
  // What the OK and Cancel buttons call.
  void CloseWithOk();
  void CloseWithCancel();

 private:
  bool closing_ = false;
};

}  // namespace v42
