#include "LabelFit.h"

#include <QFontMetrics>
#include <QLabel>

namespace v42 {

void GrowToLineHeight(QLabel* label) {
  const int need = QFontMetrics(label->font()).height();
  if (label->height() < need)
    label->setGeometry(label->x(), label->y() - (need - label->height()) / 2, label->width(), need);
}

void FitText(QLabel* label) {
  QFont font = label->font();
  while (font.pointSizeF() > 6 &&
         QFontMetrics(font).horizontalAdvance(label->text()) > label->width())
    font.setPointSizeF(font.pointSizeF() - 0.5);
  label->setFont(font);
  GrowToLineHeight(label);
}

}  // namespace v42
