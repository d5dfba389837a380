// The hand-picked departure: its countdown, its alert, its colours and the caption.
#include <gtest/gtest.h>

#include "ClockFixture.h"

namespace v42::test {
namespace {

struct ChoiceCase {
  const char* Name;
  TimetableRecord (*Table)();
  int Hour, Minute, Second, Row, Col;
  const char* Minutes;  // panel 0 right after choosing
  int Font;             // 9 goes with the "h:mm" form and its unit "前"
  const char* Comment;
  int AlertAfter;  // seconds from the choice; the lead is 3 minutes
};

const ChoiceCase kChoiceCases[] = {
    {"TwoAheadAlertsAtTheNextMinute", DayService, 8, 13, 30, 3, 1, "2", 12, "", 30},
    {"AlertsExactlyAtTheLead", DayService, 8, 10, 30, 3, 1, "5", 12, "", 90},
    {"FiftyNine", DayService, 7, 16, 0, 3, 1, "59", 12, "", 56 * 60},
    {"Sixty", DayService, 7, 15, 0, 3, 1, "1:00", 9, "", 57 * 60},
    {"SixtyFive", DayService, 7, 10, 0, 3, 1, "1:05", 9, "", 62 * 60},
    {"TwoHoursThirty", DayService, 8, 0, 0, 5, 2, "2:30", 9, "", 147 * 60},
    {"ReachedNow", DayService, 8, 15, 0, 3, 1, "", 12, kPassed, 60},
    {"Passed", DayService, 8, 16, 0, 3, 1, "", 12, kPassed, 60},
    {"EarlierHour", DayService, 10, 0, 0, 1, 2, "", 12, kPassed, 60},
    // Chosen in the row of the 1st (0:05) after midnight: not passed.
    {"TheFirstAfterMidnight", NightService, 23, 58, 0, 2, 1, "7", 12, "", 4 * 60},
    {"AfterMidnightInTheRowOfTheFirst", NightService, 23, 58, 0, 2, 2, "22", 12, "", 19 * 60},
};

class Choice : public testing::TestWithParam<ChoiceCase> {};

TEST_P(Choice, CountsDownAndAlertsOnce) {
  const ChoiceCase& c = GetParam();
  TestClock clock({c.Table()}, c.Hour, c.Minute, c.Second);
  clock.ChooseDeparture(c.Row, c.Col);
  EXPECT_EQ(clock.Panel(0).Minutes, c.Minutes);
  EXPECT_EQ(clock.Panel(0).MinutesFontSize, c.Font);
  EXPECT_EQ(clock.Panel(0).Comment, c.Comment);
  EXPECT_EQ(clock.UnitText(), c.Font == 9 ? "前" : "分前");
  EXPECT_EQ(clock.Panel0Layout().Width, c.Font == 9 ? 555 : 435);
  EXPECT_EQ(clock.Run(c.AlertAfter - 1), 0);
  EXPECT_TRUE(clock.Jump(1).AlertDue);
  EXPECT_EQ(clock.Run(120), 0);  // not again while it is open
  clock.AlertClosed(clock.Now());
  EXPECT_EQ(clock.Run(120), 0);  // nor after
}

INSTANTIATE_TEST_SUITE_P(Clock, Choice, testing::ValuesIn(kChoiceCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(Choice, RefusesTheHourColumnEmptyCellsAndTheEndOfService) {
  TestClock clock({DayService()}, 7, 0);
  for (auto [row, col] : {std::pair(2, 0), std::pair(6, 1), std::pair(0, 7), std::pair(-1, 1)})
    clock.ChooseDeparture(row, col);
  EXPECT_EQ(clock.CellX(0), 0);
  EXPECT_FALSE(clock.AlertArmed());

  clock.ChooseDeparture(3, 1);
  clock.ChooseDeparture(2, 3);  // an empty cell: nothing to count down to, nothing to alert
  EXPECT_EQ(clock.Panel(0).Time + clock.Panel(0).Minutes, "");
  EXPECT_FALSE(clock.AlertArmed());
  EXPECT_EQ(clock.Look(3, 1).Back, 0);  // the old choice lost its colours

  TestClock late({DayService()}, 10, 31);  // after the day's last departure
  late.ChooseDeparture(5, 1);
  EXPECT_EQ(late.Panel(0).Time, "");
  EXPECT_FALSE(late.AlertArmed());
}

TEST(Choice, ClosingTheAlertAndLeavingUpdatePanelZeroAndTheCaption) {
  TestClock clock({DayService()}, 8, 10, 30);
  EXPECT_FALSE(clock.Jump(61).CaptionDue);  // a minute on, nothing chosen

  clock.ChooseDeparture(3, 1);
  EXPECT_EQ(clock.MinimisedCaption(), "ベルカン 42 (4分前) 8:15");
  EXPECT_TRUE(clock.Jump(1).CaptionDue);
  EXPECT_FALSE(clock.Jump(1).CaptionDue);
  EXPECT_EQ(clock.Run(3 * 60), 1);  // 8:14:33, alerted at 8:12
  clock.AlertClosed(clock.Now());
  EXPECT_EQ(clock.Panel(0).Comment, kComing);
  EXPECT_EQ(clock.Panel(0).CommentColor, 0x80FFFF);
  EXPECT_FALSE(clock.Jump(1).CaptionDue);
  EXPECT_TRUE(clock.Jump(26).CaptionDue);  // 8:15:00, the 1st reached, time to leave
  EXPECT_EQ(clock.Panel(0).Comment, kPassed);

  clock.ChooseDeparture(3, 1);  // choosing again re-arms
  EXPECT_TRUE(clock.AlertArmed());
  clock.ChooseDeparture(5, 1);  // 10:05
  EXPECT_EQ(clock.MinimisedCaption(), "ベルカン 42 (1:50前) 8:20");

  TestClock night({NightService()}, 23, 58, 59);
  EXPECT_FALSE(night.Jump(1).CaptionDue);  // 23:59, nothing new
  EXPECT_TRUE(night.Jump(60).CaptionDue);  // 0:00 searches again
}

TEST(Choice, CarriedAcrossMidnightIsNotRearmed) {
  TestClock clock({DayService()}, 10, 0, 30);
  clock.ChooseDeparture(5, 2);  // 10:30
  EXPECT_EQ(clock.Run(27 * 60), 1);
  clock.AlertClosed(clock.Now());
  clock.Jump(13 * 3600 + 32 * 60);               // 23:59:30
  EXPECT_EQ(clock.Run(10 * 3600 + 30 * 60), 0);  // the next day, 10:29:30
  EXPECT_EQ(clock.Panel(0).Minutes, "1");
}

// Nothing chosen means nothing to count down to, also once the day's service is over: panel 0
// and the minimised caption stay without minutes through the night's re-searches.
TEST(Choice, NothingChosenNoCountdownAlsoAfterTheService) {
  for (TimetableRecord (*table)() : {DayService, NightService}) {
    TestClock clock({table()}, 22, 0);
    int overMinutes = 0;
    for (int minute = 0; minute < 4 * 60; ++minute, clock.Jump(60)) {  // to 2:00
      SCOPED_TRACE(clock.NowText());
      EXPECT_EQ(clock.Panel(0).Time + clock.Panel(0).Minutes, "");
      EXPECT_EQ(clock.MinimisedCaption(), "ベルカン 42 (分前) " + clock.Panel(1).Time);
      overMinutes += clock.Panel(1).Time.empty();
    }
    EXPECT_EQ(overMinutes, table == DayService ? 2 * 60 : 60);
  }
}

std::pair<Color, Color> Colors(CellLook look) { return {look.Fore, look.Back}; }

TEST(Look, LayersTypeNextAndChosenColours) {
  TimetableRecord record = DayService();
  record.Departures[1][1].TypeLetter = record.Departures[3][1].TypeLetter = 'a';  // 6:00, 8:15
  record.Types[0] = {"急行", 0x111111, 0x222222, true, false};
  record.GridColors = {kBlack, kWhite, 0x0A, 0x0B, 0x0C, 0x0D};
  const std::pair<Color, Color> type{0x111111, 0x222222}, next{0x0A, 0x0B}, chosen{0x0C, 0x0D};

  TestClock clock({record}, 8, 0);
  EXPECT_EQ(Colors(clock.Look(1, 1)), type);
  EXPECT_EQ(Colors(clock.Look(3, 1)), next);
  clock.ChooseDeparture(3, 2);  // 8:20
  EXPECT_EQ(Colors(clock.Look(3, 2)), chosen);
  clock.Run(15 * 60);  // 8:15: the chosen cell becomes the 1st
  EXPECT_EQ(Colors(clock.Look(3, 1)), type);
  EXPECT_EQ(Colors(clock.Look(3, 2)), next);
  clock.Run(5 * 60);  // 8:20: it is passed and keeps the chosen colours
  EXPECT_EQ(Colors(clock.Look(3, 2)), chosen);
  EXPECT_EQ(Colors(clock.Look(3, 3)), next);
  clock.ChooseDeparture(3, 3);
  clock.ChooseDeparture(1, 1);  // the old choice, the 1st, gets the next colours back
  EXPECT_EQ(Colors(clock.Look(3, 3)), next);
  EXPECT_EQ(Colors(clock.Look(1, 1)), chosen);

  clock.SetSettings(Settings());  // a typed chosen cell keeps the chosen colours
  EXPECT_EQ(Colors(clock.Look(1, 1)), chosen);

  clock.SelectTimetable(0);  // forgets the choice
  EXPECT_EQ(Colors(clock.Look(1, 1)), type);
  EXPECT_EQ(clock.CellX(0), 0);
  EXPECT_FALSE(clock.AlertArmed());
}

}  // namespace
}  // namespace v42::test
