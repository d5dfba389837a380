// A stop's timetable from a GTFS or GTFS-JP feed: what the V42Import command and the editor's
// import dialog share. Free of Qt; every text is UTF-8.
//
// The usual flow, each step on any one thread at a time:
//   Feed feed = Feed::Open(path, progress);              // every file but stop_times.txt
//   auto stops = feed.FindStops("駅前");                   // the search box
//   StopDepartures deps = feed.ReadStop(id, progress);     // one pass over stop_times.txt
//   ServingLines lines = deps.Lines();                     // the check boxes
//   ImportResult r = deps.Build(choice);                   // the preview; fast, repeat freely
//   AppendTimetable(store, r.Record);                      // OK / the command
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Holidays.h"
#include "Model.h"

namespace v42::gtfs {

// The caption of every FileError this library throws.
inline constexpr const char* kImportErrorCaption = "GTFS取り込みエラー";

// What a long read reports, and how another thread stops it. Report runs on the reading
// thread, now and then (not for every row), with the bytes read so far and the bytes in all.
struct Progress {
  std::function<void(std::uint64_t done, std::uint64_t total)> Report;
  const std::atomic<bool>* Cancel = nullptr;  // set to true to stop; nullptr: never
};

// Thrown when Progress::Cancel was set; nothing the caller holds has changed.
struct Cancelled : std::exception {
  const char* what() const noexcept override { return "取り込みを中止しました。"; }
};

struct StopMatch {
  std::string Id;
  std::string Name;
  bool operator==(const StopMatch&) const = default;
};

// One line of a stop list, with what tells stops of the same name apart.
struct StopEntry {
  StopMatch Stop;
  std::string Platform;             // platform_code
  std::string StopCode;             // stop_code
  bool Station = false;             // location_type 1: choosing it takes all its platforms
  std::string ParentId;             // the station it is listed under; "" when none
  std::vector<std::string> Routes;  // names of the first routes serving it, routes.txt order
  int MoreRoutes = 0;               // routes serving it beyond those
  bool operator==(const StopEntry&) const = default;
};

// "のりば 2" for a platform code, else "番号 123" for a stop code; "" for neither.
std::string StopCodeText(const StopEntry& entry);
// "1番, 2番 他3": the routes of an entry; "" when none is known.
std::string StopRoutesText(const StopEntry& entry);
// "のりば 2 ・ 駅 ・ 1番, 2番 他3": the parts of an entry that are there, for a list line.
std::string StopDetail(const StopEntry& entry);

struct RouteChoice {
  std::string Id;
  std::string Name;  // short name, else long name (its "ja" translation when there is one)
  bool operator==(const RouteChoice&) const = default;
};

// What departs from a stop on any day of the feed, for the filter check boxes.
struct ServingLines {
  std::vector<RouteChoice> Routes;     // in routes.txt order
  std::vector<std::string> Headsigns;  // sorted, no duplicates
  std::vector<int> Directions;         // of 0 and 1, those that occur, ascending
  // By direction: its most common headsign (in Japanese when translated); "" when it has none.
  std::array<std::string, 2> DirectionHeadsigns{};
};

enum class TypeGrouping { Route, Headsign };

struct ImportChoice {
  CivilDate Date{};                      // the service date
  std::vector<std::string> RouteIds{};   // empty: every route
  std::vector<std::string> Headsigns{};  // empty: every headsign
  std::optional<int> Direction{};        // nullopt: both directions
  TypeGrouping Types = TypeGrouping::Route;
  std::string Title{};          // empty: the stop name and the date's day kind
  bool YearEndHoliday = false;  // for the day kind in that default title
  // The kinds of day the timetable is for, when it is one of several imported at once: the
  // title, typed or the stop name, then ends in their label (" 平日", " 土休日" ...).
  std::vector<DayKind> Kinds{};
  // Titles already in the list: a title among them gets "(2)", "(3)" ... to tell it apart.
  std::vector<std::string> TakenTitles{};
};

struct HourLeftOut {
  int Hour = 0;   // as the grid shows it, 0..23
  int Count = 0;  // departures beyond the 30 that an hour row holds
  bool operator==(const HourLeftOut&) const = default;
};

struct TextChange {
  std::string Before, After;  // a title or kind name cut to its box or with characters replaced
  bool operator==(const TextChange&) const = default;
};

struct ImportReport {
  int Departures = 0;  // on the grid
  int Hours = 0;       // hour rows used, empty ones between included
  int Kinds = 0;       // kinds that got a letter
  std::vector<HourLeftOut> LeftOut;
  std::vector<std::string> UnletteredKinds;  // beyond 26: their departures carry no letter
  std::vector<TextChange> Changed;
  // stop_times.txt rows at the stop with a (trip_id, stop_sequence) seen before, skipped.
  int RepeatedRows = 0;
  // Service-day seconds of the first and the last departure chosen; -1 when there is none.
  int FirstSeconds = -1, LastSeconds = -1;
};

struct ImportResult {
  TimetableRecord Record;  // default grid colours; unused kinds as a new record has them
  ImportReport Report;
  // The first and the last date any service of the chosen departures runs: how long the
  // feed's calendar keeps this timetable true. nullopt without departures.
  std::optional<CivilDate> ServiceFrom, ServiceUntil;
};

// What feed_info.txt says of the feed, where it has one.
struct FeedInfo {
  std::optional<CivilDate> Start, End;
  std::string Version;
};

// The label of a timetable for these kinds of day: "平日", "土休日", "平日・土曜", "毎日".
std::string DayKindsLabel(const std::vector<DayKind>& kinds);

// The report as lines for a terminal or a dialog, in Japanese.
std::vector<std::string> SummaryLines(const ImportReport& report);

class StopDepartures;

class Feed {
 public:
  // Reads a .zip or a folder: stops, routes, trips, calendar and/or calendar_dates, and, when
  // there, frequencies, translations and agency. stop_times.txt is only checked to exist.
  // Throws FileError naming the file and line at anything damaged, or Cancelled.
  static Feed Open(const std::filesystem::path& feed, const Progress& progress = {});

