#include "TextBoxRules.h"

#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "InputRules.h"

namespace v42 {

namespace {
constexpr const char* kLimitProperty = "v42MaxChars";

// The box's length limit: its own, or the length of a longer text it already holds.
void FitMaxLength(QLineEdit* box) {
  const int limit = box->property(kLimitProperty).toInt();
  const int wanted = std::max(limit, static_cast<int>(box->text().size()));
  if (limit <= 0 || box->maxLength() == wanted) return;
  // Changing the limit puts the caret at the end; keep it where the user left it.
  const int cursor = box->cursorPosition();
  box->setMaxLength(wanted);
  box->setCursorPosition(cursor);
}
}  // namespace

QValidator::State StorableTextValidator::validate(QString& input, int&) const {
  return IsStorableText(input.toStdString()) ? Acceptable : Invalid;
}

void MakeNameBox(QLineEdit* box, int maxChars) {
  // Every character CP932 holds is a single UTF-16 unit, so the box's length is characters.
  box->setMaxLength(maxChars);
  box->setProperty(kLimitProperty, maxChars);
  box->setValidator(new StorableTextValidator(box));
  QObject::connect(box, &QLineEdit::textChanged, box, [box] { FitMaxLength(box); });
}

void SetBoxText(QLineEdit* box, const QString& text) {
  const int limit = box->property(kLimitProperty).toInt();
  if (limit > 0) box->setMaxLength(std::max(limit, static_cast<int>(text.size())));
  box->setText(text);
}

QValidator::State TwoDigitValidator::validate(QString& input, int&) const {
  // The input method may still be on after a Japanese title: its digits are digits too.
  for (QChar& ch : input)
    if (ch.unicode() >= 0xFF10 && ch.unicode() <= 0xFF19) ch = QChar('0' + (ch.unicode() - 0xFF10));
  if (input.size() > 2) return Invalid;
  for (const QChar ch : input)
    if (ch < QChar('0') || ch > QChar('9')) return Invalid;
  return Acceptable;
}

void MakeTwoDigitBox(QLineEdit* box) {
  box->setMaxLength(2);
  box->setProperty(kLimitProperty, 2);
  QObject::connect(box, &QLineEdit::textChanged, box, [box] { FitMaxLength(box); });
  box->setValidator(new TwoDigitValidator(box));
}

void NoDefaultButtons(QWidget* window) {
  for (auto* button : window->findChildren<QPushButton*>()) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
}

}  // namespace v42
