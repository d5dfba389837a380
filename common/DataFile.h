// velkan42.dat: the timetables of all three programs.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "Model.h"

namespace v42 {

inline constexpr const char* kDataFileName = "velkan42.dat";

// False only when the file does not exist: one that is there but cannot be read is not
// missing, and nothing may be created in its place.
bool FileExists(const std::filesystem::path& file);

// Loads appFolder/velkan42.dat; raises MaxSlot/MaxRows, never lowers them. Throws FileError:
// the missing-file error only for a file that does not exist, UnreadableFileError for one that
// cannot be read, and the format error for a damaged one (too large, a NUL byte, no section
// lines, a title or kind name longer than its box).
void ReadDataFile(TimetableStore& store, const std::filesystem::path& appFolder);

// The same from the file's bytes, for a copy kept elsewhere (the editor's recovery file).
void ParseDataFile(TimetableStore& store, std::string_view bytes);
// The file's text (UTF-8, CR LF) as WriteDataFile writes it. Throws FileError.
std::string FormatDataFile(const TimetableStore& store);

// Replaces appFolder/velkan42.dat safely; the old file survives any failure. Throws FileError.
void WriteDataFile(const TimetableStore& store, const std::filesystem::path& appFolder);

}  // namespace v42
