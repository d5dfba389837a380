// velkan42.ini: the clock's settings.
#pragma once

#include <filesystem>

#include "Model.h"

namespace v42 {

inline constexpr const char* kIniFileName = "velkan42.ini";

void SetIniDefaults(IniSettings& settings);

// Loads appFolder/velkan42.ini over what settings hold; a missing file is created with the
// defaults. A line that is neither CP932 nor UTF-8 is ignored. Throws FileError.
void ReadIniFile(IniSettings& settings, const std::filesystem::path& appFolder);

// The settings as the clock reads them, over the defaults, for a program or a dialog that only
// looks: a missing file leaves the defaults and is not created. Throws FileError.
IniSettings ReadIniOverDefaults(const std::filesystem::path& appFolder);

// Replaces appFolder/velkan42.ini safely, under the files' lock. Lines it does not write
// (comments, blank lines, keys of other versions) stay where they were; a file that cannot be
// read or is not text is not replaced. Throws FileError.
void WriteIniFile(const IniSettings& settings, const std::filesystem::path& appFolder);

// The same, writing only the settings' own lines: for a conversion that replaces a version 1
// settings file of the same name, whose lines must not stay.
void ReplaceIniFile(const IniSettings& settings, const std::filesystem::path& appFolder);

}  // namespace v42
