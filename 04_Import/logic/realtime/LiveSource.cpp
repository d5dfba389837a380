#include "LiveSource.h"

#include <fstream>

namespace v42::live {

using nlohmann::json;

void PutRealtime(json& entry, const RealtimeSource& source) {
  entry["realtime"] = source.Urls;
  entry["realtimeStops"] = source.Table.StopIds;
  entry["agencies"] = source.Table.AgencyIds;
  json trips = json::array();
  for (const TripDeparture& d : source.Table.Departures) {
    json before = json::array();
    for (const StopTime& s : d.Before)
      before.push_back(json::array({s.Sequence, s.StopId, s.Seconds}));
    trips.push_back({{"trip", d.TripId},
                     {"route", d.RouteId},
                     {"time", d.Seconds},
                     {"sequence", d.StopSequence},
                     {"stop", d.StopId},
                     {"before", std::move(before)}});
  }
  entry["trips"] = std::move(trips);
}

std::optional<RealtimeSource> RealtimeOf(const json& entry) {
  // Another program's keys, or a hand-edited file: anything not of this shape means no live
  // data rather than a failure of the clock.
  try {
    if (!entry.is_object() || !entry.contains("realtime")) return std::nullopt;
    RealtimeSource source;
    source.Urls = entry.at("realtime").get<std::vector<std::string>>();
    if (source.Urls.empty()) return std::nullopt;
    source.Table.StopIds = entry.value("realtimeStops", std::vector<std::string>{});
    source.Table.AgencyIds = entry.value("agencies", std::vector<std::string>{});
    for (const json& t : entry.value("trips", json::array())) {
      TripDeparture d;
      d.TripId = t.at("trip").get<std::string>();
      d.RouteId = t.value("route", std::string());
      d.Seconds = t.at("time").get<int>();
      d.StopSequence = t.at("sequence").get<std::uint32_t>();
      d.StopId = t.value("stop", std::string());
      for (const json& s : t.value("before", json::array()))
        d.Before.push_back(
            {s.at(0).get<std::uint32_t>(), s.at(1).get<std::string>(), s.at(2).get<int>()});
      source.Table.Departures.push_back(std::move(d));
    }
    return source;
  } catch (const json::exception&) {
    return std::nullopt;
  }
}

std::optional<RealtimeSource> RealtimeSourceOf(const std::filesystem::path& appFolder,
                                               int timetable) {
  std::ifstream in(appFolder / "velkan42.feeds.json", std::ios::binary);
  if (!in) return std::nullopt;
  const json record = json::parse(in, nullptr, false);
  if (!record.is_object() || !record.contains("timetables") || !record["timetables"].is_array())
    return std::nullopt;
  for (const json& entry : record["timetables"])
    if (entry.is_object() && entry.value("timetable", -1) == timetable) return RealtimeOf(entry);
  return std::nullopt;
}

LiveFetch FetchFeed(const std::string& url, const net::Validators& conditional, long timeoutMs) {
  net::FetchOptions options;
  options.ConnectTimeoutMs = timeoutMs;
  options.TotalTimeoutMs = timeoutMs;
  options.MaxBytes = kLiveMaxBytes;
  options.Conditional = conditional;
  const net::FetchResult result = net::Fetch(url, options);
  LiveFetch fetched;
  fetched.Received = result.Received;
  switch (result.Result) {
    case net::FetchResult::Outcome::NotModified:
      fetched.NotModified = true;
      break;
    case net::FetchResult::Outcome::Ok:
      fetched.Feed = RealtimeFeed::Decode(result.Body, fetched.Error);
      break;
    default:
      fetched.Error = result.Error.empty() ? "取得できませんでした。" : result.Error;
  }
  return fetched;
}

LiveState FetchAndMatch(const RealtimeSource& source, std::int64_t now,
                        std::vector<std::string>& errors) {
  std::vector<RealtimeFeed> feeds;
  for (const std::string& url : source.Urls) {
    LiveFetch fetched = FetchFeed(url);
    if (fetched.Feed)
      feeds.push_back(std::move(*fetched.Feed));
    else if (!fetched.NotModified)
      errors.push_back(url + ": " + fetched.Error);
  }
  return Match(source.Table, feeds, now, LocalUtcOffset(now));
}

}  // namespace v42::live
