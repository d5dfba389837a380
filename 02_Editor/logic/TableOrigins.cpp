#include "TableOrigins.h"

#include <algorithm>
#include <utility>

#include "DataFile.h"
#include "FilesLock.h"
#include "IniFile.h"

namespace v42 {

void TableOrigins::Reset(int count) {
  for (int i = 0; i < kTimetableCount; ++i) from_[i] = i < count ? i : -1;
  days_.fill(0);
  DayStartHour.reset();
}

void TableOrigins::Swap(int a, int b) {
  if (a < 0 || b < 0 || a >= kTimetableCount || b >= kTimetableCount) return;
  std::swap(from_[a], from_[b]);
  std::swap(days_[a], days_[b]);
}

void TableOrigins::Erase(int at) {
  if (at < 0 || at >= kTimetableCount) return;
  std::shift_left(from_.begin() + at, from_.end(), 1);
  from_.back() = -1;
  std::shift_left(days_.begin() + at, days_.end(), 1);
  days_.back() = 0;
}

void TableOrigins::Insert(int at) {
  if (at < 0 || at >= kTimetableCount) return;
  std::shift_right(from_.begin() + at, from_.end(), 1);
  from_[at] = -1;
  std::shift_right(days_.begin() + at, days_.end(), 1);
  days_[at] = 0;
}

void TableOrigins::MarkDayKind(int at, DayKind kind) {
  if (at < 0 || at >= kTimetableCount) return;
  const auto bit = static_cast<std::uint8_t>(1u << static_cast<int>(kind));
  for (std::uint8_t& days : days_) days &= static_cast<std::uint8_t>(~bit);  // one per kind
  days_[at] |= bit;
}

int TableOrigins::Marked(DayKind kind, int count) const {
  for (int i = 0; i < count && i < kTimetableCount; ++i)
    if ((days_[i] >> static_cast<int>(kind)) & 1) return i;
  return -1;
}

void TableOrigins::Mark(int at, int tag) {
  if (at >= 0 && at < kTimetableCount && tag >= kTimetableCount) from_[at] = tag;
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
  bool marked = origins.DayStartHour.has_value();
  for (int k = 0; k < 3; ++k)
    marked = marked || origins.Marked(static_cast<DayKind>(k), count) >= 0;
  // Imported day timetables may make the first settings file; one that cannot be read is kept.
  if (!readable && marked && !std::filesystem::exists(appFolder / kIniFileName)) {
    SetIniDefaults(settings);
    readable = true;
  }
  // With the day choice off all three are -1 and stay so: nothing is written.
  if (readable) {
    const DayTableSettings before = settings.DayTables;
    auto& tables = settings.DayTables.Tables;
    for (int& table : tables) table = origins.Current(table, count);
    for (int k = 0; k < 3; ++k)
      if (const int at = origins.Marked(static_cast<DayKind>(k), count); at >= 0) tables[k] = at;
    if (origins.DayStartHour && settings.DayTables.IsOn())
      settings.DayTables.DayStartHour = *origins.DayStartHour;
    if (settings.DayTables != before || !FileExists(appFolder / kIniFileName))
      WriteIniFile(settings, appFolder);
  }
  origins.Reset(count);
}

void FollowFeedRecord(const TableOrigins& origins, std::vector<PendingFeed>& pending, int count,
                      const std::filesystem::path& appFolder) {
  std::vector<feeds::FeedEntry> added;
  for (const PendingFeed& p : pending) {
    const int now = origins.Current(p.Tag, count);
    if (now < 0) continue;  // deleted before the save
    added.push_back(p.Entry);
    added.back().Timetable = now;
  }
  const FilesLock lock(appFolder);
  feeds::FollowTimetables(
      appFolder, [&](int saved) { return origins.Current(saved, count); }, added);
  pending.clear();
}

}  // namespace v42
