// Version 1 files: "Data00.dat" (departures only) and the quoted settings file that also
// held the one list of service types shared by every timetable.
#pragma once

#include <filesystem>

#include "Model.h"

namespace v42 {

inline constexpr const char* kV1DataFileName = "Data00.dat";

// Loads appFolder/Data00.dat: titles and departures, Count. Types and colours are left as
// they are. Throws FileError ("data00.dat" missing or malformed).
void ReadV1Data(TimetableStore& store, const std::filesystem::path& appFolder);

// Loads the version 1 settings into `settings` (defaults first) and copies the type list
// into every loaded timetable of `store`; needs Count from ReadV1Data. A missing file
// leaves the defaults. Throws FileError for a malformed file.
void ReadV1Settings(IniSettings& settings, TimetableStore& store,
                    const std::filesystem::path& settingsFile);

// Replaces appFolder/Data00.dat safely with timetables 0..Count-1. Throws FileError.
void WriteV1Data(const TimetableStore& store, const std::filesystem::path& appFolder);

// Replaces settingsFile safely with the version 1 settings and the types of timetable 0.
// Throws FileError.
void WriteV1Settings(const IniSettings& settings, const TimetableStore& store,
                     const std::filesystem::path& settingsFile);

}  // namespace v42
