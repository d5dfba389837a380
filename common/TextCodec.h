// CP932 (Windows Japanese) at the file boundary; UTF-8 everywhere in memory.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace v42 {

// nullopt when the bytes are not valid CP932.
std::optional<std::string> Cp932ToUtf8(std::string_view cp932);

// nullopt when the text holds a character CP932 cannot represent.
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

// How the bytes of a file a user brings are read. The programs write CP932, but a file saved
// from a Linux text editor is UTF-8: one that starts with a byte order mark counts as UTF-8,
// and so does valid UTF-8 holding non-ASCII text unless it is also valid CP932 and its UTF-8
// reading needs a two-byte sequence (half-width katakana in CP932 look like those); anything
// else is CP932.
enum class FileEncoding { Cp932, Utf8 };
FileEncoding DetectEncoding(std::string_view bytes);

// The bytes as UTF-8 text without a leading byte order mark; nullopt when they are not valid
// in that encoding. UTF-8 text comes back storable: a character CP932 cannot hold becomes
// "〓" and a byte order mark inside the text is dropped.
std::optional<std::string> DecodeText(std::string_view bytes, FileEncoding encoding);

// For input boxes: true when every character of the text can be stored in a file.
bool IsCp932Representable(std::string_view utf8);

// The first character (as UTF-8) that CP932 cannot hold; empty when there is none.
std::string FirstUnrepresentable(std::string_view utf8);

// The character that starts at pos (one code point of valid UTF-8; a stray byte alone),
// advancing pos past it; empty at the end of the text.
std::string_view NextUtf8Char(std::string_view utf8, std::size_t& pos);

// True when CP932 stores the character in two bytes: everything beyond ASCII except the
// half-width katakana.
bool IsDoubleByteChar(std::string_view utf8Char);

}  // namespace v42
