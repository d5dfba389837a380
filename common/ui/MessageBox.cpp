#include "MessageBox.h"

#include <deque>

namespace v42 {

namespace {
struct SeamState {
  bool Recording = false;
  std::vector<MessageCall> Calls;
  std::deque<QMessageBox::StandardButton> Answers;
};
SeamState& Seam() {
  static SeamState state;
  return state;
}

QMessageBox::Icon QtIcon(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Critical:
      return QMessageBox::Critical;
    case MsgIcon::Information:
      return QMessageBox::Information;
    case MsgIcon::Warning:
      return QMessageBox::Warning;
    case MsgIcon::Question:
      return QMessageBox::Question;
    case MsgIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButton FirstButton(QMessageBox::StandardButtons buttons) {
  for (unsigned bit = QMessageBox::FirstButton; bit <= QMessageBox::LastButton; bit <<= 1) {
    if (buttons.testFlag(static_cast<QMessageBox::StandardButton>(bit))) {
      return static_cast<QMessageBox::StandardButton>(bit);
    }
  }
  return QMessageBox::Ok;
}
}  // namespace

QMessageBox::StandardButton ShowMessage(QWidget* parent, const std::string& text,
                                        const std::string& caption, MsgIcon icon,
                                        QMessageBox::StandardButtons buttons,
                                        const std::string& toolTip) {
  SeamState& seam = Seam();
  if (seam.Recording) {
    seam.Calls.push_back({text, caption, icon, buttons, toolTip});
    if (seam.Answers.empty()) return FirstButton(buttons);
    const auto answer = seam.Answers.front();
    seam.Answers.pop_front();
    return answer;
  }
  // Messages break lines with a bare carriage return, as they always did.
  QString shown = QString::fromStdString(text);
  shown.replace(QLatin1String("\r\n"), QLatin1String("\n"))
      .replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QMessageBox box(QtIcon(icon), QString::fromStdString(caption), shown, buttons, parent);
  box.setToolTip(QString::fromStdString(toolTip));
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MessageBoxSeam::StartRecording() { Seam().Recording = true; }
void MessageBoxSeam::StopRecording() { Seam() = SeamState{}; }
bool MessageBoxSeam::Recording() { return Seam().Recording; }
const std::vector<MessageCall>& MessageBoxSeam::Calls() { return Seam().Calls; }
void MessageBoxSeam::ClearCalls() { Seam().Calls.clear(); }
void MessageBoxSeam::QueueAnswer(QMessageBox::StandardButton answer) {
  Seam().Answers.push_back(answer);
}

}  // namespace v42
