#include "InputRules.h"

#include "DataFormat.h"

namespace v42 {

bool IsStorableText(std::string_view utf8) {
  // Stricter than the file itself: no tab or other control character is typed into a title.
  for (unsigned char c : utf8)
    if (c < 0x20 || c == 0x7F) return false;
  return IsStorableFieldText(utf8);
}

}  // namespace v42
