#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "Holidays.h"

namespace v42 {
namespace {

struct DateCase {
  int y, m, d;
  const char* name;
};

void ExpectNames(std::initializer_list<DateCase> cases) {
  for (const DateCase& c : cases) {
    EXPECT_EQ(HolidayName(c.y, c.m, c.d), c.name) << c.y << '-' << c.m << '-' << c.d;
  }
}

TEST(Holidays, EachRuleFromItsFirstToItsLastYear) {
  ExpectNames({
      // The law came into force on 1948-07-20.
      {1948, 1, 1, ""},
      {1948, 9, 23, "秋分の日"},
      {1948, 11, 3, "文化の日"},
      {1948, 11, 23, "勤労感謝の日"},
      {1949, 1, 1, "元日"},
      {1949, 1, 15, "成人の日"},
      {1966, 2, 11, ""},
      {1967, 2, 11, "建国記念の日"},
      {1965, 9, 15, ""},
      {1966, 9, 15, "敬老の日"},
      {1966, 10, 10, "体育の日"},
      // The emperors' birthdays, the green day and the Showa day.
      {1988, 4, 29, "天皇誕生日"},
      {1989, 4, 29, "みどりの日"},
      {1988, 12, 23, ""},
      {1989, 12, 23, "天皇誕生日"},
      {2006, 4, 29, "みどりの日"},
      {2007, 4, 29, "昭和の日"},
      {2006, 5, 4, "休日"},
      {2007, 5, 4, "みどりの日"},
      {2018, 12, 23, "天皇誕生日"},
      {2019, 2, 23, ""},
      {2019, 12, 23, ""},
      {2020, 2, 23, "天皇誕生日"},
      {1995, 7, 20, ""},
      {1996, 7, 20, "海の日"},
      {2002, 7, 20, "海の日"},
      {2015, 8, 11, ""},
      {2016, 8, 11, "山の日"},
      {2099, 1, 12, "成人の日"},
      {2099, 11, 23, "勤労感謝の日"},
      // Outside the covered span, and dates that do not exist.
      {1948, 7, 19, ""},
      {2100, 1, 1, ""},
      {2021, 2, 29, ""},
      {2020, 13, 1, ""},
      {2020, 0, 1, ""},
  });
}

TEST(Holidays, MondayRulesAroundTheirChangeAndTheOlympicMoves) {
  ExpectNames({
      {1999, 1, 15, "成人の日"},
      {2000, 1, 15, ""},
      {2000, 1, 10, "成人の日"},
      {1999, 10, 10, "体育の日"},
      {1999, 10, 11, "休日"},
      {2000, 10, 10, ""},
      {2000, 10, 9, "体育の日"},
      {2019, 10, 14, "体育の日"},
      {2022, 10, 10, "スポーツの日"},
      {2002, 9, 15, "敬老の日"},
      {2002, 9, 16, "休日"},
      {2004, 9, 15, ""},
      {2004, 9, 20, "敬老の日"},
      {2003, 7, 20, ""},
      {2003, 7, 21, "海の日"},
      // 2020 and 2021 moved three holidays to the games; their usual days were ordinary.
      {2020, 7, 20, ""},
      {2020, 7, 23, "海の日"},
      {2020, 7, 24, "スポーツの日"},
      {2020, 8, 10, "山の日"},
      {2020, 8, 11, ""},
      {2020, 10, 12, ""},
      {2021, 7, 19, ""},
      {2021, 7, 22, "海の日"},
      {2021, 7, 23, "スポーツの日"},
      {2021, 8, 8, "山の日"},
      {2021, 8, 9, "休日"},
      {2021, 8, 11, ""},
      {2021, 10, 11, ""},
      {2022, 7, 18, "海の日"},
      {2022, 8, 11, "山の日"},
  });
}

TEST(Holidays, EquinoxDays) {
  ExpectNames({
      {1949, 3, 21, "春分の日"},
      {1960, 3, 20, "春分の日"},
      {1960, 3, 21, ""},
      {1979, 3, 21, "春分の日"},
      {1979, 9, 24, "秋分の日"},
      {1980, 9, 23, "秋分の日"},
      {2012, 9, 22, "秋分の日"},
      {2025, 9, 23, "秋分の日"},
      {2025, 9, 22, ""},
      {2026, 3, 20, "春分の日"},
      {2027, 3, 21, "春分の日"},
      {2092, 3, 19, "春分の日"},
      {2092, 3, 20, ""},
      {2099, 9, 23, "秋分の日"},
  });
  // Every year has one of each, on the days the sun can reach the equinox in Japan's time.
  for (int y = 1949; y <= 2099; ++y) {
    int vernal = 0, autumnal = 0;
    for (int d = 18; d <= 25; ++d) {
      if (HolidayName(y, 3, d) == "春分の日") vernal = d;
      if (HolidayName(y, 9, d) == "秋分の日") autumnal = d;
    }
    EXPECT_TRUE(vernal >= 19 && vernal <= 21) << y;
    EXPECT_TRUE(autumnal >= 21 && autumnal <= 24) << y;
  }
}

TEST(Holidays, SubstituteHolidaysAndDaysBetweenTwoHolidays) {
  ExpectNames({
      // Substitutes began on 1973-04-12.
      {1973, 2, 11, "建国記念の日"},
      {1973, 2, 12, ""},
      {1973, 4, 30, "休日"},
      {2018, 12, 24, "休日"},
      {2019, 8, 12, "休日"},
      // Golden Week 2019: the enthronement day makes 30 April and 2 May days between.
      {2019, 4, 27, ""},
      {2019, 4, 28, ""},
      {2019, 4, 29, "昭和の日"},
      {2019, 4, 30, "休日"},
      {2019, 5, 1, "天皇の即位の日"},
      {2019, 5, 2, "休日"},
      {2019, 5, 3, "憲法記念日"},
      {2019, 5, 4, "みどりの日"},
      {2019, 5, 5, "こどもの日"},
      {2019, 5, 6, "休日"},
      {2019, 5, 7, ""},
      // Golden Week 2020: the Sunday's day off goes past two holidays to Wednesday.
      {2020, 5, 2, ""},
      {2020, 5, 3, "憲法記念日"},
      {2020, 5, 4, "みどりの日"},
      {2020, 5, 5, "こどもの日"},
      {2020, 5, 6, "休日"},
      {2020, 5, 7, ""},
      {2008, 5, 6, "休日"},
      {2009, 5, 6, "休日"},
      {2020, 2, 24, "休日"},
      // Days between began on 1985-12-27 and spared a Sunday.
      {1985, 5, 4, ""},
      {1986, 5, 4, ""},
      {1987, 5, 4, "休日"},
      {1988, 5, 4, "休日"},
      {2009, 9, 22, "休日"},
      {2015, 9, 22, "休日"},
      {2026, 9, 22, "休日"},
      {2026, 9, 24, ""},
  });
}

TEST(Holidays, OneOffHolidaysOfTheirOwnLaws) {
  ExpectNames({
      {1959, 4, 10, "皇太子明仁親王の結婚の儀"},
      {1959, 4, 9, ""},
      {1989, 2, 24, "昭和天皇の大喪の礼"},
      {1989, 2, 23, ""},
      {1990, 11, 12, "即位礼正殿の儀"},
      {1990, 11, 13, ""},
      {1993, 6, 9, "皇太子徳仁親王の結婚の儀"},
      {1993, 6, 10, ""},
      {2019, 10, 22, "即位礼正殿の儀"},
      {2019, 10, 23, ""},
      {1994, 6, 9, ""},
  });
}

// How many days of each year have a holiday's own name: the law's tally as it grew.
TEST(Holidays, NamedHolidaysPerYear) {
  const struct {
    int year, count;
  } cases[] = {{1948, 3},  {1949, 9},  {1959, 10}, {1966, 11}, {1967, 12}, {1989, 14}, {1990, 14},
               {1996, 14}, {2007, 15}, {2016, 16}, {2019, 17}, {2020, 16}, {2021, 16}, {2099, 16}};
  for (const auto& c : cases) {
    int count = 0;
    for (auto d = std::chrono::sys_days{std::chrono::year{c.year} / 1 / 1};
         d <= std::chrono::sys_days{std::chrono::year{c.year} / 12 / 31};
         d += std::chrono::days{1}) {
      const std::chrono::year_month_day ymd{d};
      const std::string name =
          HolidayName(c.year, static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
      count += !name.empty() && name != "休日";
    }
    EXPECT_EQ(count, c.count) << c.year;
  }
}

TEST(Holidays, DayKinds) {
  using K = DayKind;
  const struct {
    int y, m, d;
    K plain, yearEnd;  // without and with the year-end days off
  } cases[] = {
      {2026, 11, 20, K::Weekday, K::Weekday},    // Friday
      {2026, 11, 21, K::Saturday, K::Saturday},  // Saturday
      {2026, 11, 22, K::Holiday, K::Holiday},    // Sunday
      {2026, 11, 23, K::Holiday, K::Holiday},    // a Monday holiday
      {2019, 5, 4, K::Holiday, K::Holiday},      // a Saturday holiday
      {2024, 12, 28, K::Saturday, K::Saturday}, {2025, 12, 29, K::Weekday, K::Holiday},
      {2025, 12, 31, K::Weekday, K::Holiday},   {2026, 1, 2, K::Weekday, K::Holiday},
      {2026, 1, 3, K::Saturday, K::Holiday},    {2026, 1, 5, K::Weekday, K::Weekday},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DayKindOf(c.y, c.m, c.d, false), c.plain) << c.y << '-' << c.m << '-' << c.d;
    EXPECT_EQ(DayKindOf(c.y, c.m, c.d, true), c.yearEnd) << c.y << '-' << c.m << '-' << c.d;
  }
}

TEST(Holidays, TheServiceDayBeginsAtTheStartHour) {
  const struct {
    int y, m, d, hour, start;
    CivilDate expected;
  } cases[] = {
      {2026, 1, 1, 2, 3, {2025, 12, 31}}, {2026, 1, 1, 3, 3, {2026, 1, 1}},
      {2024, 3, 1, 0, 3, {2024, 2, 29}},  {2026, 5, 9, 0, 0, {2026, 5, 9}},
      {2026, 5, 9, 22, 23, {2026, 5, 8}}, {2026, 5, 9, 23, 23, {2026, 5, 9}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ServiceDate(c.y, c.m, c.d, c.hour, c.start), c.expected) << c.hour;
  }
  // Friday's 0:40 night bus is still Friday's; at year end the 1 January night is still the
  // year's last day, off only with the year-end days.
  const CivilDate night = ServiceDate(2026, 11, 21, 0, 3);
  EXPECT_EQ(DayKindOf(night.Year, night.Month, night.Day, false), DayKind::Weekday);
  const CivilDate newYear = ServiceDate(2026, 1, 1, 1, 3);
  EXPECT_EQ(DayKindOf(newYear.Year, newYear.Month, newYear.Day, false), DayKind::Weekday);
  EXPECT_EQ(DayKindOf(newYear.Year, newYear.Month, newYear.Day, true), DayKind::Holiday);
}

}  // namespace
}  // namespace v42
