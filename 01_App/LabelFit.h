// The Japanese fonts standing in for the design fonts are wider and taller than those the
// windows were measured for; these keep a label's text whole.
#pragma once

class QLabel;

namespace v42 {

// A line taller than its box gets the room it needs, grown evenly above and below.
void GrowToLineHeight(QLabel* label);
// A text wider than its box gets a smaller size (never below 6 pt), then the line height.
void FitText(QLabel* label);

}  // namespace v42
