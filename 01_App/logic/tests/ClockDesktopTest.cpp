// The tray's number and tooltip, the alert's notification text and the dimming of passed
// departures, read from the clock at chosen moments.
#include <gtest/gtest.h>

#include <set>

#include "ClockDesktop.h"
#include "ClockFixture.h"

namespace v42::test {
namespace {

// A notification about the chosen departure holds until that departure's minute is over,
// midnight between, and no longer once the pick is moved.
TEST(Notice, HoldsUntilTheDeparturesMinuteIsOverOrThePickMoves) {
  TestClock clock({NightService()}, 23, 58);
  clock.ChooseDeparture(2, 1);  // 0:05 tomorrow
  NoticeKeeper notice;
  EXPECT_FALSE(notice.Stale(clock, clock.Now()));  // none sent yet
  notice.Sent(clock, clock.Now());
  clock.Jump(7 * 60 + 59);  // 0:05:59
  EXPECT_FALSE(notice.Stale(clock, clock.Now()));
  clock.Jump(1);
  EXPECT_TRUE(notice.Stale(clock, clock.Now()));
  notice.Withdrawn();
  EXPECT_FALSE(notice.Stale(clock, clock.Now()));

  clock.ChooseDeparture(2, 2);  // 0:20
  notice.Sent(clock, clock.Now());
  clock.ChooseDeparture(3, 1);  // 1:00: the notification spoke of another departure
  EXPECT_TRUE(notice.Stale(clock, clock.Now()));
}

TEST(Tray, NumberAndToolTipFollowTheChosenDepartureElseTheFirst) {
  TestClock clock({DayService()}, 8, 10);
  EXPECT_EQ(TrayNumber(clock), "5");
  EXPECT_EQ(TrayToolTip(clock, "平日"), "平日\n1st  8:15  5分前\n2nd  8:20  10分前\nSet  なし");

  clock.ChooseDeparture(3, 3);  // 8:50
  EXPECT_EQ(TrayNumber(clock), "40");
  EXPECT_EQ(TrayToolTip(clock, "平日"),
            "平日\n1st  8:15  5分前\n2nd  8:20  10分前\nSet  8:50  40分前");

  clock.ChooseDeparture(5, 2);  // 10:30, beyond what two digits hold
  EXPECT_EQ(TrayNumber(clock), "2h");
  EXPECT_EQ(TrayToolTip(clock, "平日").substr(TrayToolTip(clock, "平日").rfind('\n') + 1),
            "Set  10:30  2時間20分前");

  clock.ChooseDeparture(3, 1);  // 8:15
  clock.Jump(5 * 60);           // reached: the chosen one has passed, the 1st counts again
  EXPECT_EQ(clock.Panel(0).Comment, kPassed);
  EXPECT_EQ(TrayNumber(clock), "5");
  EXPECT_EQ(TrayToolTip(clock, "平日"),
            "平日\n1st  8:20  5分前\n2nd  8:50  35分前\nSet  8:15  通過しました。");

  TestClock over({DayService()}, 11, 15);  // the day's service is over
  EXPECT_EQ(TrayNumber(over), "–");
  EXPECT_EQ(TrayToolTip(over, "平日"),
            "平日\n1st  運行は終了しました。\n2nd  運行は終了しました。\nSet  なし");
}

TEST(Notice, SaysTheChosenDepartureAndTheMinutesLeftAtTheAlert) {
  const struct {
    int hour, minute, row, col, lead;
    const char* body;
  } cases[] = {
      {8, 10, 3, 2, 3, "8:20 発車まで あと3分"},
      {7, 0, 3, 3, 90, "8:50 発車まで あと1時間30分"},
      {8, 50, 3, 3, 3, "8:50 発車"},  // chosen as it leaves: nothing to count
  };
  for (const auto& c : cases) {
    IniSettings ini = Settings();
    ini.MessageTimes_Min = static_cast<std::int16_t>(c.lead);
    TestClock clock({DayService()}, c.hour, c.minute, 30, ini);
    clock.ChooseDeparture(c.row, c.col);
    int ticks = 0;
    while (!clock.Jump(1).AlertDue) ASSERT_LT(++ticks, 4 * 3600) << c.body;
    const AlertNotice notice = NoticeOf(clock);
    EXPECT_EQ(notice.Summary, "まもなく発車");
    EXPECT_EQ(notice.Body, c.body);
  }
}

// The passed cells as (row, col) pairs.
std::set<std::pair<int, int>> PassedCells(const DepartureClock& clock) {
  std::set<std::pair<int, int>> cells;
  for (int r = -1; r <= clock.GridRows(); ++r)
    for (int c = -1; c <= clock.GridCols(); ++c)
      if (Passed(clock, r, c)) cells.insert({r, c});
  return cells;
}

TEST(Dimming, PassedDeparturesAcrossAMinuteWithWalkingTimeAndOverMidnight) {
  using Cells = std::set<std::pair<int, int>>;
  {
    TestClock clock({DayService()}, 6, 14, 59);
    EXPECT_EQ(PassedCells(clock), (Cells{{0, 1}, {0, 2}, {1, 1}}));
    clock.Jump(1);  // 6:15 leaves now
    EXPECT_EQ(PassedCells(clock), (Cells{{0, 1}, {0, 2}, {1, 1}, {1, 2}}));
  }
  {
    TestClock walking({DayService()}, 6, 14, 59, Settings(15));  // at the stop at 6:29
    EXPECT_EQ(PassedCells(walking), (Cells{{0, 1}, {0, 2}, {1, 1}, {1, 2}}));
    walking.Jump(1);
    EXPECT_EQ(PassedCells(walking), (Cells{{0, 1}, {0, 2}, {1, 1}, {1, 2}, {1, 3}}));
    walking.Jump(4 * 3600);  // the service is over: all of it has gone
    EXPECT_EQ(PassedCells(walking).size(), 12u);
  }
  {
    // Before midnight the rows after it are still to come; after it, the evening has gone.
    TestClock night({NightService()}, 23, 59, 59);
    EXPECT_EQ(PassedCells(night), (Cells{{0, 1}, {0, 2}, {1, 1}}));
    night.Jump(6 * 60 + 1);  // 0:06
    EXPECT_EQ(PassedCells(night), (Cells{{0, 1}, {0, 2}, {1, 1}, {2, 1}}));
    night.Jump(3600);  // 1:06, over until the evening
    EXPECT_EQ(PassedCells(night).size(), 6u);
    night.Jump(3600);  // 2:06: the next service is the evening's, nothing has passed
    EXPECT_TRUE(PassedCells(night).empty());
  }
}

TEST(Dimming, FadesTheTextOfPassedCellsAndLeavesTheChosenAndTheNextTwo) {
  TimetableRecord table = DayService();
  table.Departures[0][1].TypeLetter = 'a';  // 5:10 in its type's colours
  table.Types[0] = {"急行", 0x0000FF, 0x00FFFF, false, false};
  table.GridColors.BaseForeColor = kBlack;
  table.GridColors.BaseBackColor = 0xFFFFFF;
  TestClock clock({table}, 6, 20);
  clock.ChooseDeparture(1, 1);  // 6:00, already gone

  const CellLook typed = ShownLook(clock, 0, 1, true);
  EXPECT_EQ(typed.Back, 0x00FFFF);
  EXPECT_EQ(typed.Fore, 0x0099FF);  // red 60 % of the way to yellow
  const CellLook plain = ShownLook(clock, 0, 2, true);
  EXPECT_EQ(plain.Fore, 0x999999);
  EXPECT_EQ(plain.Back, 0);  // the grid's own background stays the grid's
  for (auto [row, col] : {std::pair(1, 1), std::pair(1, 3), std::pair(1, 4), std::pair(0, 0)}) {
    const CellLook kept = ShownLook(clock, row, col, true), own = clock.Look(row, col);
    EXPECT_EQ(kept.Fore, own.Fore) << row << "," << col;
    EXPECT_EQ(kept.Back, own.Back) << row << "," << col;
  }
  EXPECT_EQ(ShownLook(clock, 0, 1, false).Fore, 0x0000FF);  // off: the clock's own colours
}

}  // namespace
}  // namespace v42::test
