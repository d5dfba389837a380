// Every message box of the suite goes through here, so that a test can record the boxes
// (text, caption, icon) and answer them instead of blocking on a window.
#pragma once

#include <QMessageBox>
#include <string>
#include <vector>

class QWidget;

namespace v42 {

enum class MsgIcon { None, Critical, Information, Warning, Question };

struct MessageCall {
  std::string Text;
  std::string Caption;
  MsgIcon Icon = MsgIcon::None;
  QMessageBox::StandardButtons Buttons = QMessageBox::Ok;
  std::string ToolTip;
  std::vector<std::string> Choices;  // the buttons of ShowChoice
};

// Shows a modal box; returns the button pressed. Text, caption and tool tip are UTF-8.
QMessageBox::StandardButton ShowMessage(QWidget* parent, const std::string& text,
                                        const std::string& caption, MsgIcon icon,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                        const std::string& toolTip = {});

// Shows a modal box with one button per choice, in order, the first the default; returns the
// index of the pressed one. Escape, closing the box or the program ending pick the last.
int ShowChoice(QWidget* parent, const std::string& text, const std::string& caption, MsgIcon icon,
               const std::vector<std::string>& choices);

// The test seam. While recording, no box is shown: each call is appended to Calls() and
// answered with the next queued answer, or with the first of its buttons when none is queued;
// a ShowChoice call with the next queued choice, or as Escape would when none is queued.
class MessageBoxSeam {
 public:
  static void StartRecording();
  static void StopRecording();  // also forgets calls and answers
  static bool Recording();
  static const std::vector<MessageCall>& Calls();
  static void ClearCalls();
  static void QueueAnswer(QMessageBox::StandardButton answer);
  static void QueueChoice(int index);
};

}  // namespace v42
