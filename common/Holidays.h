// Japan's national holidays and the kind of timetable a day runs on.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace v42 {

// The Japanese name (UTF-8) of the national holiday on that date, or "" when there is none.
// Covers 1948-07-20, the day the holiday law came into force, to 2099-12-31, the last year the
// equinox approximation holds; any other date, or one that does not exist, gives "".
// Substitute holidays and days between two holidays are named "休日".
std::string HolidayName(int year, int month, int day);

// 平日: Monday to Friday, not a holiday; 土曜: Saturday, not a holiday; 休日: Sunday or a
// holiday.
enum class DayKind { Weekday, Saturday, Holiday };

// With yearEndHoliday, 29 December to 3 January count as 休日 too, as many operators run their
// holiday timetable then.
DayKind DayKindOf(int year, int month, int day, bool yearEndHoliday);

// "平日", "土曜" or "休日".
const char* DayKindName(DayKind kind);

// The kinds as the command lines spell them: "weekday", "saturday" or "holiday".
const char* DayKindWord(DayKind kind);
std::optional<DayKind> DayKindFromWord(std::string_view word);

struct CivilDate {
  int Year = 0, Month = 0, Day = 0;
  bool operator==(const CivilDate&) const = default;
};

// The date whose timetable runs at this wall time: before dayStartHour the night still belongs
// to the previous date, so the 0:40 bus after a Friday keeps Friday's timetable.
CivilDate ServiceDate(int year, int month, int day, int hour, int dayStartHour);

}  // namespace v42
