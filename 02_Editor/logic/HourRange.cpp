#include "HourRange.h"

namespace v42 {

namespace {

constexpr int kHours = 24;

// A box holds at most two digits; anything else is no number and fails the range check.
std::optional<int> BoxNumber(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9' || value > kHours * 10) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The row of an hour within the range, or -1.
int RowOfHour(const HourRange& range, int hour) {
  const int row = (hour - range.Start + kHours) % kHours;
  return row < range.Count ? row : -1;
}

bool HoldsAnything(const DepartureRow& row) {
  for (int s = 1; s < kSlotCount; ++s)
    if (row[s].Value != kEmptyValue || row[s].TypeLetter != 0) return true;
  return false;
}

}  // namespace

std::optional<HourRange> ReadHourRange(const TimetableRecord& record) {
  int first = -1;
  int last = -1;
  for (int r = 0; r < kRowCount; ++r) {
    if (record.Departures[r][0].Value == kEmptyValue) continue;
    if (first < 0) first = r;
    last = r;
  }
  if (first < 0) return std::nullopt;
  return HourRange{record.Departures[first][0].Value, last - first + 1};
}

std::optional<HourRange> ParseHourRange(std::string_view startText, std::string_view countText) {
  const auto start = BoxNumber(startText);
  const auto count = BoxNumber(countText);
  if (!start || !count || *start > kHours - 1 || *count < 1 || *count > kHours) return std::nullopt;
  return HourRange{*start, *count};
}

void WriteHourRange(TimetableRecord& record, const HourRange& range) {
  for (int r = 0; r < kRowCount; ++r)
    record.Departures[r][0].Value =
        r < range.Count ? static_cast<std::uint8_t>((range.Start + r) % kHours) : kEmptyValue;
}

std::vector<int> HoursLeaving(const TimetableRecord& record, const HourRange& range) {
  std::vector<int> hours;
  for (const DepartureRow& row : record.Departures) {
    const int hour = row[0].Value;
    if (hour < kHours && RowOfHour(range, hour) < 0 && HoldsAnything(row)) hours.push_back(hour);
  }
  return hours;
}

void MoveToHourRange(TimetableRecord& record, const HourRange& range) {
  std::array<DepartureRow, kRowCount> moved{};
  for (const DepartureRow& row : record.Departures) {
    const int hour = row[0].Value;
    if (hour >= kHours) continue;
    // Two rows of one hour (a file written elsewhere) cannot both stay; the first one does.
    const int to = RowOfHour(range, hour);
    if (to >= 0 && moved[to][0].Value == kEmptyValue) moved[to] = row;
  }
  record.Departures = moved;
  WriteHourRange(record, range);
}

std::string HourList(const std::vector<int>& hours) {
  std::string list;
  for (int hour : hours) list += (list.empty() ? "" : "、") + std::to_string(hour) + "時";
  return list;
}

}  // namespace v42
