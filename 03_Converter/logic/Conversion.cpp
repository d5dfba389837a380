#include "Conversion.h"

#include <optional>
#include <system_error>
#include <utility>

#include "DataFile.h"
#include "DataFormat.h"
#include "FilesLock.h"
#include "IniFile.h"
#include "Model.h"
#include "SafeFile.h"
#include "V1FileAccess.h"

namespace v42 {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFileMissingCaption = "ファイル存在エラー";

// Puts back a file that this conversion writes beside the inputs (or removes it if it was
// new) unless the conversion reaches its end; the inputs themselves are only ever replaced
// safely, so together nothing of a failed conversion stays on disk.
class OutputRollback {
 public:
  explicit OutputRollback(fs::path file) : file_(std::move(file)) {
    std::error_code error;
    if (!fs::exists(file_, error)) return;
    try {
      old_ = ReadFileBytes(file_);
    } catch (FileError& failure) {  // nothing is written yet; the window stays open
      failure.EndsProgram = false;
      throw;
    }
  }
  OutputRollback(const OutputRollback&) = delete;
  OutputRollback& operator=(const OutputRollback&) = delete;
  ~OutputRollback() {
    if (committed_) return;
    try {
      if (old_) {
        ReplaceFile(file_, *old_);
      } else {
        std::error_code error;
        fs::remove(file_, error);
      }
    } catch (...) {  // the original failure is the one to report
    }
  }
  void Commit() { committed_ = true; }

 private:
  fs::path file_;
  std::optional<std::string> old_;
  bool committed_ = false;
};

// A failed write leaves the inputs untouched, so the user may fix the folder and try again.
template <typename Write>
void WriteStep(Write write) {
  try {
    write();
  } catch (FileError& error) {
    error.EndsProgram = false;
    throw;
  }
}

std::string DeleteOldTimetable(const fs::path& timetableFile, std::string notice) {
  std::error_code error;
  if (!fs::remove(timetableFile, error) || error) {
    // The new files are complete; only the old one is left over, and the user should know.
    notice += "\n" + timetableFile.filename().string() + "を削除できませんでした。";
  }
  return notice;
}

std::string FromV1(const fs::path& timetableFile, const fs::path& settingsFile) {
  TimetableStore store;
  IniSettings settings;
  ReadV1Data(store, timetableFile.parent_path());
  ReadV1Settings(settings, store, settingsFile);
  for (std::size_t t = 0; t < store.Count; ++t) {
    TimetableRecord& record = store.Records[t];
    record.GridColors = GridColorSet{};
    for (TypeEntry& type : record.Types) type.BackColor = kWhite;
  }

  OutputRollback dataFile(timetableFile.parent_path() / kDataFileName);
  WriteStep([&] { WriteDataFile(store, timetableFile.parent_path()); });
  // The version 1 settings file is replaced as a whole, whatever its name.
  WriteStep([&] { ReplaceIniFile(settings, settingsFile.parent_path()); });
  dataFile.Commit();
  return DeleteOldTimetable(timetableFile, "v1.xxからv2.1xに変換しました。");
}

std::string ToV1(const fs::path& timetableFile, const fs::path& settingsFile) {
  TimetableStore store;
  IniSettings settings;
  ReadDataFile(store, timetableFile.parent_path());
  // A missing settings file is converted from the defaults; creating it first in the
  // current form would be a change on disk that a later failure could leave behind.
  if (FileExists(settingsFile)) {
    ReadIniFile(settings, settingsFile.parent_path());
  } else {
    SetIniDefaults(settings);
  }

  OutputRollback dataFile(timetableFile.parent_path() / kV1DataFileName);
  WriteStep([&] { WriteV1Data(store, timetableFile.parent_path()); });
  WriteStep([&] { WriteV1Settings(settings, store, settingsFile); });
  dataFile.Commit();
  return DeleteOldTimetable(timetableFile, "v2.xxからv1.22に変換しました。");
}

}  // namespace

std::string Convert(const fs::path& timetableFile, const fs::path& settingsFile) {
  // The names decide the direction and where each output goes, so any other name is refused
  // before anything is read.
  const fs::path timetableName = timetableFile.filename();
  const bool fromV1 = timetableName == kV1DataFileName;
  if ((!fromV1 && timetableName != kDataFileName) || !FileExists(timetableFile)) {
    throw FileError("時刻表データファイルが見つかりません。", kFileMissingCaption, false);
  }
  if (settingsFile.filename() != kIniFileName) {
    throw FileError("設定ファイルが見つかりません。", kFileMissingCaption, false);
  }
  // Only a missing settings file is taken as the defaults: one that is there but cannot be
  // read holds the user's settings, and the conversion would overwrite it.
  if (FileExists(settingsFile)) {
    try {
      ReadFileBytes(settingsFile);
    } catch (FileError& unreadable) {
      unreadable.EndsProgram = false;
      throw;
    }
  }
  // Other programs' saves wait until the conversion has read, written and deleted.
  const FilesLock timetableLock(timetableFile.parent_path());
  const FilesLock settingsLock(settingsFile.parent_path());
  return fromV1 ? FromV1(timetableFile, settingsFile) : ToV1(timetableFile, settingsFile);
}

}  // namespace v42
