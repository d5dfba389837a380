#include "TableOrigins.h"

#include <algorithm>
#include <utility>

#include "DataFile.h"
#include "IniFile.h"

namespace v42 {

void TableOrigins::Reset(int count) {
  for (int i = 0; i < kTimetableCount; ++i) from_[i] = i < count ? i : -1;
}

void TableOrigins::Swap(int a, int b) {
  if (a < 0 || b < 0 || a >= kTimetableCount || b >= kTimetableCount) return;
  std::swap(from_[a], from_[b]);
}

void TableOrigins::Erase(int at) {
  if (at < 0 || at >= kTimetableCount) return;
  std::shift_left(from_.begin() + at, from_.end(), 1);
  from_.back() = -1;
}

void TableOrigins::Insert(int at) {
  if (at < 0 || at >= kTimetableCount) return;
  std::shift_right(from_.begin() + at, from_.end(), 1);
  from_[at] = -1;
}

void TableOrigins::Adopt(int at, int saved) {
  if (at >= 0 && at < kTimetableCount) from_[at] = saved;
}

int TableOrigins::Current(int saved, int count) const {
  if (saved < 0) return -1;
  for (int i = 0; i < count && i < kTimetableCount; ++i)
    if (from_[i] == saved) return i;
  return -1;
}

void FollowDayTables(TableOrigins& origins, int count, const std::filesystem::path& appFolder) {
  // Read over the defaults as the clock reads it: a key the file lacks is written back as the
  // value the clock has been using, not as zero.
  IniSettings settings;
  bool readable = FileExists(appFolder / kIniFileName);
  try {
    if (readable) settings = ReadIniOverDefaults(appFolder);
  } catch (const FileError&) {
    readable = false;  // the clock reports it; a file that cannot be read is not rewritten
  }
  // With the day choice off all three are -1 and stay so: nothing is written.
  if (readable) {
    auto& tables = settings.DayTables.Tables;
    const auto before = tables;
    for (int& table : tables) table = origins.Current(table, count);
    if (tables != before) WriteIniFile(settings, appFolder);
  }
  origins.Reset(count);
}

}  // namespace v42