  // Copies share the read data, which never changes: cheap, and safe across threads.
  Feed(const Feed&);
  Feed& operator=(const Feed&);
  Feed(Feed&&) noexcept;
  Feed& operator=(Feed&&) noexcept;
  ~Feed();

  // Stops and stations whose name, or one of its translations (the kana reading "ja-Hrkt"
  // among them), holds text, full-width and half-width alike and letter case ignored; in
  // stops.txt order. An empty text finds nothing.
  std::vector<StopMatch> FindStops(std::string_view text) const;
  // The same search as lines to choose from: a station heads the list of its platforms, which
  // follow it whether or not their own names matched; routes only after ReadStopRoutes.
  std::vector<StopEntry> ListStops(std::string_view text) const;
  // One pass over stop_times.txt noting which routes serve each stop, for ListStops. Call it
  // before the feed is shared: it changes this object. Throws FileError or Cancelled.
  void ReadStopRoutes(const Progress& progress = {});
  std::optional<StopMatch> StopById(std::string_view stopId) const;

  const FeedInfo& Info() const;
  // The first and the last date any service of the feed runs; nullopt when none does.
  std::optional<CivilDate> FirstDate() const;
  std::optional<CivilDate> LastDate() const;
  // The first date from `from` on, within the feed's dates, of that day kind (public
  // holidays where the clock knows them); nullopt when the feed has none.
  std::optional<CivilDate> DateOfKind(DayKind kind, CivilDate from, bool yearEndHoliday) const;

  // One pass over stop_times.txt keeping the rows at this stop, or at the stops of this
  // station. Throws FileError (an unknown stop among them) or Cancelled.
  StopDepartures ReadStop(std::string_view stopId, const Progress& progress = {}) const;

  struct Data;

 private:
  explicit Feed(std::shared_ptr<const Data> data);
  std::shared_ptr<const Data> data_;
  std::shared_ptr<const std::vector<std::vector<int>>> stopRoutes_;  // route indices by stop
};

// The departures of one stop on every day of the feed; it keeps what it needs of the feed.
class StopDepartures {
 public:
  // Copies share the rows, as Feed's do.
  StopDepartures(const StopDepartures&);
  StopDepartures& operator=(const StopDepartures&);
  StopDepartures(StopDepartures&&) noexcept;
  StopDepartures& operator=(StopDepartures&&) noexcept;
  ~StopDepartures();

  const StopMatch& Stop() const;
  ServingLines Lines() const;
  // The timetable of the chosen day and lines. Zero departures is a result, not an error.
  ImportResult Build(const ImportChoice& choice) const;

  struct Rows;

 private:
  friend class Feed;
  explicit StopDepartures(std::shared_ptr<const Rows> rows);
  std::shared_ptr<const Rows> rows_;
};

// Adds the record after the existing timetables. With nine already, throws FileError
// (EndsProgram false) and leaves the store as it was.
void AppendTimetable(TimetableStore& store, const TimetableRecord& record);

}  // namespace v42::gtfs
