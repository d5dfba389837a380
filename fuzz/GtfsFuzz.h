// What both GTFS targets do with a feed once it is on disk: open it, and if it opens, take a
// stop or two through the whole import into a data file that must read back the same.
#pragma once

#include <string>
#include <vector>

#include "CsvReader.h"
#include "DataFile.h"
#include "DayImport.h"
#include "FeedArchive.h"
#include "FuzzSupport.h"
#include "GtfsImport.h"

namespace v42::fuzz {

// The first stops of stops.txt, read with the importer's own CSV reader: the API finds stops
// by name only, and a fuzzed name is rarely one a fixed search text meets.
inline std::vector<std::pair<std::string, std::string>> FirstStops(
    const std::filesystem::path& feed) {
  auto archive = gtfs::FeedArchive::Open(feed);
  auto source = archive->OpenFile("stops.txt");
  gtfs::Progress none;
  gtfs::ProgressMeter meter(none, 0);
  gtfs::CsvReader csv(*source, "stops.txt", meter);
  const int id = csv.Column("stop_id"), name = csv.Column("stop_name");
  std::vector<std::pair<std::string, std::string>> stops;
  while (stops.size() < 2 && csv.Next())
    stops.emplace_back(std::string(csv.Field(id)), std::string(csv.Field(name)));
  return stops;
}

// An hour of 0..23 heads each used row and minutes of 0..59 follow it, as the editor lets a
// user type them; a file can hold any byte, so the round trip alone would not notice.
inline bool GridOfClockTimes(const TimetableStore& store) {
  for (int t = 0; t < store.Count; ++t) {
    for (const DepartureRow& row : store.Records[t].Departures) {
      if (row[0].Value != kEmptyValue && row[0].Value > 23) return false;
      for (int s = 1; s < kSlotCount; ++s)
        if (row[s].Value != kEmptyValue && row[s].Value > 59) return false;
    }
  }
  return true;
}

// Every record the import builds goes into a file: the importer fits each text to what the file
// holds, so the save may not fail, and the file reads back what was built, maxima included.
inline void ImportRoundTrip(const TimetableStore& built) {
  const std::filesystem::path folder = Folder() / "data";
  std::filesystem::create_directories(folder);
  if (HoldsWhatNoFileCan(built)) Finding("the import built a grid no file can hold");
  if (!GridOfClockTimes(built)) Finding("the import built a time that is no time of day");
  MustSucceed("writing the imported timetables", [&] { WriteDataFile(built, folder); });
  TimetableStore read;
  MustSucceed("reading the imported timetables", [&] { ReadDataFile(read, folder); });
  if (!SameTimetables(built, read)) Finding("the imported timetables do not read back the same");
  if (built.MaxSlot != read.MaxSlot || built.MaxRows != read.MaxRows) {
    Finding("the import's grid sizes differ from the saved file's");
  }
}

// All three kinds of day of one stop at once, titled apart from what the list holds: a kind the
// feed lacks is a refusal like any other.
inline void ImportDays(const gtfs::Feed& feed, const gtfs::StopDepartures& departures,
                       CivilDate from, TimetableStore& days) {
  gtfs::ImportChoice choice;
  for (int i = 0; i < days.Count; ++i) choice.TakenTitles.push_back(days.Records[i].Title);
  try {
    const auto tables = gtfs::BuildDayTimetables(
        feed, departures, {DayKind::Weekday, DayKind::Saturday, DayKind::Holiday}, choice, from);
    if (days.Count + tables.size() <= static_cast<std::size_t>(kTimetableCount))
      gtfs::AppendDayTimetables(days, tables);
    gtfs::NeededDayStartHour(tables, 3);
  } catch (const FileError&) {
  }
}

inline void ImportStops(const std::filesystem::path& path) {
  gtfs::Feed feed = gtfs::Feed::Open(path);
  feed.ReadStopRoutes();
  const auto first = feed.FirstDate();
  if (first) feed.DateOfKind(DayKind::Holiday, *first, true);
  TimetableStore store, days;
  for (const auto& [id, name] : FirstStops(path)) {
    feed.FindStops(name.substr(0, 4));
    for (const gtfs::StopEntry& entry : feed.ListStops(name.substr(0, 4))) gtfs::StopDetail(entry);
    const gtfs::StopDepartures departures = feed.ReadStop(id);
    const gtfs::ServingLines lines = departures.Lines();
    if (!first) continue;
    for (const auto grouping : {gtfs::TypeGrouping::Route, gtfs::TypeGrouping::Headsign}) {
      gtfs::AppendTimetable(store, departures.Build({.Date = *first, .Types = grouping}).Record);
    }
    // The check boxes' first choices narrow it down as the dialog would.
    gtfs::ImportChoice narrowed{.Date = *first};
    if (!lines.Routes.empty()) narrowed.RouteIds = {lines.Routes.front().Id};
    if (!lines.Headsigns.empty()) narrowed.Headsigns = {lines.Headsigns.front()};
    if (!lines.Directions.empty()) narrowed.Direction = lines.Directions.back();
    gtfs::AppendTimetable(store, departures.Build(narrowed).Record);
    ImportDays(feed, departures, *first, days);
  }
  ImportRoundTrip(store);
  ImportRoundTrip(days);
}

// Any input either imports or is refused with a message; nothing else may escape.
inline void ImportFeed(const std::filesystem::path& path) {
  try {
    ImportStops(path);
  } catch (const FileError&) {
  } catch (const gtfs::Cancelled&) {
  }
}

}  // namespace v42::fuzz
