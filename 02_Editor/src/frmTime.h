// The hour range dialog: the start hour and the number of hours of the timetable being edited.
#pragma once

#include <array>

#include "EditorContext.h"
#include "EditorDialog.h"

class QLineEdit;

namespace v42 {

class frmTime : public EditorDialog {
  Q_OBJECT

 public:
  frmTime(EditorContext& context, QWidget* parent);

 protected:
  void ConfirmRequested() override { cmdAct_Click(0); }
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Form_Load();
  void cmdAct_Click(int index);

  EditorContext& ctx_;
  std::array<QLineEdit*, 2> txtHour_{};
};

}  // namespace v42
