// Where the suite keeps velkan42.dat and velkan42.ini: one decision for every program.
#pragma once

#include <filesystem>

namespace v42 {

// The executable's folder when it already holds velkan42.dat or velkan42.ini (the portable
// layout); otherwise $XDG_DATA_HOME/velkan42, by default ~/.local/share/velkan42, created on
// first use. Without HOME the executable's folder is all there is.
std::filesystem::path ResolveAppFolder(const std::filesystem::path& executableFolder);

}  // namespace v42
