// Whole-file reads and writes that never leave a half-written file in place of a good one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "Model.h"

namespace v42 {

// The error of a save that did not happen: caption "ファイル書込エラー", the program goes on.
FileError WriteFailure(const std::string& message);

// The largest shared file any program reads. Nine timetables filled in every cell, with the
// longest titles and kind names, come to some 40 KB and a settings file to a few hundred bytes,
// so 1 MB is far beyond anything the programs write, yet small enough to read at once.
inline constexpr std::uintmax_t kMaxSharedFileBytes = 1024 * 1024;

// The error of a file that is there but cannot be read (permission, a link loop, a folder of
// that name, an I/O error): caption "ファイル読込エラー"; the message names the file and why.
FileError UnreadableFileError(const std::filesystem::path& file, int err);

// Raw bytes of a file. Only a file that does not exist throws the file-existence error; one
// that cannot be read throws UnreadableFileError, and one larger than maxBytes is refused as
// damaged before it is read.
std::string ReadFileBytes(const std::filesystem::path& file,
                          std::uintmax_t maxBytes = kMaxSharedFileBytes);

// Writes to a temporary file in the same folder, flushes it and renames it over the target.
// On any failure the old file stays as it was, no temporary file is left, and FileError says
// what failed, in Japanese. A symbolic link is kept and the file it leads to is replaced.
// The new file gets the owner, group and mode of the one it replaces; where they cannot be
// set (another user's file) the save is refused. Temporary files that killed saves of the
// same file left behind are removed once old enough that no save can still be writing them.
// A save makes the process ignore SIGXFSZ (unless it has a handler of its own), so a file size
// limit fails the save instead of killing the program.
void ReplaceFile(const std::filesystem::path& file, std::string_view bytes);

// Encodes UTF-8 text to CP932 and replaces the file; a character CP932 cannot hold is a
// FileError, never written as something else.
void ReplaceTextFile(const std::filesystem::path& file, std::string_view utf8Text);

}  // namespace v42
