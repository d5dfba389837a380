#include "DiskChanges.h"

#include <algorithm>

#include "DataFile.h"
#include "SafeFile.h"

namespace v42 {

DiskSnapshot TakeSnapshot(const std::filesystem::path& appFolder) {
  const auto file = appFolder / kDataFileName;
  if (!FileExists(file)) return {};
  return {true, ReadFileBytes(file)};
}

DiskComparison CompareWithDisk(const DiskSnapshot& then, const TimetableStore& read,
                               const std::filesystem::path& appFolder) {
  DiskComparison result;
  try {
    result.Now = TakeSnapshot(appFolder);
  } catch (const FileError&) {
    result.Change = DiskChange::Other;
    return result;
  }
  if (result.Now.Exists) {
    try {
      ParseDataFile(result.OnDisk, result.Now.Bytes);
      result.Readable = true;
    } catch (const FileError&) {
    }
  }
  if (result.Now == then) return result;
  result.Change = DiskChange::Other;
  if (!result.Readable) return result;
  const int readCount = then.Exists ? read.Count : 0;
  if (result.OnDisk.Count > readCount &&
      std::equal(read.Records.begin(), read.Records.begin() + readCount,
                 result.OnDisk.Records.begin())) {
    result.Change = DiskChange::Appended;
    result.Appended = result.OnDisk.Count - readCount;
  }
  return result;
}

void WriteRecovery(const TimetableStore& store, const std::filesystem::path& appFolder) {
  ReplaceTextFile(appFolder / kRecoveryFileName, FormatDataFile(store));
}

bool ReadRecovery(TimetableStore& store, const std::filesystem::path& appFolder) {
  try {
    ParseDataFile(store, ReadFileBytes(appFolder / kRecoveryFileName));
    return true;
  } catch (const FileError&) {
    return false;
  }
}

void RemoveRecovery(const std::filesystem::path& appFolder) {
  std::error_code ec;
  std::filesystem::remove(appFolder / kRecoveryFileName, ec);
}

}  // namespace v42
