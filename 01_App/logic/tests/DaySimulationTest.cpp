// A whole day, second by second across midnight, with departures chosen now and then.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "ClockFixture.h"

namespace v42::test {
namespace {

// The minute of the day of an "h:mm" text without a leading zero, or -1.
int MinuteOfDay(const std::string& s) {
  int h = -1, m = -1;
  char text[16];
  std::sscanf(s.c_str(), "%d:%d", &h, &m);
  std::snprintf(text, sizeof text, "%d:%02d", h, m);
  return s == text && h >= 0 && h < 24 && m >= 0 && m < 60 ? h * 60 + m : -1;
}

bool IsCount(const std::string& s, std::size_t maxDigits = 9) {
  return !s.empty() && s.size() <= maxDigits && s[0] != '0' &&
         s.find_first_not_of("0123456789") == std::string::npos;
}

// A service from 5 to 1 the next night, denser at rush hours, with typed departures.
TimetableRecord FullDay() {
  TimetableRecord record;
  for (int r = 0; r < 21; ++r) {
    auto& cells = record.Departures[r];
    cells[0].Value = static_cast<std::uint8_t>((5 + r) % 24);
    for (int m = r % 5, s = 1; m < 60; m += (r == 2 || r == 3 || r == 13) ? 4 : 11 + r % 7, ++s)
      cells[s] = {static_cast<std::uint8_t>(m), static_cast<std::uint8_t>(s % 3 ? 0 : 'a' + r % 3)};
  }
  return record;
}

TEST(Day, InvariantsHoldSecondBySecond) {
  TestClock clock({FullDay()}, 3, 0, 0, Settings(7));
  const GridColorSet colors;
  unsigned seed = 42;
  int alertsOfChoice = 0, choices = 0, leaves = 0;
  long long closeAt = -1;
  for (long long second = 1; second <= 26LL * 3600; ++second) {
    if (second % (23 * 60) == 20) {  // pick a cell, sometimes a useless one
      seed = seed * 1103515245u + 12345u;
      const int rows = clock.GridRows(), cols = clock.GridCols();
      const int near = std::min(std::max(clock.CellY(1), 0) + int(seed >> 28) % 2, rows - 1);
      const bool wild = seed % 5 == 0;  // anywhere: hour column, empty cell, long gone
      clock.ChooseDeparture(wild ? int(seed >> 8) % rows : near,
                            wild ? int(seed >> 20) % cols : 1 + int(seed >> 20) % 4);
      if (clock.AlertArmed()) alertsOfChoice = 0, ++choices;
    }
    if (clock.Jump(1).AlertDue) ++alertsOfChoice, closeAt = second + 45;
    const ClockTime now = clock.Now();
    if (second == closeAt) clock.AlertClosed(now);
    SCOPED_TRACE(clock.NowText());
    ASSERT_LE(alertsOfChoice, 1);

    char label[32];
    std::snprintf(label, sizeof label, "%04d.%02d.%02d  %02d:%02d:%02d", now.Year, now.Month,
                  now.Day, now.Hour, now.Minute, now.Second);
    ASSERT_EQ(clock.NowText(), label);
    const PanelText &set = clock.Panel(0), &first = clock.Panel(1), &second2 = clock.Panel(2);

    // By the time one must leave for the chosen departure, its alert has come.
    const int reach = (now.Hour * 60 + now.Minute + 7) % 1440;
    if (choices && now.Second == 0 && MinuteOfDay(set.Time) == reach) {
      ASSERT_EQ(alertsOfChoice, 1);
      ++leaves;
    }

    for (const PanelText* p : {&first, &second2}) {
      ASSERT_TRUE(p->Time.empty() ? p->Minutes.empty()
                                  : MinuteOfDay(p->Time) >= 0 && IsCount(p->Minutes));
      ASSERT_EQ(p->Comment, p->Time.empty() ? kOver : "");
    }
    if (!second2.Time.empty()) {  // the 1st is never after the 2nd
      ASSERT_LT(std::stoi(first.Minutes), std::stoi(second2.Minutes));
    }
    const CellLook look = clock.Look(clock.CellY(1), clock.CellX(1));
    ASSERT_TRUE(first.Time.empty() || look.Back == colors.NextBackColor ||
                look.Back == colors.ChosenBackColor);
    ASSERT_TRUE(set.Time.empty() || MinuteOfDay(set.Time) >= 0);
    ASSERT_TRUE(set.Minutes.empty() || IsCount(set.Minutes, 2) || MinuteOfDay(set.Minutes) >= 60);
    ASSERT_TRUE(set.Minutes.empty() ||
                clock.UnitText() == (set.Minutes.find(':') == std::string::npos ? "分前" : "前"));
    ASSERT_TRUE(set.Comment.empty() || set.Comment == kPassed || set.Comment == kComing);
    ASSERT_EQ(clock.MinimisedCaption().rfind("ベルカン 42 (" + set.Minutes, 0), 0u);
  }
  EXPECT_GT(choices, 40);
  EXPECT_GT(leaves, 5);
}

}  // namespace
}  // namespace v42::test
