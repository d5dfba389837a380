// The clock between the day's last departure and the next day's start hour.
#include <gtest/gtest.h>

#include "ClockFixture.h"
#include "ClockStatus.h"

namespace v42 {
namespace {

using test::Record;

// Weekdays: 5:10 .. 10:30. Saturdays: 6:15 and 7:00. Night: 22:10 .. 1:00 (passes midnight).
TimetableStore Tables() {
  TimetableStore store =
      test::Store({test::DayService(), Record({{6, {15, 45}}, {7, {0}}}), test::NightService()});
  store.Records[0].Title = "平日";
  store.Records[1].Title = "土曜";
  store.Records[2].Title = "深夜";
  return store;
}

IniSettings Days(std::array<int, 3> tables, int walk = 0) {
  IniSettings settings = test::Settings(walk);
  settings.DayTables = {tables, 3, false};
  return settings;
}

TEST(DayStart, TheNextDepartureComesFromTheDayItBelongsTo) {
  const std::array<int, 3> weekdaySaturday{0, 1, 1};
  const struct {
    const char* what;
    std::array<int, 3> tables;
    int walk;
    ClockTime at;
    const char* first;
    int minutes;
    int table;
    bool early;
  } cases[] = {
      // Friday 27 November 2026; Saturday the 28th begins at 3:00.
      {"friday morning", weekdaySaturday, 0, {2026, 11, 27, 10, 0, 0}, "10:05", 5, 0, false},
      {"after friday's last", weekdaySaturday, 0, {2026, 11, 27, 23, 0, 0}, "6:15", 435, 1, true},
      {"saturday midnight", weekdaySaturday, 0, {2026, 11, 28, 0, 0, 0}, "6:15", 375, 1, true},
      {"saturday starts", weekdaySaturday, 0, {2026, 11, 28, 3, 0, 0}, "6:15", 195, 1, false},
      {"walk misses the last",
       weekdaySaturday,
       30,
       {2026, 11, 27, 10, 0, 0},
       "6:15",
       1185,
       1,
       true},
      // The night timetable runs on: at 0:30 its 0:05 has gone but 1:00 is left.
      {"night still running", {2, 1, 1}, 0, {2026, 11, 28, 0, 30, 0}, "1:00", 30, 2, false},
      {"night over", {2, 1, 1}, 0, {2026, 11, 28, 1, 0, 0}, "6:15", 315, 1, true},
      // Before Saturday's start hour its night timetable is all ahead, 0:05 included.
      {"night ahead", {0, 2, 2}, 0, {2026, 11, 28, 0, 0, 0}, "22:10", 1330, 2, true},
      // Switched off: timetable 0 always, its first departure after midnight.
      {"off", {-1, -1, -1}, 0, {2026, 11, 28, 0, 0, 0}, "5:10", 310, 0, false},
  };
  for (const auto& c : cases) {
    const ClockStatus status = StatusAt(Tables(), Days(c.tables, c.walk), c.at);
    ASSERT_TRUE(status.First) << c.what;
    EXPECT_EQ(status.First->Time, c.first) << c.what;
    EXPECT_EQ(status.First->Minutes, c.minutes) << c.what;
    EXPECT_EQ(status.TimetableIndex, c.table) << c.what;
    EXPECT_EQ(status.Day.Early, c.early) << c.what;
  }
  EXPECT_EQ(StatusLine(StatusAt(Tables(), Days(weekdaySaturday), {2026, 11, 28, 0, 0, 0})),
            "土曜 (翌日のダイヤ) 6:15 発車 375分前 / 6:45 405分前");
}

// A departure picked before the day's start for the morning is still the one to leave for
// after it; one that has gone, or one on a timetable no longer shown, is let go with the
// reason, and the unit goes back to 分前.
TEST(DayStart, APickSurvivesTheNewDayOnlyAsTheSameDepartureStillAhead) {
  const IniSettings settings = Days({0, 0, 0});
  DepartureClock clock(Tables(), settings);
  clock.Load({2026, 11, 30, 2, 59, 0});
  clock.ChooseDeparture(1, 2);  // 6:15
  ASSERT_EQ(clock.Panel(0).Time, "6:15");
  EXPECT_EQ(clock.UnitText(), "前");

  EXPECT_FALSE(clock.NewServiceDay(0, {2026, 11, 30, 3, 0, 0}));
  EXPECT_EQ(clock.Panel(0).Time, "6:15");
  EXPECT_EQ(clock.MinutesLeft(0), 195);
  EXPECT_TRUE(clock.AlertArmed());

  DepartureClock other = clock;
  EXPECT_TRUE(other.NewServiceDay(1, {2026, 11, 30, 3, 0, 0}));
  EXPECT_EQ(other.Panel(0).Time, "");
  EXPECT_EQ(other.Panel(0).Comment, "ダイヤ変更で選択解除");
  EXPECT_EQ(other.UnitText(), "分前");
  EXPECT_FALSE(other.AlertArmed());

  // The clock jumps a day on: the same 6:15 of the grid is another departure.
  EXPECT_TRUE(clock.NewServiceDay(0, {2026, 12, 1, 6, 10, 0}));
  EXPECT_EQ(clock.Panel(0).Time, "");
  EXPECT_EQ(clock.Panel(0).Comment, "発車済みで選択解除");
  EXPECT_NE(clock.Look(1, 2).Back, GridColorSet{}.ChosenBackColor);  // not shown as chosen
  EXPECT_FALSE(clock.AlertArmed());
}

// Rows written out of order by another program still give the right next departure.
TEST(DayStart, RowsOutOfOrderInTheFileAreSearchedInOrder) {
  TimetableStore store = test::Store({Record({{9, {7, 59, 45}}})});
  store.Records[0].Departures[0][2].TypeLetter = 'b';
  DepartureClock clock(store, test::Settings());
  clock.Load({2026, 11, 24, 9, 40, 0});
  EXPECT_EQ(clock.Panel(1).Time, "9:45");
  EXPECT_EQ(clock.Panel(2).Time, "9:59");
  EXPECT_EQ(clock.CellText(0, 3), "59");
  EXPECT_EQ(clock.Look(0, 3).Back, store.Records[0].Types[1].BackColor);
}

}  // namespace
}  // namespace v42
