#include "LiveRecord.h"

#include <cstdint>

#include "FeedRecord.h"

namespace v42::live {

using nlohmann::json;

namespace {

// A whole number in range, or a json error like any other shape the entry should not have.
template <class T>
T Whole(const json& value, T first, T last) {
  if (!value.is_number_integer()) throw json::type_error::create(302, "not a whole number", &value);
  const auto n = value.get<std::int64_t>();
  if (n < std::int64_t(first) || n > std::int64_t(last))
    throw json::out_of_range::create(406, "out of range", &value);
  return static_cast<T>(n);
}

constexpr int kLongestTime = 7 * 24 * 3600;  // GTFS times pass 24:00, but not by weeks

}  // namespace

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
      d.Seconds = Whole(t.at("time"), 0, kLongestTime);
      d.StopSequence = Whole<std::uint32_t>(t.at("sequence"), 0, UINT32_MAX);
      d.StopId = t.value("stop", std::string());
      for (const json& s : t.value("before", json::array()))
        d.Before.push_back({Whole<std::uint32_t>(s.at(0), 0, UINT32_MAX),
                            s.at(1).get<std::string>(), Whole(s.at(2), 0, kLongestTime)});
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
