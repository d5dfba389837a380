// Whole-file reads and writes that never leave a half-written file in place of a good one.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "Model.h"

namespace v42 {

// The error of a save that did not happen: caption "ファイル書込エラー", the program goes on.
FileError WriteFailure(const std::string& message);

// Raw bytes of a file; throws FileError (file-existence caption) when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& file);

// Writes to a temporary file in the same folder, flushes it and renames it over the target.
// On any failure the old file stays as it was, no temporary file is left, and FileError says
// what failed, in Japanese. A symbolic link is kept and the file it leads to is replaced.
// A save makes the process ignore SIGXFSZ (unless it has a handler of its own), so a file size
// limit fails the save instead of killing the program.
void ReplaceFile(const std::filesystem::path& file, std::string_view bytes);

// Encodes UTF-8 text to CP932 and replaces the file; a character CP932 cannot hold is a
// FileError, never written as something else.
void ReplaceTextFile(const std::filesystem::path& file, std::string_view utf8Text);

}  // namespace v42
