#include "LiveRecord.h"

#include "FeedRecord.h"

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
  try {
    const std::optional<feeds::FeedRecord> record = feeds::ReadFeedRecord(appFolder);
    const feeds::FeedEntry* entry = record ? record->Find(timetable) : nullptr;
    return entry ? RealtimeOf(entry->Extra) : std::nullopt;
  } catch (const FileError&) {
    return std::nullopt;  // the record's own readers report it; the clock just goes without
  }
}

}  // namespace v42::live
