// CP932 (Windows Japanese) at the file boundary; UTF-8 everywhere in memory.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace v42 {

// nullopt when the bytes are not valid CP932.
std::optional<std::string> Cp932ToUtf8(std::string_view cp932);

// nullopt when the text holds a character CP932 cannot represent.
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

// For input boxes: true when every character of the text can be stored in a file.
bool IsCp932Representable(std::string_view utf8);

}  // namespace v42
