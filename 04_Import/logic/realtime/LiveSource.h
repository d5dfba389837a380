// Where a timetable's live data comes from, as its source record keeps it, and one fetch of it
// for `Velkan42 --status --live` and the clock's fetcher.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "HttpFetch.h"
#include "LiveMatch.h"

namespace v42::live {

// How long one fetch of live data may take, connecting included.
inline constexpr long kLiveTimeoutMs = 10000;
// Far beyond any one stop's feed, and still bounded.
inline constexpr std::uint64_t kLiveMaxBytes = 64ull << 20;

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

// What one URL gave: the decoded feed, or why not (Japanese). Validators for the next
// conditional request; NotModified leaves Feed empty, the caller keeps the one it had.
struct LiveFetch {
  std::optional<RealtimeFeed> Feed;
  bool NotModified = false;
  net::Validators Received;
  std::string Error;
};
LiveFetch FetchFeed(const std::string& url, const net::Validators& conditional = {},
                    long timeoutMs = kLiveTimeoutMs);

// Every URL fetched once and matched at `now` (POSIX seconds, local offset of this machine).
// A URL that fails adds its reason to errors and is left out.
LiveState FetchAndMatch(const RealtimeSource& source, std::int64_t now,
                        std::vector<std::string>& errors);

}  // namespace v42::live
