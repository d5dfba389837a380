// What matching live data needs of an imported timetable's departures: built by the import,
// kept in the source record, read by the clock. Plain values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace v42::live {

// What matching needs of one departure, kept with the imported timetable.
struct StopTime {
  std::uint32_t Sequence = 0;
  std::string StopId;
  int Seconds = 0;  // scheduled departure, from the start of the service day
  bool operator==(const StopTime&) const = default;
};

struct TripDeparture {
  std::string TripId, RouteId;
  int Seconds = 0;  // at our stop, from the start of its service day; past 24 h for late trips
  std::uint32_t StopSequence = 0;
  std::string StopId;
  std::vector<StopTime> Before;  // the trip's earlier stops, in order
  bool operator==(const TripDeparture&) const = default;
};

struct LiveTimetable {
  std::vector<std::string> StopIds;    // our stop, or the station and its platforms
  std::vector<std::string> AgencyIds;  // of the routes that serve it
  std::vector<TripDeparture> Departures;
  bool operator==(const LiveTimetable&) const = default;
};

}  // namespace v42::live
