// A frame as the windows were designed: an etched border whose top edge runs through the
// middle of the caption, the caption standing in a gap of that edge. Qt's own group box puts
// the caption above a border that starts lower, so controls placed at their designed tops
// would sit on the border or the caption.
#pragma once

#include <QGroupBox>

namespace v42 {

class EtchedFrame : public QGroupBox {
  Q_OBJECT

 public:
  using QGroupBox::QGroupBox;

  // The top edge of the border in pixels: half the caption's height, or 0 with no caption.
  int BorderTop() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace v42
