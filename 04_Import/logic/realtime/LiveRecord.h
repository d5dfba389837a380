// Where a timetable's live data comes from, as its entry in the source record keeps it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "LiveTimetable.h"

namespace v42::live {

struct RealtimeSource {
  std::vector<std::string> Urls;  // each may carry trip updates, vehicle positions, alerts
  LiveTimetable Table;
  bool operator==(const RealtimeSource&) const = default;
};

// Into and out of a source record entry's JSON object: "realtime" (the URLs), "trips" (one
// per departure), "realtimeStops" and "agencies". Reading gives nullopt when the entry has no
// URLs or the keys are not of this shape.
void PutRealtime(nlohmann::json& entry, const RealtimeSource& source);
std::optional<RealtimeSource> RealtimeOf(const nlohmann::json& entry);

// The live source recorded for timetable number `timetable` of appFolder's source record;
// nullopt when it has none or the record cannot be read.
std::optional<RealtimeSource> RealtimeSourceOf(const std::filesystem::path& appFolder,
                                               int timetable);

}  // namespace v42::live
