// V42Import: adds a stop's timetable from a GTFS feed to velkan42.dat, or finds stops.
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <iostream>

#include "AppFolder.h"
#include "ImportCommand.h"

int main(int argc, char** argv) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  v42::gtfs::CommandContext context;
  context.Today = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
  context.AppFolder = [] {
    // Asked for only when a timetable is about to be written there.
    const std::filesystem::path folder =
        v42::ResolveAppFolder(std::filesystem::canonical("/proc/self/exe").parent_path());
    v42::MakeAppFolder(folder);
    return folder;
  };
  return v42::gtfs::RunImportCommand({argv + 1, argv + argc}, context, std::cout, std::cerr);
}
