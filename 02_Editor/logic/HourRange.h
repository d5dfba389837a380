// The hours a timetable covers: a start hour and a count, kept in slot 0 of its rows.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Model.h"

namespace v42 {

struct HourRange {
  int Start = 0;  // 0..23
  int Count = 0;  // 1..24
  bool operator==(const HourRange&) const = default;
};

// The range as the dialog shows it: the first row's hour and the span from the first to the
// last row in use. nullopt for a timetable that has no hours yet.
std::optional<HourRange> ReadHourRange(const TimetableRecord& record);

// The two boxes of the dialog (an empty box counts as 0); nullopt when start is not 0..23 or
// count not 1..24.
std::optional<HourRange> ParseHourRange(std::string_view startText, std::string_view countText);

// Rows 0..Count-1 get the hours Start, Start+1 ... passing midnight; the other rows none.
// Only slot 0 of each row is written.
void WriteHourRange(TimetableRecord& record, const HourRange& range);

// The hours whose rows hold a departure or a type letter but are not in the range: what a change
// to that range would drop. In the order of the rows.
std::vector<int> HoursLeaving(const TimetableRecord& record, const HourRange& range);

// A change of range: every row of an hour the range keeps moves to that hour's new row, with
// its minutes and type letters; the rest are emptied. A timetable without hours yet just gets
// them.
void MoveToHourRange(TimetableRecord& record, const HourRange& range);

// "5時、6時" for a question.
std::string HourList(const std::vector<int>& hours);

}  // namespace v42
