// The search for the 1st and 2nd departures, again when the clock moves, and the grid's size.
#include <gtest/gtest.h>

#include "ClockFixture.h"

namespace v42::test {
namespace {

// Thirty departures at 7:00, 7:02 ... 7:58: every slot of the row.
TimetableRecord FullHour() {
  std::vector<int> minutes;
  for (int m = 0; m < 60; m += 2) minutes.push_back(m);
  return Record({{7, minutes}});
}

TimetableRecord HourEightTwice() { return Record({{8, {10}}, {8, {30}}}); }

struct SearchCase {
  const char* Name;
  TimetableRecord (*Table)();
  int Move, Hour, Minute;
  const char *First, *FirstLeft, *Second, *SecondLeft;
  int FirstFont = 12;
  int Ticks = 0, Step = 1;  // then the wall clock moves Step seconds a tick
};

const SearchCase kSearchCases[] = {
    {"ReachEqualsDeparture", DayService, 0, 8, 15, "8:20", "5", "8:50", "35"},
    {"LastOfRowSkipsEmptyHour", DayService, 0, 8, 20, "8:50", "30", "10:05", "105"},
    {"NoNextRow", DayService, 0, 10, 5, "10:30", "25", "", ""},
    {"AfterLastHour", DayService, 0, 11, 0, "", "", "", ""},
    {"BeforeFirstHour", DayService, 0, 4, 30, "5:10", "40", "5:40", "70"},
    {"Walk10At0855", DayService, 10, 8, 55, "10:05", "60", "10:30", "85"},
    {"Walk70At0855", DayService, 70, 8, 55, "10:30", "25", "", ""},
    {"Walk130", DayService, 130, 8, 0, "10:30", "20", "", ""},
    {"WalkNegativeAcrossMidnight", NightService, -60, 0, 5, "23:30", "25", "0:05", "60"},
    {"NightBeforeMidnight", NightService, 0, 23, 58, "0:05", "7", "0:20", "22"},
    {"NightAfterMidnight", NightService, 0, 0, 10, "0:20", "10", "1:00", "50"},
    {"NightOver", NightService, 0, 1, 0, "", "", "", ""},
    {"ThousandMinutes", NightService, 0, 5, 30, "22:10", "1000", "22:40", "1030", 9},
    {"JustUnderAThousand", NightService, 0, 5, 31, "22:10", "999", "22:40", "1029"},
    {"JumpForward", DayService, 0, 8, 10, "8:20", "3", "8:50", "33", 12, 1, 7 * 60 + 5},
    {"JumpBack", DayService, 0, 8, 17, "7:05", "5", "8:15", "75", 12, 1, -77 * 60},
    {"MidnightSearchesAgain", DayService, 0, 23, 59, "5:10", "310", "5:40", "340", 12, 60},
    {"ServiceOverSearchesLater", NightService, 0, 1, 58, "22:10", "1210", "22:40", "1240", 9, 120},
    {"LastSlotOfAFullHour", FullHour, 0, 7, 57, "7:58", "1", "", ""},
    {"LastMatchingRowWins", HourEightTwice, 0, 8, 0, "8:30", "30", "", ""},
};

class Search : public testing::TestWithParam<SearchCase> {};

TEST_P(Search, FindsFirstAndSecond) {
  const SearchCase& c = GetParam();
  TestClock clock({c.Table()}, c.Hour, c.Minute, 0, Settings(c.Move));
  for (int i = 0; i < c.Ticks; ++i) clock.Jump(c.Step);
  for (int i : {1, 2}) {
    const PanelText& p = clock.Panel(i);
    EXPECT_EQ(p.Time, i == 1 ? c.First : c.Second);
    EXPECT_EQ(p.Minutes, i == 1 ? c.FirstLeft : c.SecondLeft);
    EXPECT_EQ(p.Comment, p.Time.empty() ? kOver : "");
  }
  EXPECT_EQ(clock.Panel(1).MinutesFontSize, c.FirstFont);
  EXPECT_EQ(clock.Panel(0).Comment, "");  // nothing chosen, nothing passed
}

INSTANTIATE_TEST_SUITE_P(Clock, Search, testing::ValuesIn(kSearchCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(Grid, RowsEndAtTheFirstEmptyHour) {
  TimetableRecord gap = DayService();
  gap.Departures[2][0].Value = kEmptyValue;
  TestClock clock({DayService(), gap, TimetableRecord{}}, 8, 0);
  EXPECT_EQ(clock.GridRows(), 6);
  clock.SelectTimetable(1);
  EXPECT_EQ(clock.GridRows(), 2);
  EXPECT_EQ(clock.Panel(1).Time, "");  // 8:00 is past the rows in use
  clock.SelectTimetable(2);            // a timetable without rows
  EXPECT_EQ(clock.GridRows(), 1);
  EXPECT_EQ(clock.Panel(1).Comment, kOver);
}

TEST(Grid, EmptyStoreShowsServiceOverAndRefusesChoices) {
  TestClock clock({}, 23, 58);
  EXPECT_FALSE(clock.HasTimetable());
  EXPECT_EQ(std::pair(clock.GridRows(), clock.GridCols()), std::pair(0, 7));
  for (int i : {1, 2}) EXPECT_EQ(clock.Panel(i).Time + clock.Panel(i).Comment, kOver);
  clock.ChooseDeparture(0, 1);
  clock.SelectTimetable(0);
  EXPECT_EQ(clock.Run(180), 0);  // across midnight
  EXPECT_EQ(clock.Panel(0).Time, "");
  EXPECT_FALSE(clock.AlertArmed());
}

}  // namespace
}  // namespace v42::test
