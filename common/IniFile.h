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

// Replaces appFolder/velkan42.ini safely. Throws FileError.
void WriteIniFile(const IniSettings& settings, const std::filesystem::path& appFolder);

}  // namespace v42
