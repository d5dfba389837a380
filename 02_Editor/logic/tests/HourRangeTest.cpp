#include <gtest/gtest.h>

#include "HourRange.h"

namespace v42 {
namespace {

TimetableRecord WithHours(int start, int count) {
  TimetableRecord record;
  WriteHourRange(record, {start, count});
  return record;
}

std::vector<int> Hours(const TimetableRecord& record) {
  std::vector<int> hours;
  for (const auto& row : record.Departures) hours.push_back(row[0].Value);
  return hours;
}

TEST(HourRange, WritesHoursPassingMidnightAndEmptiesTheRest) {
  std::vector<int> expected(24, 255);
  for (int i = 0; i < 4; ++i) expected[i] = (22 + i) % 24;
  EXPECT_EQ(Hours(WithHours(22, 4)), expected);
  for (int i = 0; i < 24; ++i) expected[i] = i;
  EXPECT_EQ(Hours(WithHours(0, 24)), expected);
}

TEST(HourRange, ShrinkingKeepsTheMinutes) {
  TimetableRecord record = WithHours(6, 6);
  record.Departures[3][1] = {15, 'b'};
  WriteHourRange(record, {7, 4});
  EXPECT_EQ(record.Departures[3][0].Value, 10);
  EXPECT_EQ(record.Departures[3][1], (DepartureCell{15, 'b'}));
  EXPECT_EQ(record.Departures[5][0].Value, 255);
}

TEST(HourRange, ReadsTheRangeTheDialogShows) {
  EXPECT_EQ(ReadHourRange(WithHours(6, 18)), (HourRange{6, 18}));
  EXPECT_EQ(ReadHourRange(WithHours(22, 4)), (HourRange{22, 4}));
  EXPECT_EQ(ReadHourRange(TimetableRecord{}), std::nullopt);
  TimetableRecord gap;  // a hand-made file with a gap: span from first to last row
  gap.Departures[2][0].Value = 8;
  gap.Departures[5][0].Value = 11;
  EXPECT_EQ(ReadHourRange(gap), (HourRange{8, 4}));
}

TEST(HourRange, BoxesAreCheckedAtOk) {
  struct Case {
    const char *start, *count;
    std::optional<HourRange> expected;
  };
  const Case cases[] = {
      {"6", "18", HourRange{6, 18}}, {"22", "4", HourRange{22, 4}}, {"0", "24", HourRange{0, 24}},
      {"", "5", HourRange{0, 5}},    {"24", "1", std::nullopt},     {"0", "0", std::nullopt},
      {"0", "25", std::nullopt},     {"5", "", std::nullopt},       {"1x", "2", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseHourRange(c.start, c.count), c.expected) << c.start << "/" << c.count;
}

}  // namespace
}  // namespace v42
