// Where the suite keeps velkan42.dat and velkan42.ini: one decision for every program.
#pragma once

#include <filesystem>
#include <string>

namespace v42 {

// The executable's folder when it already holds velkan42.dat or velkan42.ini (the portable
// layout); otherwise $XDG_DATA_HOME/velkan42, by default ~/.local/share/velkan42. Without HOME
// the executable's folder is all there is. Nothing is created: looking is not writing.
std::filesystem::path ResolveAppFolder(const std::filesystem::path& executableFolder);

// Makes the folder (and its parents) when it is missing, just before something is written
// there. A folder that cannot be made shows up as the writer's own message.
void MakeAppFolder(const std::filesystem::path& appFolder);

// The line the version boxes show on hover, so a user can find the files: "保存先: <folder>".
std::string AppFolderNote(const std::filesystem::path& appFolder);

}  // namespace v42
