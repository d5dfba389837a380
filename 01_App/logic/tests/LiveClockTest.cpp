// The clock counting down with live data: expected times, cancellations, the alert.
#include <gtest/gtest.h>

#include "ClockDesktop.h"
#include "ClockFixture.h"

namespace v42::test {
namespace {

struct Said {
  int Hour, Minute;
  std::optional<int> Delay;
  bool Canceled = false;
};

LiveState Live(std::initializer_list<Said> said) {
  LiveState live;
  live.Fresh = true;
  live.Age = 20;
  for (const Said& s : said) {
    LiveDeparture d;
    d.Hour = s.Hour;
    d.Minute = s.Minute;
    d.Delay = s.Delay;
    d.Canceled = s.Canceled;
    live.Departures.push_back(d);
  }
  return live;
}

std::string Panels(const DepartureClock& c) {
  std::string text;
  for (int i : {1, 2})
    text += c.Panel(i).Time + "/" + c.Panel(i).Minutes + "/" + c.Live(i).Change + " ";
  return text;
}

TEST(LiveClock, PanelsCountDownToTheExpectedTimes) {
  struct Case {
    const char* Name;
    int Hour, Minute;
    LiveState State;
    std::string Shown;
  };
  const std::vector<Case> cases = {
      {"a late bus is overtaken by the next", 8, 0, Live({{8, 15, 420}, {8, 20, 0}}),
       "8:20/20/定刻 8:15/22/→8:22（7分遅れ） "},
      {"scheduled before now but still coming", 8, 17, Live({{8, 15, 420}}),
       "8:20/3/ 8:15/5/→8:22（7分遅れ） "},
      {"early", 8, 0, Live({{8, 15, -120}}), "8:15/13/→8:13（2分早い） 8:20/20/ "},
      {"cancelled is skipped", 8, 0, Live({{8, 15, std::nullopt, true}}), "8:20/20/ 8:50/50/ "},
      {"stale data changes nothing", 8, 0,
       [] {
         LiveState s = Live({{8, 15, std::nullopt, true}});
         s.Fresh = false;
         return s;
       }(),
       "8:15/15/ 8:20/20/ "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TestClock clock({DayService()}, c.Hour, c.Minute);
    const std::string before = Panels(clock);
    clock.SetLive(0, c.State);
    EXPECT_EQ(Panels(clock), c.Shown);
    EXPECT_EQ(clock.Canceled(3, 1), c.State.Fresh && c.State.Departures[0].Canceled);
    // Back to the timetable alone when the data goes.
    clock.SetLive(0, LiveState{});
    EXPECT_EQ(Panels(clock), before);
    EXPECT_FALSE(clock.Canceled(3, 1));
  }
}

TEST(LiveClock, OnlyTheTimetableOnShowUsesIt) {
  TestClock clock({DayService(), DayService()}, 8, 0);
  clock.SetLive(1, Live({{8, 15, 600}}));
  EXPECT_EQ(clock.Panel(1).Time, "8:15");
  EXPECT_EQ(clock.Panel(1).Minutes, "15");
  clock.SelectTimetable(1);
  EXPECT_EQ(clock.Panel(1).Time, "8:20");
  EXPECT_EQ(clock.Panel(2).Minutes, "25");
}

TEST(LiveClock, ALateBusPastMidnightStillComesAndTheMinuteMovesOn) {
  TestClock clock({NightService()}, 23, 50);
  clock.SetLive(0, Live({{23, 30, 40 * 60}}));  // expected 0:10
  EXPECT_EQ(Panels(clock), "0:05/15/ 23:30/20/→0:10（40分遅れ） ");
  clock.Jump(15 * 60);  // 0:05: the 0:05 has left, the late one comes in 5
  EXPECT_EQ(Panels(clock), "23:30/5/→0:10（40分遅れ） 0:20/15/ ");
  EXPECT_FALSE(Passed(clock, 1, 1));  // not dimmed: it has yet to come
  EXPECT_TRUE(Passed(clock, 0, 1));
  clock.Jump(5 * 60);  // 0:10: reached
  EXPECT_EQ(clock.Panel(1).Time, "0:20");
}

TEST(LiveClock, TheAlertFollowsTheExpectedTimeAndIsToldWhenItMoves) {
  TestClock clock({DayService()}, 8, 40);  // alert lead: 3 minutes
  clock.ChooseDeparture(3, 3);             // 8:50
  clock.SetLive(0, Live({{8, 50, 5 * 60}}));
  EXPECT_EQ(clock.Panel(0).Minutes, "15");
  EXPECT_EQ(clock.Run(6 * 60 + 59), 0);  // 8:46:59: the timetable's time would have alerted
  EXPECT_EQ(clock.Run(5 * 60 + 1), 1);   // at 8:52, 3 minutes before 8:55
  EXPECT_EQ(NoticeOf(clock).Body, "8:50 発車 →8:55（5分遅れ）まで あと3分");

  clock.SetLive(0, Live({{8, 50, 6 * 60}}));  // one more minute: not worth a word
  EXPECT_FALSE(clock.Jump(1).AlertMoved);
  clock.SetLive(0, Live({{8, 50, 8 * 60}}));  // now 8:58, 3 minutes later than alerted
  EXPECT_TRUE(clock.Jump(1).AlertMoved);
  EXPECT_FALSE(clock.Jump(1).AlertMoved);
  EXPECT_EQ(clock.Panel(0).Minutes, "6");
}

TEST(LiveClock, AlertsShowInOneLineWithTheFullTextBehind) {
  TestClock clock({DayService()}, 8, 0);
  LiveState live = Live({});
  live.Alerts = {{"大雪のため遅れ", "全線で30分程度の遅れ", "SIGNIFICANT_DELAYS"},
                 {"", "駅前停留所移設", "STOP_MOVED"}};
  clock.SetLive(0, live);
  EXPECT_EQ(AlertLine(clock), "⚠ 大雪のため遅れ / 駅前停留所移設");
  EXPECT_EQ(AlertDetails(clock), "大雪のため遅れ\n全線で30分程度の遅れ\n\n駅前停留所移設");
  EXPECT_NE(TrayToolTip(clock, "駅前").find("⚠ 大雪"), std::string::npos);
  clock.SetLive(0, LiveState{});
  EXPECT_EQ(AlertLine(clock), "");
}

}  // namespace
}  // namespace v42::test
