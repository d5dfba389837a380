// Imported timetables kept current: fetching a remembered source again (a file only when it
// changed, a URL with a conditional request), rebuilding each timetable with its choice and
// replacing it in place. Free of Qt; blocking, so windows run it on a worker thread.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "FeedRecord.h"
#include "GtfsImport.h"
#include "HttpFetch.h"

namespace v42::feeds {

// Where downloaded feeds are kept: $XDG_CACHE_HOME/velkan42, by default ~/.cache/velkan42;
// never the data folder.
std::filesystem::path CacheFolder();

// A URL as given; a path made absolute, so a refresh from another folder finds it.
std::string SourceText(const std::string& feed);

struct SourceState {
  net::Validators Http;   // of a URL
  std::string FileStamp;  // of a file or folder: size and modification time
};

struct FetchedSource {
  enum class Outcome { Changed, Unchanged, Failed, Canceled } Result = Outcome::Failed;
  std::filesystem::path Local;  // the feed to open when Changed
  SourceState State;            // what to remember of it
  std::string Error;            // Japanese, when Failed
};

// Fetches source for opening. With a known state (a refresh) an unchanged source is
// Unchanged; with none it is always Changed. A URL is downloaded into the cache folder and
// replaces the copy there only once complete; a failed download leaves every file as it was.
FetchedSource FetchSource(const std::string& source, const SourceState& known,
                          const gtfs::Progress& progress = {});

// The entry that remembers a timetable just built from feed for the given choice.
FeedEntry EntryFor(const gtfs::Feed& feed, const std::string& source, const SourceState& state,
                   const gtfs::StopMatch& stop, const gtfs::ImportChoice& choice,
                   const std::string& dayKind, const gtfs::ImportResult& result);

// Adds velkan42.dat's timetable number entry.Timetable to the record (the caller holds the
// folder's lock). Throws FileError, the record as it was, when it cannot be read or written.
void Remember(const std::filesystem::path& appFolder, const FeedEntry& entry);

enum class RefreshOutcome { Updated, Unchanged, HandEdited, Failed };

struct RefreshLine {
  int Timetable = 0;
  std::string Title;
  RefreshOutcome Outcome = RefreshOutcome::Failed;
  std::string Error;  // Japanese, when Failed
};

struct RefreshOptions {
  CivilDate Today{};      // a day kind's date moves to its first date from here
  bool Force = false;     // also replace timetables edited by hand
  bool UrlsOnly = false;  // leave file sources alone (the clock's daily check)
  gtfs::Progress Progress;
};

// Refreshes every remembered timetable of appFolder, each under the folder's lock for its
// replacement: same place, same title, the day-table numbers untouched. What refreshed stays
// refreshed when a later one fails. Throws FileError only when the record or velkan42.dat
// cannot be read at all.
std::vector<RefreshLine> RefreshAll(const std::filesystem::path& appFolder,
                                    const RefreshOptions& options);

// "「title」: 更新しました" and the like, one line for a terminal or a notification.
std::string LineText(const RefreshLine& line);

}  // namespace v42::feeds
