#include "Fonts.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <algorithm>

namespace v42 {

QString MappedFamily(const QString& designFamily) {
  if (designFamily == QString::fromUtf8(kMsGothic)) return QStringLiteral("Noto Sans Mono CJK JP");
  if (designFamily == QString::fromUtf8(kMsPGothic)) return QStringLiteral("Noto Sans CJK JP");
  return designFamily;
}

QFont DesignFont(const QString& designFamily, double pointSize) {
  QFont font;
  font.setFamilies(QStringList{MappedFamily(designFamily), QStringLiteral("Noto Sans CJK JP"),
                               QStringLiteral("IPAGothic"), QStringLiteral("sans-serif")});
  font.setPointSizeF(pointSize);
  if (designFamily == QString::fromUtf8(kMsGothic)) font.setStyleHint(QFont::Monospace);
  return font;
}

QFont GothicFont(double pointSize) { return DesignFont(QString::fromUtf8(kMsGothic), pointSize); }
QFont PGothicFont(double pointSize) { return DesignFont(QString::fromUtf8(kMsPGothic), pointSize); }

void FitLabelToDesign(QLabel* label) {
  label->resize(label->sizeHint());
  // Half the line's height beyond the em, rounded up: the ideographs then stand where the
  // design font drew them. Qt takes no negative contents margins, so the label moves up.
  const int lead = std::max(0, (label->height() - QFontInfo(label->font()).pixelSize() + 1) / 2);
  label->move(label->x(), label->y() - lead);
}

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
