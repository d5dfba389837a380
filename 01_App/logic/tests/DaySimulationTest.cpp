// A whole day, second by second across midnight, with departures chosen now and then.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "ClockFixture.h"

namespace v42::test {
namespace {

bool Digits(const std::string& s, std::size_t from, std::size_t to) {
  if (from >= to || to > s.size()) return false;
  for (std::size_t i = from; i < to; ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

// "h:mm", hour 0-23 without a leading zero.
bool IsDepartureTime(const std::string& s) {
  const auto colon = s.find(':');
  if (colon == std::string::npos || s.size() != colon + 3 || !Digits(s, 0, colon) ||
      !Digits(s, colon + 1, s.size()) || (colon == 2 && s[0] == '0'))
    return false;
  return std::stoi(s) < 24 && std::stoi(s.substr(colon + 1)) < 60;
}

bool IsCount(const std::string& s) { return Digits(s, 0, s.size()) && s[0] != '0'; }

// A service from 5 to 1 the next night, denser at rush hours, with typed departures.
TimetableRecord FullDay() {
  TimetableRecord record;
  for (int r = 0; r < 21; ++r) {
    record.Departures[r][0].Value = static_cast<std::uint8_t>((5 + r) % 24);
    const int step = (r == 2 || r == 3 || r == 13) ? 4 : 11 + r % 7;
    int s = 1;
    for (int m = r % 5; m < 60; m += step, ++s) {
      record.Departures[r][s] = {static_cast<std::uint8_t>(m),
                                 static_cast<std::uint8_t>(s % 3 ? 0 : 'a' + r % 3)};
    }
  }
  return record;
}

TEST(Day, InvariantsHoldSecondBySecond) {
  const IniSettings ini = Settings(7, 3);
  DepartureClock clock(Store({FullDay()}), ini);
  FakeClock wall(3, 0);
  clock.Load(wall.Now());
  const std::pair<Color, Color> next{GridColorSet{}.NextForeColor, GridColorSet{}.NextBackColor},
      chosen{GridColorSet{}.ChosenForeColor, GridColorSet{}.ChosenBackColor};

  unsigned seed = 42;
  int alertsOfChoice = 0, alertsTotal = 0, choices = 0, leaves = 0;
  bool armedByChoice = false;
  long long closeAt = -1;
  for (long long second = 1; second <= 26LL * 3600; ++second) {
    const ClockTime now = wall.Advance(1);
    if (second % (23 * 60) == 20) {  // pick a cell, sometimes a useless one
      seed = seed * 1103515245u + 12345u;
      const int rows = clock.GridRows(), cols = clock.GridCols();
      const int near = std::min(std::max(clock.CellY(1), 0) + int(seed >> 28) % 2, rows - 1);
      const bool wild = seed % 5 == 0;  // anywhere: hour column, empty cell, long gone
      clock.ChooseDeparture(wild ? int(seed >> 8) % rows : near,
                            wild ? int(seed >> 20) % cols : 1 + int(seed >> 20) % 4);
      if (clock.AlertArmed()) {
        armedByChoice = true;
        alertsOfChoice = 0;
        ++choices;
      }
    }
    const TickResult tick = clock.NowTimeWrite(now);
    if (tick.AlertDue) {
      ++alertsOfChoice;
      ++alertsTotal;
      closeAt = second + 45;
    }
    if (second == closeAt) clock.AlertClosed(now);
    ASSERT_LE(alertsOfChoice, 1) << clock.NowText();

    char label[32];
    std::snprintf(label, sizeof label, "%04d.%02d.%02d  %02d:%02d:%02d", now.Year, now.Month,
                  now.Day, now.Hour, now.Minute, now.Second);
    ASSERT_EQ(clock.NowText(), label);
    const PanelText &set = clock.Panel(0), &first = clock.Panel(1), &second2 = clock.Panel(2);
    SCOPED_TRACE(clock.NowText() + " 1st " + first.Time + " 2nd " + second2.Time + " set " +
                 set.Time + " " + set.Minutes);

    // By the time one must leave for the chosen departure, its alert has come.
    const int reach = (now.Hour * 60 + now.Minute + 7) % 1440;
    if (armedByChoice && now.Second == 0 && !set.Time.empty() &&
        std::stoi(set.Time) * 60 + std::stoi(set.Time.substr(set.Time.find(':') + 1)) == reach) {
      ASSERT_EQ(alertsOfChoice, 1);
      ++leaves;
    }

    for (const PanelText* p : {&first, &second2}) {
      ASSERT_TRUE(p->Time.empty() || IsDepartureTime(p->Time));
      ASSERT_EQ(p->Minutes.empty(), p->Time.empty());
      ASSERT_TRUE(p->Minutes.empty() || IsCount(p->Minutes));
      ASSERT_EQ(p->Comment, p->Time.empty() ? ini.Comments[0].Text : "");
    }
    if (!second2.Time.empty()) {  // the 1st is never after the 2nd
      ASSERT_FALSE(first.Time.empty());
      ASSERT_LT(std::pair(clock.CellY(1), clock.CellX(1)),
                std::pair(clock.CellY(2), clock.CellX(2)));
      ASSERT_LT(std::stoi(first.Minutes), std::stoi(second2.Minutes));
    }
    if (!first.Time.empty()) {
      const CellLook look = clock.Look(clock.CellY(1), clock.CellX(1));
      ASSERT_TRUE(std::pair(look.Fore, look.Back) == next ||
                  std::pair(look.Fore, look.Back) == chosen);
    }
    ASSERT_TRUE(set.Time.empty() || IsDepartureTime(set.Time));
    const auto colon = set.Minutes.find(':');
    if (colon == std::string::npos) {
      ASSERT_TRUE(set.Minutes.empty() || (IsCount(set.Minutes) && set.Minutes.size() <= 2));
      if (!set.Minutes.empty()) {
        ASSERT_EQ(clock.UnitText(), "分前");
      }
    } else {
      ASSERT_TRUE(IsDepartureTime(set.Minutes) && set.Minutes[0] != '0');
      ASSERT_EQ(clock.UnitText(), "前");
    }
    ASSERT_TRUE(set.Comment.empty() || set.Comment == ini.Comments[1].Text ||
                set.Comment == ini.Comments[2].Text);
    ASSERT_EQ(clock.MinimisedCaption().rfind("ベルカン 42 (" + set.Minutes, 0), 0u);
  }
  EXPECT_GT(choices, 40);
  EXPECT_GT(alertsTotal, 15);
  EXPECT_GT(leaves, 5);
  EXPECT_EQ(wall.Now().Day, 7);
}

}  // namespace
}  // namespace v42::test
