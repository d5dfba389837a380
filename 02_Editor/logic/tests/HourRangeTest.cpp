#include <gtest/gtest.h>

#include "HourRange.h"

namespace v42 {
namespace {

TimetableRecord WithHours(int start, int count) {
  TimetableRecord record;
  WriteHourRange(record, {start, count});
  return record;
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

}  // namespace
}  // namespace v42
