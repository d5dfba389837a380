// The editor's modal windows: a fixed border with a close box. Esc and the close box do what
// Cancel does, Enter what OK does (a focused button is pressed instead).
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

  // Esc or the close box; Cancel by default.
  virtual void CancelRequested() { CloseWithCancel(); }
  // Enter where no widget took it; nothing by default.
  virtual void ConfirmRequested() {}

  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool closing_ = false;
};

}  // namespace v42
