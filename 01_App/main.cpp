#include <QApplication>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "AppFolder.h"
#include "ClockStatus.h"
#include "EndOnSignals.h"
#include "QtJapanese.h"
#include "basVelkan42.h"

namespace {

// The status command runs before any QApplication exists: it needs no display, and it does not
// take the running clock's lock.
int StatusCommand(const std::vector<std::string>& args, const char* argv0) {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) exe = std::filesystem::absolute(argv0, ec);
  const std::time_t seconds = std::time(nullptr);
  std::tm local{};
  localtime_r(&seconds, &local);
  const v42::ClockTime now{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                           local.tm_hour,        local.tm_min,     local.tm_sec};
  return v42::RunStatusCommand(args, v42::ResolveAppFolder(exe.parent_path()), now, std::cout,
                               std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (v42::IsStatusCommand(args)) return StatusCommand(args, argv[0]);
  QApplication app(argc, argv);
  v42::EndOnSignals();
  v42::InstallQtJapanese();
  QApplication::setApplicationName(v42::kProgramName);
  const std::filesystem::path folder =
      v42::ResolveAppFolder(QApplication::applicationDirPath().toStdString());
  return v42::basVelkan42_Main(app, folder);
}
