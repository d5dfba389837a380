#include "FirstStart.h"

#include "AppFolder.h"
#include "DataFile.h"

namespace v42 {

std::filesystem::path SampleFolder(const std::filesystem::path& executableFolder) {
  for (const std::filesystem::path& folder :
       {executableFolder.parent_path() / "share" / "velkan42", executableFolder / "examples"}) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(folder / kDataFileName, ec)) return folder;
  }
  return {};
}

bool NeedsFirstStart(const std::filesystem::path& appFolder) {
  std::error_code ec;
  return !std::filesystem::exists(std::filesystem::symlink_status(appFolder / kDataFileName, ec));
}

void StartFromSample(const std::filesystem::path& sampleFolder,
                     const std::filesystem::path& appFolder) {
  // Read and written again rather than copied: the new file is checked on the way and
  // replaces nothing half-written.
  TimetableStore store;
  ReadDataFile(store, sampleFolder);
  MakeAppFolder(appFolder);
  WriteDataFile(store, appFolder);
}

void StartEmpty(const std::filesystem::path& appFolder) {
  TimetableStore store;
  store.Records[0].Title = "新規データ";
  store.Count = 1;
  MakeAppFolder(appFolder);
  WriteDataFile(store, appFolder);
}

}  // namespace v42
