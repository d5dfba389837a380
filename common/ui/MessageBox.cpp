#include "MessageBox.h"

#include <QAbstractButton>
#include <QPushButton>
#include <algorithm>
#include <deque>
#include <utility>

namespace v42 {

namespace {
struct SeamState {
  bool Recording = false;
  std::vector<MessageCall> Calls;
  std::deque<QMessageBox::StandardButton> Answers;
  std::deque<int> Choices;
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
// Messages break lines with a bare carriage return, as they always did.
QString Shown(const std::string& text) {
  QString shown = QString::fromStdString(text);
  return shown.replace(QLatin1String("\r\n"), QLatin1String("\n"))
      .replace(QLatin1Char('\r'), QLatin1Char('\n'));
}
}  // namespace

QMessageBox::StandardButton ShowMessage(QWidget* parent, const std::string& text,
                                        const std::string& caption, MsgIcon icon,
                                        QMessageBox::StandardButtons buttons,
                                        const std::string& toolTip) {
  SeamState& seam = Seam();
  if (seam.Recording) {
    seam.Calls.push_back({text, caption, icon, buttons, toolTip, {}});
    if (seam.Answers.empty()) return FirstButton(buttons);
    const auto answer = seam.Answers.front();
    seam.Answers.pop_front();
    return answer;
  }
  QMessageBox box(QtIcon(icon), QString::fromStdString(caption), Shown(text), buttons, parent);
  // The suite speaks Japanese whatever translations the system has.
  static const std::pair<QMessageBox::StandardButton, const char*> kLabels[] = {
      {QMessageBox::Yes, "はい"}, {QMessageBox::No, "いいえ"}, {QMessageBox::Cancel, "キャンセル"}};
  for (const auto& [button, label] : kLabels)
    if (QAbstractButton* shownButton = box.button(button))
      shownButton->setText(QString::fromUtf8(label));
  box.setToolTip(QString::fromStdString(toolTip));
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

int ShowChoice(QWidget* parent, const std::string& text, const std::string& caption, MsgIcon icon,
               const std::vector<std::string>& choices) {
  SeamState& seam = Seam();
  if (seam.Recording) {
    seam.Calls.push_back({text, caption, icon, QMessageBox::NoButton, {}, choices});
    if (seam.Choices.empty()) return static_cast<int>(choices.size()) - 1;
    const int choice = seam.Choices.front();
    seam.Choices.pop_front();
    return choice;
  }
  QMessageBox box(QtIcon(icon), QString::fromStdString(caption), Shown(text), QMessageBox::NoButton,
                  parent);
  std::vector<QAbstractButton*> buttons;
  for (std::size_t i = 0; i < choices.size(); ++i) {
    const bool last = i + 1 == choices.size();
    buttons.push_back(box.addButton(QString::fromStdString(choices[i]),
                                    last ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
  }
  box.setDefaultButton(qobject_cast<QPushButton*>(buttons.front()));
  box.setEscapeButton(buttons.back());
  box.exec();
  const auto pressed = std::find(buttons.begin(), buttons.end(), box.clickedButton());
  return static_cast<int>((pressed == buttons.end() ? buttons.end() - 1 : pressed) -
                          buttons.begin());
}

void MessageBoxSeam::StartRecording() { Seam().Recording = true; }
void MessageBoxSeam::StopRecording() { Seam() = SeamState{}; }
bool MessageBoxSeam::Recording() { return Seam().Recording; }
const std::vector<MessageCall>& MessageBoxSeam::Calls() { return Seam().Calls; }
void MessageBoxSeam::ClearCalls() { Seam().Calls.clear(); }
void MessageBoxSeam::QueueAnswer(QMessageBox::StandardButton answer) {
  Seam().Answers.push_back(answer);
}
void MessageBoxSeam::QueueChoice(int index) { Seam().Choices.push_back(index); }

}  // namespace v42
