#include "OleColor.h"

namespace v42 {

QColor ToQColor(Color ole) { return QColor(ole & 0xFF, (ole >> 8) & 0xFF, (ole >> 16) & 0xFF); }

Color FromQColor(const QColor& color) {
  return static_cast<Color>(color.red() | (color.green() << 8) | (color.blue() << 16));
}

}  // namespace v42
