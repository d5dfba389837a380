#include "InputRules.h"

#include "TextCodec.h"

namespace v42 {

bool IsStorableText(std::string_view utf8) {
  for (unsigned char c : utf8)
    if (c == '>' || c == '<' || c == ',' || c < 0x20 || c == 0x7F) return false;
  return IsCp932Representable(utf8);
}

}  // namespace v42
