#include "TextBoxRules.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "InputRules.h"

namespace v42 {

QValidator::State StorableTextValidator::validate(QString& input, int&) const {
  return IsStorableText(input.toStdString()) ? Acceptable : Invalid;
}

void MakeNameBox(QLineEdit* box, int maxChars) {
  // Every character CP932 holds is a single UTF-16 unit, so the box's length is characters.
  box->setMaxLength(maxChars);
  box->setValidator(new StorableTextValidator(box));
}

void MakeTwoDigitBox(QLineEdit* box) {
  box->setMaxLength(2);
  box->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}")), box));
}

void NoDefaultButtons(QWidget* window) {
  for (auto* button : window->findChildren<QPushButton*>()) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
}

}  // namespace v42
