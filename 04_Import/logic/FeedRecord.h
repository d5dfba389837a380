// velkan42.feeds.json: for each timetable imported from a feed, where it came from, what was
// chosen, how long the feed says it is valid, and what it looked like when imported, so that
// it can be refreshed in place and its expiry shown. UTF-8 JSON beside velkan42.dat; a copy of
// the suite that does not know the file keeps working without it.
//
// Entries keep every key they do not know (newer programs add their own), and the file
// carries a format version: a damaged file, or one of a newer format, is reported and left as
// it is, never replaced.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "GtfsImport.h"
#include "Holidays.h"
#include "Model.h"

namespace v42::feeds {

inline constexpr const char* kFeedsFileName = "velkan42.feeds.json";
inline constexpr int kFeedsFormat = 1;
inline constexpr const char* kFeedsErrorCaption = "時刻表の出典ファイルエラー";

struct FeedEntry {
  int Timetable = 0;   // its place in velkan42.dat, 0-based
  std::string Source;  // an absolute path or an http(s) URL
  std::string StopId, StopName;
  // The choice: a day kind ("weekday", "saturday", "holiday") follows the feed to the first
  // such date from the day of a refresh; without one the date stays as imported.
  std::string DayKind;
  std::string Date;  // YYYY-MM-DD the timetable was built for
  std::vector<std::string> Routes, Headsigns;
  std::optional<int> Direction;
  std::string Types = "route";  // "route" or "headsign"
  std::string Title;            // as asked for; empty: the default title
  // Validity: the first and last date the calendar runs the chosen departures' services,
  // and feed_info.txt's dates and version where the feed has them. YYYY-MM-DD or empty.
  std::string CalendarFrom, CalendarUntil, FeedStart, FeedEnd, FeedVersion;
  // What the last fetch said about the source: HTTP validators, or a file's size and time.
  std::string ETag, LastModified, FileStamp;
  std::string Fingerprint;                          // of the timetable as imported, its title aside
  nlohmann::json Extra = nlohmann::json::object();  // keys this program does not know

  // The dates the clock shows: the calendar's, narrowed by feed_info.txt's. Empty: unknown.
  std::string ValidFrom() const;
  std::string ValidUntil() const;
};

struct FeedRecord {
  std::vector<FeedEntry> Entries;                   // at most one per timetable, in timetable order
  nlohmann::json Extra = nlohmann::json::object();  // top-level keys this program does not know

  FeedEntry* Find(int timetable);
  const FeedEntry* Find(int timetable) const;
  // Adds or replaces the entry of entry.Timetable.
  void Put(FeedEntry entry);
};

// Reads appFolder/velkan42.feeds.json; nullopt when there is none. Throws FileError
// (kFeedsErrorCaption, EndsProgram false) when it cannot be read, is not JSON of this shape,
// or has a format newer than this program knows.
std::optional<FeedRecord> ReadFeedRecord(const std::filesystem::path& appFolder);
// Replaces the file safely (the caller holds the folder's lock). Throws FileError.
void WriteFeedRecord(const FeedRecord& record, const std::filesystem::path& appFolder);
std::string FeedRecordText(const FeedRecord& record);

// After the editor saved velkan42.dat in a new order: currentOf(saved) is where the file's
// old timetable saved stands now, -1 when it was deleted. Entries follow, those of deleted
// timetables go, and the added entries (placed already) join them; nothing is written when
// nothing changed. Throws FileError for a file it cannot read or write (left as it was).
void FollowTimetables(const std::filesystem::path& appFolder,
                      const std::function<int(int saved)>& currentOf,
                      const std::vector<FeedEntry>& added = {});

// A timetable's contents as a short hex text; its title is left out, so a renamed timetable
// still counts as unedited.
std::string Fingerprint(const TimetableRecord& record);

// A "YYYY-MM-DD" date; nullopt for anything else.
std::optional<CivilDate> ParseDate(std::string_view text);

// The validity of the timetable number `timetable` of appFolder, for the clock: from and
// until (empty when unknown or not imported). A missing or unreadable record is "unknown".
struct Validity {
  std::string From, Until;
};
Validity ValidityOf(const std::filesystem::path& appFolder, int timetable);

}  // namespace v42::feeds
