// The search for the 1st and 2nd departures and the minutes left to them.
#include <gtest/gtest.h>

#include "ClockFixture.h"

namespace v42::test {
namespace {

struct SearchCase {
  const char* Name;
  TimetableRecord (*Table)();
  int Move, Hour, Minute;
  const char *First, *FirstLeft, *Second, *SecondLeft;
  int FirstFont = 12;
};

const SearchCase kSearchCases[] = {
    {"ReachEqualsDeparture", DayService, 0, 8, 15, "8:20", "5", "8:50", "35"},
    {"LastOfRowSkipsEmptyHour", DayService, 0, 8, 20, "8:50", "30", "10:05", "105"},
    {"NoNextRow", DayService, 0, 10, 5, "10:30", "25", "", ""},
    {"AfterLastDeparture", DayService, 0, 10, 30, "", "", "", ""},
    {"AfterLastHour", DayService, 0, 11, 0, "", "", "", ""},
    {"BeforeFirstHour", DayService, 0, 4, 30, "5:10", "40", "5:40", "70"},
    {"Midnight", DayService, 0, 0, 0, "5:10", "310", "5:40", "340"},
    {"Walk10At0855", DayService, 10, 8, 55, "10:05", "60", "10:30", "85"},
    {"Walk70At0855", DayService, 70, 8, 55, "10:30", "25", "", ""},
    {"Walk130", DayService, 130, 8, 0, "10:30", "20", "", ""},
    {"WalkNegative", DayService, -30, 8, 40, "8:15", "5", "8:20", "10"},
    {"WalkMoreThanADay", DayService, 1445, 8, 10, "8:20", "5", "8:50", "35"},
    {"NightBeforeMidnight", NightService, 0, 23, 58, "0:05", "7", "0:20", "22"},
    {"NightAcrossRows", NightService, 0, 23, 30, "0:05", "35", "0:20", "50"},
    {"NightAfterMidnight", NightService, 0, 0, 10, "0:20", "10", "1:00", "50"},
    {"NightOver", NightService, 0, 1, 0, "", "", "", ""},
    {"NightSeenEarly", NightService, 0, 2, 0, "22:10", "1210", "22:40", "1240", 9},
    {"NightEvening", NightService, 0, 21, 0, "22:10", "70", "22:40", "100"},
    {"ThousandMinutes", NightService, 0, 5, 30, "22:10", "1000", "22:40", "1030", 9},
    {"JustUnderAThousand", NightService, 0, 5, 31, "22:10", "999", "22:40", "1029", 12},
    {"LastMatchingRowWins",
     [] {
       return Record({{8, {10}}, {8, {30}}});
     },
     0, 8, 0, "8:30", "30", "", ""},
};

class Search : public testing::TestWithParam<SearchCase> {};

TEST_P(Search, FindsFirstAndSecond) {
  const SearchCase& c = GetParam();
  DepartureClock clock(Store({c.Table()}), Settings(c.Move));
  clock.Load(FakeClock(c.Hour, c.Minute).Now());
  const PanelText &first = clock.Panel(1), &second = clock.Panel(2);
  EXPECT_EQ(first.Time, c.First);
  EXPECT_EQ(first.Minutes, c.FirstLeft);
  EXPECT_EQ(second.Time, c.Second);
  EXPECT_EQ(second.Minutes, c.SecondLeft);
  if (*c.First) {
    EXPECT_EQ(first.MinutesFontSize, c.FirstFont);
  }
  for (const PanelText* p : {&first, &second})
    EXPECT_EQ(p->Comment, p->Time.empty() ? kOver : "") << p->Time;
  if (*c.First) {  // the 1st departure's cell wears the next-departure colours
    const CellLook look = clock.Look(clock.CellY(1), clock.CellX(1));
    EXPECT_EQ(look.Back, GridColorSet{}.NextBackColor);
  }
}

INSTANTIATE_TEST_SUITE_P(Clock, Search, testing::ValuesIn(kSearchCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(Search, CellsOfFirstAndSecond) {
  DepartureClock clock(Store({DayService()}), Settings());
  clock.Load(FakeClock(8, 20).Now());  // 8:50 is the last of row 3; the 2nd carries to row 5
  EXPECT_EQ(std::pair(clock.CellY(1), clock.CellX(1)), std::pair(3, 3));
  EXPECT_EQ(std::pair(clock.CellY(2), clock.CellX(2)), std::pair(5, 1));
}

TEST(Grid, ColumnsCoverTheFullestHourOfEveryTimetable) {
  const auto hourWith = [](int departures) {
    std::vector<int> minutes;
    for (int i = 0; i < departures; ++i) minutes.push_back(i * 2);
    return Record({{6, {1}}, {7, minutes}});
  };
  EXPECT_EQ(DepartureClock::ColumnCount(Store({hourWith(6)})), 7);
  EXPECT_EQ(DepartureClock::ColumnCount(Store({hourWith(7)})), 8);
  EXPECT_EQ(DepartureClock::ColumnCount(Store({hourWith(30)})), 31);
  EXPECT_EQ(DepartureClock::ColumnCount(Store({DayService(), hourWith(20)})), 21);
  EXPECT_EQ(DepartureClock::ColumnCount(TimetableStore{}), 7);

  // The seventh departure of an hour is on the grid and is searched.
  DepartureClock clock(Store({hourWith(7)}), Settings());
  clock.Load(FakeClock(7, 11).Now());
  EXPECT_EQ(clock.GridCols(), 8);
  EXPECT_EQ(clock.Panel(1).Time, "7:12");
  EXPECT_EQ(clock.CellText(1, 7), "12");
}

TEST(Grid, RowsInUse) {
  TimetableRecord gap = DayService();
  gap.Departures[2][0].Value = kEmptyValue;  // rows after the first empty hour are not in use
  DepartureClock clock(Store({DayService(), gap, TimetableRecord{}}), Settings());
  clock.Load(FakeClock(8, 0).Now());
  EXPECT_EQ(clock.GridRows(), 6);
  clock.SelectTimetable(1);
  EXPECT_EQ(clock.GridRows(), 2);
  EXPECT_EQ(clock.Panel(1).Time, "");  // 8:00 is past the rows in use
  clock.SelectTimetable(2);            // a timetable without rows
  EXPECT_EQ(clock.GridRows(), 1);
  EXPECT_EQ(clock.Panel(1).Comment, kOver);
}

TEST(Grid, EmptyStoreShowsServiceOverAndRefusesChoices) {
  DepartureClock clock(TimetableStore{}, Settings());
  FakeClock wall(23, 58);
  clock.Load(wall.Now());
  EXPECT_FALSE(clock.HasTimetable());
  EXPECT_EQ(clock.GridRows(), 0);
  EXPECT_EQ(clock.GridCols(), 7);
  for (int i : {1, 2}) {
    EXPECT_EQ(clock.Panel(i).Time, "");
    EXPECT_EQ(clock.Panel(i).Comment, kOver);
  }
  clock.ChooseDeparture(0, 1);
  clock.SelectTimetable(0);
  EXPECT_EQ(RunFor(clock, wall, 180), 0);
  EXPECT_EQ(clock.Panel(0).Time, "");
  EXPECT_FALSE(clock.AlertArmed());
  EXPECT_EQ(clock.Look(0, 1).Back, 0);
}

}  // namespace
}  // namespace v42::test
