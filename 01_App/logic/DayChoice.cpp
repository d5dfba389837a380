#include "DayChoice.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

namespace v42 {

ServiceDay ServiceDayAt(const ClockTime& now, const DayTableSettings& settings) {
  ServiceDay day;
  day.Date = ServiceDate(now.Year, now.Month, now.Day, now.Hour, settings.DayStartHour);
  day.Kind = DayKindOf(day.Date.Year, day.Date.Month, day.Date.Day, settings.YearEndHoliday);
  day.Holiday = HolidayName(day.Date.Year, day.Date.Month, day.Date.Day);
  return day;
}

int TableFor(DayKind kind, const DayTableSettings& settings, int timetableCount) {
  const int table = settings.Tables[static_cast<std::size_t>(kind)];
  return table < timetableCount ? table : -1;
}

std::array<int, 3> ProposeDayTables(const TimetableStore& store) {
  auto has = [](const std::string& title, std::initializer_list<std::string_view> words) {
    for (std::string_view word : words)
      if (title.find(word) != std::string::npos) return true;
    return false;
  };
  std::array<int, 3> tables{-1, -1, -1};
  auto propose = [&tables](DayKind kind, int table) {
    int& slot = tables[static_cast<std::size_t>(kind)];
    if (slot < 0) slot = table;
  };
  for (int i = 0; i < std::min<int>(store.Count, kTimetableCount); ++i) {
    const std::string& title = store.Records[i].Title;
    if (has(title, {"平日"})) propose(DayKind::Weekday, i);
    if (has(title, {"土曜", "土休日"})) propose(DayKind::Saturday, i);
    if (has(title, {"休日", "日祝", "日曜"})) propose(DayKind::Holiday, i);
  }
  return tables;
}

DayChooser::DayChooser(const DayTableSettings& settings, int timetableCount)
    : settings_(settings), count_(timetableCount) {}

std::optional<int> DayChooser::Check(const ClockTime& now) {
  // The date alone tells a new day; the holiday rules are worked out once per day, not per tick.
  const CivilDate date =
      ServiceDate(now.Year, now.Month, now.Day, now.Hour, settings_.DayStartHour);
  if (!fresh_ && date == today_.Date) return std::nullopt;
  fresh_ = false;
  today_ = ServiceDayAt(now, settings_);
  const int table = TableFor(today_.Kind, settings_, count_);
  if (table < 0) return std::nullopt;
  return table;
}

void DayChooser::SetSettings(const DayTableSettings& settings) {
  settings_ = settings;
  fresh_ = true;
}

}  // namespace v42
