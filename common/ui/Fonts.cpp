#include "Fonts.h"

#include <QFontDatabase>
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

namespace {

// The Japanese gothic families Debian ships, fixed-width ones first for the monospace design
// font, then every other Japanese family installed (a mincho last): without Noto CJK the
// clock's digits must not come from a Latin font of other widths.
QStringList JapaneseFamilies(bool monospace) {
  static const QStringList kFixed = {"Noto Sans Mono CJK JP", "IPAGothic", "VL Gothic",
                                     "TakaoGothic"};
  static const QStringList kProportional = {"Noto Sans CJK JP",    "IPAPGothic",
                                            "VL PGothic",          "TakaoPGothic",
                                            "Droid Sans Japanese", "Droid Sans Fallback"};
  static const QStringList installed = [] {
    QStringList gothic, mincho;
    for (const QString& family : QFontDatabase::families(QFontDatabase::Japanese)) {
      const bool serif = family.contains("Mincho", Qt::CaseInsensitive) ||
                         family.contains("Serif", Qt::CaseInsensitive) || family.contains("明朝");
      (serif ? mincho : gothic) << family;
    }
    return gothic + mincho;
  }();
  QStringList families = monospace ? kFixed + kProportional : kProportional + kFixed;
  for (const QString& family : installed)
    if (!families.contains(family)) families << family;
  return families;
}

}  // namespace

QFont DesignFont(const QString& designFamily, double pointSize) {
  QFont font;
  const bool monospace = designFamily == QString::fromUtf8(kMsGothic);
  QStringList families{MappedFamily(designFamily)};
  for (const QString& family : JapaneseFamilies(monospace))
    if (!families.contains(family)) families << family;
  font.setFamilies(families << QStringLiteral("sans-serif"));
  font.setPointSizeF(pointSize);
  if (monospace) font.setStyleHint(QFont::Monospace);
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

void FitText(QLabel* label) { FitText(label, label->text()); }

void FitText(QLabel* label, const QString& widest) {
  QFont font = label->font();
  while (font.pointSizeF() > 6 &&
         QFontMetrics(font).horizontalAdvance(widest) > label->contentsRect().width())
    font.setPointSizeF(font.pointSizeF() - 0.5);
  label->setFont(font);
  GrowToLineHeight(label);
}

}  // namespace v42
