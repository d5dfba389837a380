#include "OleColor.h"

#include <QWidget>

namespace v42 {

QColor ToQColor(Color ole) { return QColor(ole & 0xFF, (ole >> 8) & 0xFF, (ole >> 16) & 0xFF); }

Color FromQColor(const QColor& color) {
  return static_cast<Color>(color.red() | (color.green() << 8) | (color.blue() << 16));
}

void SetPaletteColor(QWidget* widget, QPalette::ColorRole role, Color ole) {
  QPalette palette = widget->palette();
  palette.setColor(role, ToQColor(ole));
  widget->setPalette(palette);
}

}  // namespace v42
