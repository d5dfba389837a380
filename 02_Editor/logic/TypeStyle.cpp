#include "TypeStyle.h"

namespace v42 {

int StyleNumber(bool bold, bool italic) { return (bold ? 1 : 0) + (italic ? 2 : 0); }

const char* StyleMark(int style) {
  switch (style) {
    case 1:
      return "B";
    case 2:
      return "I";
    case 3:
      return "B&I";
    default:
      return "";
  }
}

int NextStyle(std::string_view mark) {
  if (mark.empty()) return 1;
  if (mark == "B") return 2;
  if (mark == "I") return 3;
  return 0;
}

FontStyle StyleOfMark(std::string_view mark) {
  if (mark.empty()) return {};
  if (mark == "B") return {true, false};
  if (mark == "I") return {false, true};
  return {true, true};
}

FontStyle StyleOfNumber(int style) { return {style == 1 || style == 3, style == 2 || style == 3}; }

}  // namespace v42
