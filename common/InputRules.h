// What a title or a kind's name may hold, so that a saved file can never break: the editor's
// text boxes and the importer keep to the same rules.
#pragma once

#include <string_view>

namespace v42 {

inline constexpr int kTitleMaxChars = 20;
inline constexpr int kTypeNameMaxChars = 9;
inline constexpr int kCommentMaxChars = 10;  // the clock's three comments

// False when the text holds a character the data file reserves (">", "<", ","), a line break
// or other control character, or a character CP932 cannot hold.
bool IsStorableText(std::string_view utf8);

}  // namespace v42
