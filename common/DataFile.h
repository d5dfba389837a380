// velkan42.dat: the timetables of all three programs.
#pragma once

#include <filesystem>

#include "Model.h"

namespace v42 {

inline constexpr const char* kDataFileName = "velkan42.dat";

// True when the file can be opened for reading.
bool FileExists(const std::filesystem::path& file);

// Loads appFolder/velkan42.dat; raises MaxSlot/MaxRows, never lowers them. Throws FileError.
void ReadDataFile(TimetableStore& store, const std::filesystem::path& appFolder);

// Replaces appFolder/velkan42.dat safely; the old file survives any failure. Throws FileError.
void WriteDataFile(const TimetableStore& store, const std::filesystem::path& appFolder);

}  // namespace v42
