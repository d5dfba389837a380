// OLE colours (0x00BBGGRR) at the Qt boundary.
#pragma once

#include <QColor>

#include "Model.h"

namespace v42 {

QColor ToQColor(Color ole);
Color FromQColor(const QColor& color);

}  // namespace v42
