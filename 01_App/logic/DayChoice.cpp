#include "DayChoice.h"

#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <string_view>
#include <utility>

namespace v42 {

ServiceDay ServiceDayAt(const ClockTime& now, const DayTableSettings& settings) {
  ServiceDay day;
  day.Date = ServiceDate(now.Year, now.Month, now.Day, now.Hour, settings.DayStartHour);
  day.Kind = DayKindOf(day.Date.Year, day.Date.Month, day.Date.Day, settings.YearEndHoliday);
  day.Holiday = HolidayName(day.Date.Year, day.Date.Month, day.Date.Day);
  return day;
}

int ServiceMinute(int hour, int minute, int startHour) {
  return (hour - startHour + 24) % 24 * 60 + minute;
}

bool DepartureLeft(const TimetableRecord& record, int startHour, int serviceMinute) {
  for (const DepartureRow& row : record.Departures) {
    if (row[0].Value >= 24) continue;
    for (int s = 1; s < kSlotCount; ++s)
      // As the clock counts: a departure at this very minute is gone.
      if (row[s].Value < 60 && ServiceMinute(row[0].Value, row[s].Value, startHour) > serviceMinute)
        return true;
  }
  return false;
}

int TableFor(DayKind kind, const DayTableSettings& settings, int timetableCount) {
  const int table = settings.Tables[static_cast<std::size_t>(kind)];
  return table < timetableCount ? table : -1;
}

namespace {

// A title as the proposal reads it: separators between the day words dropped ("土・日・祝",
// "土/日") and every kind of bracket made a half-width parenthesis ("【土休日】", "（土）").
std::string DayWords(std::string title) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 22> kReplace{{
      {"・", ""},  {"･", ""},   {"／", ""},  {"/", ""},    {"、", ""},  {"，", ""},
      {",", ""},   {"　", ""},  {" ", ""},   {"（", "("},  {"）", ")"}, {"［", "("},
      {"］", ")"}, {"[", "("},  {"]", ")"},  {"【", "("},  {"】", ")"}, {"「", "("},
      {"」", ")"}, {"〔", "("}, {"〕", ")"}, {"〜", "～"},
  }};
  for (const auto& [from, to] : kReplace)
    for (std::size_t at = title.find(from); at != std::string::npos; at = title.find(from, at)) {
      title.replace(at, from.size(), to);
      at += to.size();
    }
  return title;
}

bool HasAny(const std::string& title, std::initializer_list<std::string_view> words) {
  for (std::string_view word : words)
    if (title.find(word) != std::string::npos) return true;
  return false;
}

}  // namespace

std::array<int, 3> ProposeDayTables(const TimetableStore& store) {
  std::array<int, 3> tables{-1, -1, -1};
  auto propose = [&tables](DayKind kind, int table) {
    int& slot = tables[static_cast<std::size_t>(kind)];
    if (slot < 0) slot = table;
  };
  for (int i = 0; i < std::min<int>(store.Count, kTimetableCount); ++i) {
    const std::string title = DayWords(store.Records[i].Title);
    if (HasAny(title, {"平日", "(平)", "月金", "月～金"})) propose(DayKind::Weekday, i);
    if (HasAny(title, {"土曜", "土休", "土日", "(土)"})) propose(DayKind::Saturday, i);
    if (HasAny(title, {"休日", "日祝", "日曜", "祝日", "土日", "(日)", "(祝)", "(休)"}))
      propose(DayKind::Holiday, i);
  }
  return tables;
}

DayChooser::DayChooser(const DayTableSettings& settings, int timetableCount)
    : settings_(settings), count_(timetableCount) {}

DayChooser::DayChooser(const DayTableSettings& settings, const TimetableStore& store,
                       int walkMinutes)
    : settings_(settings), count_(store.Count), store_(store), walk_(walkMinutes) {}

ServiceDay DayChooser::DayAt(const ClockTime& now) const {
  ServiceDay day = ServiceDayAt(now, settings_);
  if (!store_ || !settings_.IsOn()) return day;
  const int table = TableFor(day.Kind, settings_, count_);
  const int start = settings_.DayStartHour;
  if (table < 0 || DepartureLeft(store_->Records[table], start,
                                 ServiceMinute(now.Hour, now.Minute, start) + walk_))
    return day;
  // The next service day starts at its start hour, a day after this one did.
  using namespace std::chrono;
  const year_month_day next{sys_days{year{day.Date.Year} / day.Date.Month / day.Date.Day} +
                            days{1}};
  ServiceDay early = ServiceDayAt(
      {int(next.year()), int(unsigned(next.month())), int(unsigned(next.day())), start, 0, 0},
      settings_);
  early.Early = true;
  return early;
}

std::optional<int> DayChooser::Check(const ClockTime& now) {
  // Without the timetables to look into, the date alone tells a new day, and the holiday rules
  // are worked out once per day, not per tick.
  if (!fresh_ && !store_ &&
      ServiceDate(now.Year, now.Month, now.Day, now.Hour, settings_.DayStartHour) == today_.Date)
    return std::nullopt;
  ServiceDay day = DayAt(now);
  const bool sameDay = !fresh_ && day.Date == today_.Date;
  fresh_ = false;
  today_ = std::move(day);
  if (sameDay) return std::nullopt;
  const int table = TableFor(today_.Kind, settings_, count_);
  if (table < 0) return std::nullopt;
  return table;
}

void DayChooser::SetSettings(const DayTableSettings& settings) {
  settings_ = settings;
  fresh_ = true;
}

}  // namespace v42
