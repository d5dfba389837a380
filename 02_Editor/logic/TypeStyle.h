// The style mark of a service type as the type editor shows it: "", "B", "I" or "B&I".
#pragma once

#include <string_view>

namespace v42 {

// 0 normal, 1 bold, 2 italic, 3 bold italic.
int StyleNumber(bool bold, bool italic);
// The mark of a style number; empty for a number outside 0..3.
const char* StyleMark(int style);
// The double-click's step: normal → bold → italic → bold italic → normal.
int NextStyle(std::string_view mark);

struct FontStyle {
  bool Bold = false;
  bool Italic = false;
  bool operator==(const FontStyle&) const = default;
};
// What OK stores for a mark: an unknown non-empty mark counts as both.
FontStyle StyleOfMark(std::string_view mark);
FontStyle StyleOfNumber(int style);

}  // namespace v42
