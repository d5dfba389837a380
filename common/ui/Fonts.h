// The fonts the windows are designed in, mapped to Japanese fonts installed here.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

class QLabel;

namespace v42 {

inline constexpr const char* kMsGothic = "ＭＳ ゴシック";     // monospace
inline constexpr const char* kMsPGothic = "ＭＳ Ｐゴシック";  // proportional

// The family that stands in for a design font: "ＭＳ ゴシック" → "Noto Sans Mono CJK JP",
// "ＭＳ Ｐゴシック" → "Noto Sans CJK JP"; any other name is passed through.
QString MappedFamily(const QString& designFamily);

// A font of that design family and point size, with a Japanese fallback should the mapped
// family be missing.
QFont DesignFont(const QString& designFamily, double pointSize);
QFont GothicFont(double pointSize = 9);   // "ＭＳ ゴシック"
QFont PGothicFont(double pointSize = 9);  // "ＭＳ Ｐゴシック"

// Noto CJK sets its lines taller than the design fonts did, so text placed at a designed top
// stands lower and can touch the control below. This lifts a label's text by that extra
// leading and sizes the label to its text. Call it once, after placing the label.
void FitLabelToDesign(QLabel* label);

// For labels whose box must keep its designed place: a line taller than the box gets the
// room it needs, grown evenly above and below.
void GrowToLineHeight(QLabel* label);
// A text wider than its box gets a smaller size (never below 6 pt), then the line height.
void FitText(QLabel* label);
// The same for a label whose text changes: sized so that its widest text fits.
void FitText(QLabel* label, const QString& widest);

}  // namespace v42
