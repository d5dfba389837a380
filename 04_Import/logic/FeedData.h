// What Feed and StopDepartures hold behind their API.
#pragma once

#include <climits>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "GtfsImport.h"

namespace v42::gtfs {

struct StringHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
template <class T>
using StringMap = std::unordered_map<std::string, T, StringHash, std::equal_to<>>;

struct Feed::Data {
  std::filesystem::path Path;

  struct Stop {
    std::string Id, Name;
    std::string DisplayName;     // the "ja" translation, else Name
    std::string SearchText;      // the name and its translations, folded, one per line
    std::string Platform, Code;  // platform_code, stop_code
    int Parent = -1;
    int LocationType = 0;
    std::vector<int> Children;  // the stops whose parent it is, in stops.txt order
  };
  std::vector<Stop> Stops;
  StringMap<int> StopIndex;

  struct Route {
    std::string Id, Name;
    std::optional<Color> Back, Fore;
  };
  std::vector<Route> Routes;
  StringMap<int> RouteIndex;

  struct Frequency {
    int Start = 0, End = 0, Headway = 0;  // seconds
  };
  struct Trip {
    int Route = 0, Service = 0;
    std::string Headsign;
    int Direction = -1;  // -1: not given
    std::vector<Frequency> Frequencies;
  };
  std::vector<Trip> Trips;
  StringMap<int> TripIndex;

  struct Service {
    std::uint8_t Weekdays = 0;           // bit 0 Monday ... bit 6 Sunday
    int Start = INT_MAX, End = INT_MIN;  // day numbers of calendar.txt; none: an empty range
    std::vector<int> Added, Removed;     // sorted day numbers
    bool Runs(int day) const;
    // The first and the last day it runs; INT_MAX and INT_MIN when it never does.
    int FirstRun() const;
    int LastRun() const;
  };
  std::vector<Service> Services;
  StringMap<int> ServiceIndex;

  StringMap<std::string> HeadsignJa;
  FeedInfo Info;  // a headsign and its "ja" translation

  // The first and the last day any service runs; first > last when none does.
  std::pair<int, int> RunRange() const;
  bool AnyRuns(int day) const;
};

struct StopDepartures::Rows {
  std::shared_ptr<const Feed::Data> Source;
  StopMatch Stop;
  std::string DisplayName;
  struct Departure {
    int Trip = 0;
    int Seconds = 0;  // service-day time
    std::string StopHeadsign;
  };
  std::vector<Departure> Departures;
  int RepeatedRows = 0;  // rows of stop_times.txt at the stop skipped as repeats
};

// Days since 1970-01-01, and back.
int DayNumber(const CivilDate& date);
CivilDate DateOfDay(int day);

}  // namespace v42::gtfs
