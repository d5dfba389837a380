#include "DayChoice.h"

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

DayChooser::DayChooser(const DayTableSettings& settings, int timetableCount)
    : settings_(settings), count_(timetableCount) {}

std::optional<int> DayChooser::Check(const ClockTime& now) {
  ServiceDay day = ServiceDayAt(now, settings_);
  const bool newDay = fresh_ || day.Date != today_.Date;
  fresh_ = false;
  today_ = std::move(day);
  if (!newDay) return std::nullopt;
  const int table = TableFor(today_.Kind, settings_, count_);
  if (table < 0) return std::nullopt;
  return table;
}

void DayChooser::SetSettings(const DayTableSettings& settings) {
  settings_ = settings;
  fresh_ = true;
}

}  // namespace v42
