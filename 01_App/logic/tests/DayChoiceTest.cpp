#include <gtest/gtest.h>

#include <chrono>

#include "DayChoice.h"

namespace v42 {
namespace {

using namespace std::chrono;

constexpr int kWeekdayTable = 0, kSaturdayTable = 1, kHolidayTable = 2;

DayTableSettings ThreeTables(int startHour = 3, bool yearEnd = false) {
  return {{kWeekdayTable, kSaturdayTable, kHolidayTable}, startHour, yearEnd};
}

ClockTime At(int y, int m, int d, int h, int min = 0, int s = 0) { return {y, m, d, h, min, s}; }

// The wall time a number of seconds later, across days and months.
ClockTime Later(const ClockTime& t, long long seconds) {
  const sys_seconds from = sys_days{year{t.Year} / t.Month / t.Day} + hours{t.Hour} +
                           minutes{t.Minute} + std::chrono::seconds{t.Second};
  const sys_seconds to = from + std::chrono::seconds{seconds};
  const year_month_day ymd{floor<days>(to)};
  const hh_mm_ss hms{to - floor<days>(to)};
  return {int(ymd.year()),          int(unsigned(ymd.month())), int(unsigned(ymd.day())),
          int(hms.hours().count()), int(hms.minutes().count()), int(hms.seconds().count())};
}

// Ticks once a second from `from` for `seconds`; the choices made on the way, with when.
std::vector<std::pair<int, int>> Ticks(DayChooser& chooser, const ClockTime& from,
                                       long long seconds) {
  std::vector<std::pair<int, int>> chosen;  // (hour, table)
  for (long long i = 1; i <= seconds; ++i) {
    const ClockTime now = Later(from, i);
    if (const auto table = chooser.Check(now)) chosen.emplace_back(now.Hour, *table);
  }
  return chosen;
}

TEST(DayChoice, TheKindOfTheServiceDayAndItsTimetable) {
  const struct {
    ClockTime now;
    DayTableSettings settings;
    DayKind kind;
    const char* holiday;
  } cases[] = {
      // 2026-12-04 is a Friday: its night belongs to it until the start hour.
      {At(2026, 12, 5, 2, 59, 59), ThreeTables(), DayKind::Weekday, ""},
      {At(2026, 12, 5, 3), ThreeTables(), DayKind::Saturday, ""},
      {At(2026, 12, 7, 22), ThreeTables(23), DayKind::Holiday, ""},  // Monday, still Sunday
      {At(2026, 11, 24, 1), ThreeTables(), DayKind::Holiday, "勤労感謝の日"},
      {At(2026, 12, 29, 12), ThreeTables(3, true), DayKind::Holiday, ""},
      {At(2027, 1, 1, 2), ThreeTables(), DayKind::Weekday, ""},  // still 31 December
      {At(2027, 1, 1, 3), ThreeTables(), DayKind::Holiday, "元日"},
      {At(2027, 1, 4, 2), ThreeTables(3, true), DayKind::Holiday, ""},  // still 3 January
  };
  for (const auto& c : cases) {
    const ServiceDay day = ServiceDayAt(c.now, c.settings);
    EXPECT_EQ(day.Kind, c.kind) << c.now.Month << "-" << c.now.Day << " " << c.now.Hour;
    EXPECT_EQ(day.Holiday, c.holiday) << c.now.Month << "-" << c.now.Day << " " << c.now.Hour;
  }
  // A kind without a timetable, or with one beyond the store's count, leaves the choice alone.
  const DayTableSettings some{{2, -1, 3}, 3, false};
  EXPECT_EQ(TableFor(DayKind::Weekday, some, 3), 2);
  EXPECT_EQ(TableFor(DayKind::Saturday, some, 3), -1);
  EXPECT_EQ(TableFor(DayKind::Holiday, some, 3), -1);
  EXPECT_EQ(TableFor(DayKind::Holiday, some, 4), 3);
}

TEST(DayChoice, ChoosesAtStartAndAtEachStartHourAndOtherwiseLeavesTheUsersPick) {
  DayChooser chooser(ThreeTables(), 3);
  const ClockTime friday = At(2026, 12, 4, 20);
  EXPECT_EQ(chooser.Check(friday), kWeekdayTable);
  EXPECT_EQ(chooser.Check(friday), std::nullopt);  // the user may pick another now
  // From Friday 20:00 to Monday 20:00, a tick a second: one choice at each 3:00 only.
  const std::vector<std::pair<int, int>> expected{
      {3, kSaturdayTable}, {3, kHolidayTable}, {3, kWeekdayTable}};
  EXPECT_EQ(Ticks(chooser, friday, 3 * 86400), expected);
  EXPECT_EQ(chooser.Today().Date, (CivilDate{2026, 12, 7}));

  // A Saturday without a timetable of its own keeps Friday's, or whatever the user picked.
  DayChooser partial({{kWeekdayTable, -1, kHolidayTable}, 3, false}, 3);
  EXPECT_EQ(partial.Check(friday), kWeekdayTable);
  const std::vector<std::pair<int, int>> sundayOnly{{3, kHolidayTable}};
  EXPECT_EQ(Ticks(partial, friday, 2 * 86400), sundayOnly);
}

TEST(DayChoice, TheSystemClockJumpingAcrossDaysChoosesAgain) {
  DayChooser chooser(ThreeTables(), 3);
  EXPECT_EQ(chooser.Check(At(2026, 12, 5, 12)), kSaturdayTable);
  EXPECT_EQ(chooser.Check(At(2026, 12, 6, 2, 30)), std::nullopt);  // still Saturday's night
  EXPECT_EQ(chooser.Check(At(2026, 12, 8, 9)), kWeekdayTable);     // forward two days
  EXPECT_EQ(chooser.Check(At(2026, 12, 6, 9)), kHolidayTable);     // and back to Sunday
  EXPECT_EQ(chooser.Check(At(2026, 12, 6, 18)), std::nullopt);
  // The same kind on another day is still a new day: the user's pick is over.
  EXPECT_EQ(chooser.Check(At(2026, 12, 13, 9)), kHolidayTable);

  // New settings choose at once, as the user asked for them.
  chooser.SetSettings({{kWeekdayTable, kSaturdayTable, kSaturdayTable}, 3, false});
  EXPECT_EQ(chooser.Check(At(2026, 12, 13, 9, 0, 1)), kSaturdayTable);
  EXPECT_EQ(chooser.Check(At(2026, 12, 13, 9, 0, 2)), std::nullopt);
}

TEST(DayChoice, ProposalFromTheTitles) {
  const struct {
    std::vector<const char*> titles;
    std::array<int, 3> tables;
  } cases[] = {
      {{"平日", "土曜", "休日"}, {0, 1, 2}},
      {{"駅前 平日", "駅前 土休日"}, {0, 1, 1}},
      {{"日曜", "土曜ダイヤ", "平日(通学)"}, {2, 1, 0}},
      {{"土休日", "平日", "日祝"}, {1, 0, 0}},  // the first title for a kind wins
      {{"深夜", "急行"}, {-1, -1, -1}},
      // The common forms, bracketed or with their days written apart.
      {{"土日", "平日"}, {1, 0, 0}},
      {{"平日", "土日祝"}, {0, 1, 1}},
      {{"平日", "土曜", "日祝"}, {0, 1, 2}},
      {{"祝日", "（平日）", "［土曜］"}, {1, 2, 0}},
      {{"[平]", "(土)", "【休日】"}, {0, 1, 2}},
      {{"月〜金", "土・日・祝"}, {0, 1, 1}},
      {{"ﾊﾞｽ 平日", "ﾊﾞｽ 土･日"}, {0, 1, 1}},
      {{"（土）", "（日・祝）"}, {-1, 0, 1}},
      {{"日曜・祝日", "土曜日"}, {-1, 1, 0}},
      {{"土休日", "平日"}, {1, 0, 0}},
  };
  for (const auto& c : cases) {
    TimetableStore store;
    for (const char* title : c.titles) store.Records[store.Count++].Title = title;
    EXPECT_EQ(ProposeDayTables(store), c.tables) << c.titles.front();
  }
}

}  // namespace
}  // namespace v42
