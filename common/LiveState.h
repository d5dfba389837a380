// What live data says about the departures of the timetable on show, as plain values: the
// clock counts down with it, and nothing here knows where it came from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace v42 {

struct LiveDeparture {
  int Hour = 0, Minute = 0;      // as scheduled, as the grid shows it
  int Second = 0;                // within that minute, so a delay in seconds rounds right
  std::int64_t ScheduledAt = 0;  // POSIX time of the scheduled departure
  std::optional<int> Delay;      // seconds late (negative: early); nullopt: nothing known
  bool Canceled = false;         // the trip is cancelled, or skips our stop
  bool Gone = false;             // the vehicle is already past our stop
  bool Live() const { return Delay.has_value() || Canceled || Gone; }
  // Whole minutes from the scheduled minute to the expected one, rounded down: a bus expected
  // at 8:24:40 is shown as 8:24, so nobody leaves too late.
  int ShiftMinutes() const {
    const int seconds = Second + Delay.value_or(0);
    return seconds >= 0 ? seconds / 60 : -((59 - seconds) / 60);
  }
};

struct LiveAlert {
  std::string Header, Description;
  std::string Effect;  // the reference's enum name, "SIGNIFICANT_DELAYS"
  bool operator==(const LiveAlert&) const = default;
};

struct LiveState {
  bool Fresh = false;                     // false: no usable live data, the timetable alone counts
  std::optional<int> Age;                 // seconds since the oldest feed used was made
  std::int64_t FreshUntil = 0;            // POSIX time after which this data is stale
  std::vector<LiveDeparture> Departures;  // the timetable's departures in the record's order
  std::vector<LiveAlert> Alerts;          // active now and about this timetable
};

}  // namespace v42
