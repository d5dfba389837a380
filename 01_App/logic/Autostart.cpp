#include "Autostart.h"

#include <cstdlib>

#include "SafeFile.h"

namespace v42 {

namespace {

const std::string kEntryName = std::string(kClockDesktopId) + ".desktop";

// An argument of Exec: quoted, with the quoting rule's escapes and then the string value's
// escape of the backslash, so that any path starts the program it names.
std::string ExecArgument(const std::string& path) {
  std::string quoted = "\"";
  for (const char c : path) {
    if (c == '\n' || c == '\r') {
      throw WriteFailure(
          "ログイン時の起動を設定できませんでした。\n"
          "プログラムの場所に改行が含まれています。");
    }
    if (c == '"' || c == '`' || c == '$') quoted += "\\\\";
    if (c == '\\') quoted += "\\\\\\";
    if (c == '%') quoted += '%';  // a field code otherwise
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

std::filesystem::path AutostartFile() {
  std::filesystem::path config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
    config = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    config = std::filesystem::path(home) / ".config";
  } else {
    return {};
  }
  return config / "autostart" / kEntryName;
}

std::string AutostartEntry(const std::filesystem::path& executable) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Velkan42\n"
         "Name[ja]=ベルカン 42\n"
         "Comment=Timetable clock for the departures of your stop\n"
         "Comment[ja]=バス・電車の時刻表時計\n"
         "Exec=" +
         ExecArgument(executable.string()) +
         "\n"
         "Icon=" +
         kClockDesktopId +
         "\n"
         "Terminal=false\n";
}

bool StartsAtLogin() {
  const std::filesystem::path file = AutostartFile();
  std::error_code ec;
  if (file.empty() || !std::filesystem::is_regular_file(file, ec)) return false;
  try {
    return ReadFileBytes(file).find("\nHidden=true") == std::string::npos;
  } catch (const FileError&) {
    return false;
  }
}

void SetStartAtLogin(bool on, const std::filesystem::path& executable) {
  const std::filesystem::path file = AutostartFile();
  if (file.empty()) {
    throw WriteFailure("ログイン時の起動を設定できませんでした。\nホームフォルダが分かりません。");
  }
  std::error_code ec;
  if (!on) {
    if (!std::filesystem::remove(file, ec) && ec) {
      throw WriteFailure("ログイン時の起動を取り消せませんでした。\n" + file.string());
    }
    return;
  }
  const std::string entry = AutostartEntry(executable);
  std::filesystem::create_directories(file.parent_path(), ec);
  ReplaceFile(file, entry);
}

}  // namespace v42
