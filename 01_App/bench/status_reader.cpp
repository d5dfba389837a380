// The yardstick for `Velkan42 --status`: a program without Qt that reads the same two files
// from the current folder and prints one line about them.
#include <cstdio>
#include <filesystem>

#include "DataFile.h"
#include "IniFile.h"

int main() {
  try {
    v42::TimetableStore store;
    v42::ReadDataFile(store, std::filesystem::current_path());
    const v42::IniSettings settings = v42::ReadIniOverDefaults(std::filesystem::current_path());
    std::printf("%d %s %d\n", store.Count, store.Records[0].Title.c_str(), settings.MoveTimes_Min);
  } catch (const v42::FileError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
