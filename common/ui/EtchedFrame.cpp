#include "EtchedFrame.h"

#include <QFontMetrics>
#include <QPainter>

#include "OleColor.h"
#include "Twips.h"

namespace v42 {

int EtchedFrame::BorderTop() const {
  return title().isEmpty() ? 0 : QFontMetrics(font()).height() / 2;
}

void EtchedFrame::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect box = rect().adjusted(0, BorderTop(), -2, -2);
  painter.setPen(ToQColor(0x808080));
  painter.drawRect(box);
  painter.setPen(ToQColor(0xFFFFFF));
  painter.drawRect(box.translated(1, 1));
  if (title().isEmpty()) return;
  // A caption of blanks still leaves its gap: a control may be laid over it.
  const QFontMetrics metrics(font());
  const QRect caption(TwipsToPixelsX(90), 0, metrics.horizontalAdvance(title()), metrics.height());
  painter.fillRect(caption, palette().color(QPalette::Window));
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter, title());
}

}  // namespace v42
