// OLE colours (0x00BBGGRR) at the Qt boundary.
#pragma once

#include <QColor>
#include <QPalette>

#include "Model.h"

class QWidget;

namespace v42 {

QColor ToQColor(Color ole);
Color FromQColor(const QColor& color);

// Gives one colour role of a widget's palette an OLE colour.
void SetPaletteColor(QWidget* widget, QPalette::ColorRole role, Color ole);

}  // namespace v42
