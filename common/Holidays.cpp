#include "Holidays.h"

#include <array>
#include <chrono>

namespace v42 {
namespace {

using namespace std::chrono;

enum class Rule { Fixed, NthMonday, VernalEquinox, AutumnalEquinox };

// One holiday under one rule for a span of years: every change of the law ends one row and
// starts another, so a date's holiday is whichever row covers its year and falls on it.
struct HolidayRule {
  const char* Name;
  int Month;
  Rule Kind;
  int Value;  // the day of the month (Fixed), or which Monday (NthMonday)
  int FirstYear, LastYear;
};

constexpr int kLast = 2099;

// The law came into force on 1948-07-20, so that year only its autumn holidays were held.
// Rows for a single year are the moves of the 2020 and 2021 Olympic laws and the one-off
// holidays of their own laws; the 2019 ones count as national holidays for the substitute
// and in-between rules, and the earlier ones have no holiday beside them for it to matter.
constexpr HolidayRule kRules[] = {
    {"元日", 1, Rule::Fixed, 1, 1949, kLast},
    {"成人の日", 1, Rule::Fixed, 15, 1949, 1999},
    {"成人の日", 1, Rule::NthMonday, 2, 2000, kLast},
    {"建国記念の日", 2, Rule::Fixed, 11, 1967, kLast},
    {"天皇誕生日", 2, Rule::Fixed, 23, 2020, kLast},
    {"春分の日", 3, Rule::VernalEquinox, 0, 1949, kLast},
    {"天皇誕生日", 4, Rule::Fixed, 29, 1949, 1988},
    {"みどりの日", 4, Rule::Fixed, 29, 1989, 2006},
    {"昭和の日", 4, Rule::Fixed, 29, 2007, kLast},
    {"憲法記念日", 5, Rule::Fixed, 3, 1949, kLast},
    {"みどりの日", 5, Rule::Fixed, 4, 2007, kLast},
    {"こどもの日", 5, Rule::Fixed, 5, 1949, kLast},
    {"海の日", 7, Rule::Fixed, 20, 1996, 2002},
    {"海の日", 7, Rule::NthMonday, 3, 2003, 2019},
    {"海の日", 7, Rule::Fixed, 23, 2020, 2020},
    {"海の日", 7, Rule::Fixed, 22, 2021, 2021},
    {"海の日", 7, Rule::NthMonday, 3, 2022, kLast},
    {"山の日", 8, Rule::Fixed, 11, 2016, 2019},
    {"山の日", 8, Rule::Fixed, 10, 2020, 2020},
    {"山の日", 8, Rule::Fixed, 8, 2021, 2021},
    {"山の日", 8, Rule::Fixed, 11, 2022, kLast},
    {"敬老の日", 9, Rule::Fixed, 15, 1966, 2002},
    {"敬老の日", 9, Rule::NthMonday, 3, 2003, kLast},
    {"秋分の日", 9, Rule::AutumnalEquinox, 0, 1948, kLast},
    {"体育の日", 10, Rule::Fixed, 10, 1966, 1999},
    {"体育の日", 10, Rule::NthMonday, 2, 2000, 2019},
    {"スポーツの日", 7, Rule::Fixed, 24, 2020, 2020},
    {"スポーツの日", 7, Rule::Fixed, 23, 2021, 2021},
    {"スポーツの日", 10, Rule::NthMonday, 2, 2022, kLast},
    {"文化の日", 11, Rule::Fixed, 3, 1948, kLast},
    {"勤労感謝の日", 11, Rule::Fixed, 23, 1948, kLast},
    {"天皇誕生日", 12, Rule::Fixed, 23, 1989, 2018},
    {"皇太子明仁親王の結婚の儀", 4, Rule::Fixed, 10, 1959, 1959},
    {"昭和天皇の大喪の礼", 2, Rule::Fixed, 24, 1989, 1989},
    {"即位礼正殿の儀", 11, Rule::Fixed, 12, 1990, 1990},
    {"皇太子徳仁親王の結婚の儀", 6, Rule::Fixed, 9, 1993, 1993},
    {"天皇の即位の日", 5, Rule::Fixed, 1, 2019, 2019},
    {"即位礼正殿の儀", 10, Rule::Fixed, 22, 2019, 2019},
};

constexpr year_month_day kLawInForce{year{1948}, month{7}, day{20}};
constexpr year_month_day kLastDate{year{kLast}, month{12}, day{31}};
// A holiday on a Sunday gives the next day off from this date.
constexpr year_month_day kSubstituteFrom{year{1973}, month{4}, day{12}};
// A day between two holidays is off from this date, until 2007 only when not a Sunday.
constexpr year_month_day kBetweenFrom{year{1985}, month{12}, day{27}};
// From 2007 a Sunday holiday gives the next day that is not itself a holiday, and a Sunday
// between two holidays is one of these days off as well.
constexpr year_month_day kAmended2007{year{2007}, month{1}, day{1}};

// The day of the month of the equinox in Japan's time, by the usual approximation: the
// tropical year's 0.242194 days accumulated since 1980, less the leap days. Integer division
// truncates toward zero, as the approximation expects for the years before 1983.
int EquinoxDay(int y, double base1900, double base1980) {
  const bool early = y < 1980;
  const double base = early ? base1900 : base1980;
  const int leapDays = (y - (early ? 1983 : 1980)) / 4;
  return static_cast<int>(base + 0.242194 * (y - 1980) - leapDays);
}

int RuleDay(const HolidayRule& rule, int y) {
  switch (rule.Kind) {
    case Rule::Fixed:
      return rule.Value;
    case Rule::NthMonday: {
      const year_month_weekday nth{year{y}, month{static_cast<unsigned>(rule.Month)},
                                   weekday_indexed{Monday, static_cast<unsigned>(rule.Value)}};
      return static_cast<int>(static_cast<unsigned>(year_month_day{sys_days{nth}}.day()));
    }
    case Rule::VernalEquinox:
      return EquinoxDay(y, 20.8357, 20.8431);
    case Rule::AutumnalEquinox:
      return EquinoxDay(y, 23.2588, 23.2488);
  }
  return 0;
}

// A "national holiday" of the law, as its substitute and in-between rules count them.
const char* NationalHoliday(const year_month_day& date) {
  const int y = static_cast<int>(date.year());
  const int m = static_cast<int>(static_cast<unsigned>(date.month()));
  const int d = static_cast<int>(static_cast<unsigned>(date.day()));
  for (const HolidayRule& rule : kRules) {
    if (rule.Month == m && y >= rule.FirstYear && y <= rule.LastYear && RuleDay(rule, y) == d)
      return rule.Name;
  }
  return nullptr;
}

bool IsSunday(const year_month_day& date) { return weekday{sys_days{date}} == Sunday; }

year_month_day AddDays(const year_month_day& date, int n) {
  return year_month_day{sys_days{date} + days{n}};
}

bool IsSubstitute(const year_month_day& date) {
  year_month_day before = AddDays(date, -1);
  if (before < kSubstituteFrom) return false;
  if (date < kAmended2007) return IsSunday(before) && NationalHoliday(before);
  // Back over the run of holidays just before: a Sunday in it moves its day off to here.
  for (; NationalHoliday(before); before = AddDays(before, -1)) {
    if (IsSunday(before)) return true;
  }
  return false;
}

bool IsBetweenHolidays(const year_month_day& date) {
  return date >= kBetweenFrom && (date >= kAmended2007 || !IsSunday(date)) &&
         NationalHoliday(AddDays(date, -1)) && NationalHoliday(AddDays(date, 1));
}

year_month_day DateOf(int y, int m, int d) {
  return year_month_day{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
}

}  // namespace

std::string HolidayName(int year, int month, int day) {
  if (month < 1 || month > 12 || day < 1 || day > 31) return {};
  const year_month_day date = DateOf(year, month, day);
  if (!date.ok() || date < kLawInForce || date > kLastDate) return {};
  if (const char* name = NationalHoliday(date)) return name;
  // A day that is both (a Monday after a Sunday holiday, between two holidays) is off once.
  if (IsSubstitute(date) || IsBetweenHolidays(date)) return "休日";
  return {};
}

DayKind DayKindOf(int year, int month, int day, bool yearEndHoliday) {
  if (yearEndHoliday && ((month == 12 && day >= 29) || (month == 1 && day <= 3)))
    return DayKind::Holiday;
  const weekday wd{sys_days{DateOf(year, month, day)}};
  if (wd == Sunday || !HolidayName(year, month, day).empty()) return DayKind::Holiday;
  return wd == Saturday ? DayKind::Saturday : DayKind::Weekday;
}

const char* DayKindName(DayKind kind) {
  switch (kind) {
    case DayKind::Weekday:
      return "平日";
    case DayKind::Saturday:
      return "土曜";
    case DayKind::Holiday:
      return "休日";
  }
  return "";
}

namespace {
constexpr std::array<const char*, 3> kKindWords{"weekday", "saturday", "holiday"};
}

const char* DayKindWord(DayKind kind) { return kKindWords.at(static_cast<std::size_t>(kind)); }

std::optional<DayKind> DayKindFromWord(std::string_view word) {
  for (std::size_t i = 0; i < kKindWords.size(); ++i)
    if (word == kKindWords[i]) return static_cast<DayKind>(i);
  return std::nullopt;
}

CivilDate ServiceDate(int year, int month, int day, int hour, int dayStartHour) {
  year_month_day date = DateOf(year, month, day);
  if (hour < dayStartHour) date = AddDays(date, -1);
  return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day()))};
}

}  // namespace v42
