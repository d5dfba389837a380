// What the editor's text boxes let in, so that a saved file can never break.
#pragma once

#include <string_view>

namespace v42 {

inline constexpr int kTitleMaxChars = 20;
inline constexpr int kTypeNameMaxChars = 9;

// False when the text holds a character the data file reserves (">", "<", ","), a line break
// or other control character, or a character CP932 cannot hold.
bool IsStorableText(std::string_view utf8);

}  // namespace v42
