// The hand-picked departure: its countdown, its alert, the clock's jumps and the caption.
#include <gtest/gtest.h>

#include "ClockFixture.h"

namespace v42::test {
namespace {

struct Panel0Case {
  const char* Name;
  int Hour, Minute, Row, Col;
  const char *Minutes, *Unit;
  int Font;
  const char* Comment;
};

const Panel0Case kPanel0Cases[] = {
    {"FiveAhead", 8, 10, 3, 1, "5", "分前", 12, ""},
    {"FiftyNine", 7, 16, 3, 1, "59", "分前", 12, ""},
    {"Sixty", 7, 15, 3, 1, "1:00", "前", 9, ""},
    {"SixtyFive", 7, 10, 3, 1, "1:05", "前", 9, ""},
    {"TwoHoursThirty", 8, 0, 5, 2, "2:30", "前", 9, ""},
    {"ReachedNow", 8, 15, 3, 1, "", "分前", 12, kPassed},
    {"Passed", 8, 16, 3, 1, "", "分前", 12, kPassed},
    {"EarlierHour", 10, 0, 1, 2, "", "分前", 12, kPassed},
};

class Panel0 : public testing::TestWithParam<Panel0Case> {};

TEST_P(Panel0, CountsDownToTheChosenDeparture) {
  const Panel0Case& c = GetParam();
  DepartureClock clock(Store({DayService()}), Settings());
  clock.Load(FakeClock(c.Hour, c.Minute).Now());
  clock.ChooseDeparture(c.Row, c.Col);
  EXPECT_EQ(clock.Panel(0).Minutes, c.Minutes);
  EXPECT_EQ(clock.UnitText(), c.Unit);
  EXPECT_EQ(clock.Panel(0).MinutesFontSize, c.Font);
  EXPECT_EQ(clock.Panel(0).Comment, c.Comment);
  EXPECT_EQ(clock.Panel0Layout().Width, c.Font == 9 ? 555 : 435);
  EXPECT_EQ(clock.Panel0Layout().UnitLeft, c.Font == 9 ? 1860 : 1680);
}

INSTANTIATE_TEST_SUITE_P(Clock, Panel0, testing::ValuesIn(kPanel0Cases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(Choose, RefusesTheHourColumnAndTheEndOfService) {
  DepartureClock clock(Store({DayService()}), Settings());
  clock.Load(FakeClock(7, 0).Now());
  for (auto [row, col] : {std::pair(2, 0), std::pair(6, 1), std::pair(0, 7), std::pair(-1, 1)})
    clock.ChooseDeparture(row, col);
  EXPECT_EQ(clock.CellX(0), 0);
  EXPECT_EQ(clock.Look(2, 0).Back, 0);

  clock.ChooseDeparture(3, 1);
  ASSERT_TRUE(clock.AlertArmed());
  clock.ChooseDeparture(2, 3);  // an empty cell: nothing to count down to, nothing to alert
  EXPECT_EQ(clock.Panel(0).Time, "");
  EXPECT_EQ(clock.Panel(0).Minutes, "");
  EXPECT_FALSE(clock.AlertArmed());
  EXPECT_EQ(clock.Look(3, 1).Back, 0);  // the old choice lost its colours
  EXPECT_EQ(clock.Look(2, 3).Back, 0);

  DepartureClock late(Store({DayService()}), Settings());
  late.Load(FakeClock(10, 31).Now());
  late.ChooseDeparture(5, 1);
  EXPECT_EQ(late.Panel(0).Time, "");
  EXPECT_FALSE(late.AlertArmed());
}

TEST(Alert, TwoMinutesAheadComesOnceAtTheNextMinute) {
  DepartureClock clock(Store({DayService()}), Settings(0, 3));
  FakeClock wall(8, 13, 30);
  clock.Load(wall.Now());
  clock.ChooseDeparture(3, 1);  // 8:15
  EXPECT_EQ(RunFor(clock, wall, 29), 0);
  EXPECT_TRUE(clock.NowTimeWrite(wall.Advance(1)).AlertDue);  // 8:14:00
  EXPECT_EQ(RunFor(clock, wall, 30), 0);                      // the alert is still open
  clock.AlertClosed(wall.Now());
  EXPECT_EQ(clock.Panel(0).Comment, kComing);
  EXPECT_EQ(clock.Panel(0).CommentColor, 0x80FFFF);
  EXPECT_EQ(RunFor(clock, wall, 30), 0);  // 8:15:00, time to leave
  EXPECT_EQ(clock.Panel(0).Comment, kPassed);

  clock.ChooseDeparture(3, 1);  // choosing again re-arms
  EXPECT_TRUE(clock.AlertArmed());
  EXPECT_EQ(RunFor(clock, wall, 60), 1);
}

TEST(Alert, ComesAtTheLeadAndForAPassedDeparture) {
  DepartureClock clock(Store({DayService()}), Settings(0, 3));
  FakeClock wall(8, 10);
  clock.Load(wall.Now());
  clock.ChooseDeparture(3, 3);  // 8:50
  EXPECT_EQ(RunFor(clock, wall, 37 * 60 - 1), 0);
  EXPECT_TRUE(clock.NowTimeWrite(wall.Advance(1)).AlertDue);  // 8:47:00, 3 minutes ahead

  clock.ChooseDeparture(3, 1);  // 8:15, long gone
  EXPECT_EQ(clock.Panel(0).Comment, kPassed);
  EXPECT_EQ(RunFor(clock, wall, 60), 1);
}

TEST(Alert, ChosenAfterMidnightInTheRowOfTheFirst) {
  // At 23:58 the 1st (0:05) and the chosen 0:20 share a row: 22 minutes, not "passed".
  DepartureClock clock(Store({NightService()}), Settings(0, 3));
  FakeClock wall(23, 58);
  clock.Load(wall.Now());
  clock.ChooseDeparture(2, 2);
  EXPECT_EQ(clock.Panel(0).Minutes, "22");
  EXPECT_EQ(RunFor(clock, wall, 18 * 60), 0);
  EXPECT_EQ(clock.Panel(0).Minutes, "4");
  EXPECT_EQ(RunFor(clock, wall, 60), 1);  // 0:17, 3 minutes ahead
}

TEST(Clock, JumpsSearchAgain) {
  DepartureClock clock(Store({DayService()}), Settings());
  FakeClock wall(8, 10);
  clock.Load(wall.Now());
  RunFor(clock, wall, 60);
  EXPECT_EQ(clock.Panel(1).Time, "8:15");
  clock.NowTimeWrite(wall.Advance(6 * 60 + 5));  // 8:17:05
  EXPECT_EQ(clock.Panel(1).Time, "8:20");
  clock.NowTimeWrite(wall.Advance(-77 * 60));  // back to 7:00:05
  EXPECT_EQ(clock.Panel(1).Time, "7:05");
  RunFor(clock, wall, 5 * 60);  // 7:05 reached
  EXPECT_EQ(clock.Panel(1).Time, "8:15");
}

TEST(Clock, MidnightSearchesAgain) {
  DepartureClock night(Store({NightService()}), Settings());
  FakeClock wall(23, 58, 59);
  night.Load(wall.Now());
  EXPECT_FALSE(night.NowTimeWrite(wall.Advance(1)).CaptionDue);  // 23:59, nothing new
  EXPECT_TRUE(night.NowTimeWrite(wall.Advance(60)).CaptionDue);  // 0:00 counts as a jump
  EXPECT_EQ(night.Panel(1).Time, "0:05");

  DepartureClock day(Store({DayService()}), Settings());
  FakeClock dayWall(23, 59, 30);
  day.Load(dayWall.Now());
  RunFor(day, dayWall, 30);
  EXPECT_EQ(day.Panel(1).Time, "5:10");
  EXPECT_EQ(day.Panel(0).Comment, "") << "nothing chosen, nothing passed at 0:00";
}

TEST(Clock, ServiceOverSearchesEachMinuteForALaterService) {
  DepartureClock clock(Store({NightService()}), Settings());
  FakeClock wall(1, 58, 30);
  clock.Load(wall.Now());
  EXPECT_EQ(clock.Panel(1).Time, "");
  RunFor(clock, wall, 90);  // 2:00
  EXPECT_EQ(clock.Panel(1).Time, "22:10");
}

TEST(Clock, ChosenDepartureCarriedAcrossMidnightIsNotRearmed) {
  DepartureClock clock(Store({DayService()}), Settings(0, 3));
  FakeClock wall(10, 0, 30);
  clock.Load(wall.Now());
  clock.ChooseDeparture(5, 2);  // 10:30
  EXPECT_EQ(RunFor(clock, wall, 27 * 60), 1);
  clock.AlertClosed(wall.Now());
  clock.NowTimeWrite(wall.Advance(13 * 3600 + 32 * 60));  // 23:59:30
  EXPECT_EQ(RunFor(clock, wall, 60), 0);
  EXPECT_EQ(clock.Panel(0).Minutes, "10:30");
  EXPECT_EQ(clock.UnitText(), "前");
  EXPECT_EQ(RunFor(clock, wall, 10 * 3600 + 29 * 60), 0);  // the next day, 10:29:30
  EXPECT_EQ(clock.Panel(0).Minutes, "1");
  EXPECT_FALSE(clock.AlertArmed());
}

TEST(Caption, FollowsPanelZeroAndTheSearch) {
  DepartureClock clock(Store({DayService()}), Settings());
  FakeClock wall(8, 10, 30);
  clock.Load(wall.Now());
  EXPECT_EQ(clock.MinimisedCaption(), "ベルカン 42 (分前) 8:15");
  EXPECT_FALSE(clock.NowTimeWrite(wall.Advance(1)).CaptionDue);
  EXPECT_FALSE(clock.NowTimeWrite(wall.Advance(60)).CaptionDue);  // a minute, nothing chosen

  clock.ChooseDeparture(3, 1);
  EXPECT_EQ(clock.MinimisedCaption(), "ベルカン 42 (4分前) 8:15");
  EXPECT_TRUE(clock.NowTimeWrite(wall.Advance(1)).CaptionDue);
  EXPECT_FALSE(clock.NowTimeWrite(wall.Advance(1)).CaptionDue);
  EXPECT_EQ(RunFor(clock, wall, 3 * 60), 1);  // 8:14:33, alerted at 8:12
  clock.AlertClosed(wall.Now());
  EXPECT_FALSE(clock.NowTimeWrite(wall.Advance(1)).CaptionDue);
  EXPECT_TRUE(clock.NowTimeWrite(wall.Advance(26)).CaptionDue);  // 8:15:00, the 1st reached
  EXPECT_EQ(clock.MinimisedCaption(), "ベルカン 42 (分前) 8:20");

  clock.ChooseDeparture(5, 1);  // 10:05
  EXPECT_EQ(clock.MinimisedCaption(), "ベルカン 42 (1:50前) 8:20");
}

std::pair<Color, Color> Colors(CellLook look) { return {look.Fore, look.Back}; }

TEST(Look, LayersTypeNextAndChosenColours) {
  TimetableRecord record = DayService();
  record.Departures[1][1].TypeLetter = 'a';  // 6:00
  record.Departures[3][1].TypeLetter = 'b';  // 8:15
  record.Types[0] = {"急行", 0x111111, 0x222222, true, false};
  record.Types[1] = {"快速", 0x333333, 0x444444, false, true};
  record.GridColors = {kBlack, kWhite, 0x0A, 0x0B, 0x0C, 0x0D};
  const std::pair<Color, Color> typeA{0x111111, 0x222222}, typeB{0x333333, 0x444444},
      next{0x0A, 0x0B}, chosen{0x0C, 0x0D}, own{0, 0};

  DepartureClock clock(Store({record}), Settings());
  FakeClock wall(8, 0);
  clock.Load(wall.Now());
  EXPECT_EQ(Colors(clock.Look(1, 1)), typeA);
  EXPECT_EQ(Colors(clock.Look(3, 1)), next);
  clock.ChooseDeparture(3, 2);  // 8:20
  EXPECT_EQ(Colors(clock.Look(3, 2)), chosen);
  RunFor(clock, wall, 15 * 60);  // 8:15: the chosen cell becomes the 1st
  EXPECT_EQ(Colors(clock.Look(3, 1)), typeB);
  EXPECT_EQ(Colors(clock.Look(3, 2)), next);
  RunFor(clock, wall, 5 * 60);  // 8:20: it is passed and keeps the chosen colours
  EXPECT_EQ(Colors(clock.Look(3, 2)), chosen);
  EXPECT_EQ(Colors(clock.Look(3, 3)), next);
  clock.ChooseDeparture(3, 3);
  EXPECT_EQ(Colors(clock.Look(3, 3)), chosen);
  clock.ChooseDeparture(1, 1);  // the old choice, the 1st, gets the next colours back
  EXPECT_EQ(Colors(clock.Look(3, 3)), next);
  EXPECT_EQ(Colors(clock.Look(1, 1)), chosen);

  IniSettings changed = Settings();
  changed.Comments[1].Text = "行っちゃった";
  clock.SetSettings(changed);  // the choice, its colours and its alert state stay
  EXPECT_EQ(Colors(clock.Look(1, 1)), chosen);
  EXPECT_TRUE(clock.AlertArmed());
  EXPECT_EQ(RunFor(clock, wall, 60), 1);
  EXPECT_EQ(clock.Panel(0).Comment, "行っちゃった");

  clock.SelectTimetable(0);
  EXPECT_EQ(Colors(clock.Look(1, 1)), typeA);
  EXPECT_EQ(Colors(clock.Look(3, 2)), own);
  EXPECT_EQ(clock.CellX(0), 0);
  EXPECT_FALSE(clock.AlertArmed());
}

}  // namespace
}  // namespace v42::test
