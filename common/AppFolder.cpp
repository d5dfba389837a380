#include "AppFolder.h"

#include <cstdlib>
#include <string_view>

#include "DataFile.h"
#include "IniFile.h"

namespace v42 {

namespace {

// A file there that cannot be read (a link loop, no permission) still makes the folder the
// files' folder: the programs then say what is wrong with it instead of looking elsewhere.
bool IsPortable(const std::filesystem::path& folder) {
  return FileExists(folder / kDataFileName) || FileExists(folder / kIniFileName);
}

// The base folder of user data as the XDG base directory rules define it: a relative
// XDG_DATA_HOME is to be ignored.
std::filesystem::path DataHome() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && std::filesystem::path(xdg).is_absolute()) return xdg;
  const char* home = std::getenv("HOME");
  if (home == nullptr || std::string_view(home).empty()) return {};
  return std::filesystem::path(home) / ".local" / "share";
}

}  // namespace

std::filesystem::path ResolveAppFolder(const std::filesystem::path& executableFolder) {
  if (IsPortable(executableFolder)) return executableFolder;
  const std::filesystem::path base = DataHome();
  if (base.empty()) return executableFolder;
  return base / "velkan42";
}

void MakeAppFolder(const std::filesystem::path& appFolder) {
  std::error_code ec;
  std::filesystem::create_directories(appFolder, ec);
}

std::string AppFolderNote(const std::filesystem::path& appFolder) {
  return "保存先: " + appFolder.string();
}

}  // namespace v42
