// Key filters of the editor's text boxes, as validators so that pasted text obeys them too.
#pragma once

#include <QValidator>

class QLineEdit;

namespace v42 {

// Refuses any edit that would put a character into the box that the data file cannot hold.
class StorableTextValidator : public QValidator {
  Q_OBJECT

 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override;
};

// Up to two digits; full-width digits become their ASCII ones.
class TwoDigitValidator : public QValidator {
  Q_OBJECT

 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override;
};

// A title or type name box: at most maxChars characters, only storable ones.
void MakeNameBox(QLineEdit* box, int maxChars);

// Puts a text into a box. A longer text than the box lets a user type (the file may hold one)
// stays whole; the box only refuses to let it grow.
void SetBoxText(QLineEdit* box, const QString& text);

// A number box: at most two digits "0" to "9" (full-width ones typed become these).
void MakeTwoDigitBox(QLineEdit* box);

// Buttons of the editor never act on Enter by themselves.
void NoDefaultButtons(QWidget* window);

}  // namespace v42
