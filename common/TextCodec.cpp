#include "TextCodec.h"

namespace v42 {

std::optional<std::string> Cp932ToUtf8(std::string_view cp932) { return std::string(cp932); }
std::optional<std::string> Utf8ToCp932(std::string_view utf8) { return std::string(utf8); }
bool IsCp932Representable(std::string_view utf8) { return Utf8ToCp932(utf8).has_value(); }

}  // namespace v42
