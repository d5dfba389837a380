#include "FeedRefresh.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "DataFile.h"
#include "FilesLock.h"
#include "ImportText.h"
#include "LiveRecord.h"

namespace v42::feeds {

namespace fs = std::filesystem;
using gtfs::DateText;

namespace {

std::string Hex(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ULL;
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return hex;
}

// Size and modification time; for a folder, over its files. Empty when it cannot be read.
std::string StampOf(const fs::path& path) {
  std::error_code ec;
  std::uintmax_t size = 0;
  fs::file_time_type newest{};
  const auto add = [&](const fs::path& file) {
    size += fs::file_size(file, ec);
    newest = std::max(newest, fs::last_write_time(file, ec));
  };
  if (fs::is_directory(path, ec)) {
    for (const auto& item : fs::directory_iterator(path, ec))
      if (item.is_regular_file(ec)) add(item.path());
  } else {
    add(path);
    if (ec) return {};
  }
  return std::to_string(size) + ":" + std::to_string(newest.time_since_epoch().count());
}

FetchedSource Download(const std::string& url, const SourceState& known,
                       const gtfs::Progress& progress) {
  FetchedSource fetched;
  const fs::path cache = CacheFolder();
  const fs::path file = cache / ("feed-" + Hex(url) + ".zip");
  std::error_code ec;
  fs::create_directories(cache, ec);
  const fs::path part = file.string() + "." + std::to_string(::getpid()) + ".part";
  std::ofstream out(part, std::ios::binary | std::ios::trunc);
  if (!out) {
    fetched.Error = "キャッシュフォルダ(" + cache.string() + ")に書き込めません。";
    return fetched;
  }
  net::FetchOptions options;
  // A copy that went missing from the cache must come again in full.
  if (fs::exists(file, ec)) options.Conditional = known.Http;
  options.Progress = [&](std::uint64_t done, std::uint64_t total) {
    if (progress.Report) progress.Report(done, total);
    return !(progress.Cancel && progress.Cancel->load());
  };
  options.Sink = [&](std::string_view piece) {
    out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    return static_cast<bool>(out);
  };
  const net::FetchResult result = net::Fetch(url, options);
  out.close();
  fetched.State.Http = result.Received;
  switch (result.Result) {
    case net::FetchResult::Outcome::Ok:
      if (!out) {
        fetched.Error = "ダウンロードしたフィードを保存できませんでした(" + part.string() + ")。";
        break;
      }
      fs::rename(part, file, ec);
      if (ec) {
        fetched.Error = "ダウンロードしたフィードを保存できませんでした(" + file.string() + ")。";
        break;
      }
      fetched.Result = FetchedSource::Outcome::Changed;
      fetched.Local = file;
      return fetched;
    case net::FetchResult::Outcome::NotModified:
      fetched.State.Http = known.Http;  // a 304 need not repeat them
      if (!result.Received.ETag.empty()) fetched.State.Http.ETag = result.Received.ETag;
      fetched.Result = FetchedSource::Outcome::Unchanged;
      fetched.Local = file;
      break;
    case net::FetchResult::Outcome::Canceled:
      fetched.Result = FetchedSource::Outcome::Canceled;
      fetched.Error = result.Error;
      break;
    case net::FetchResult::Outcome::Failed:
      fetched.Error = result.Error;
      break;
  }
  fs::remove(part, ec);
  return fetched;
}

const char* TypesWord(gtfs::TypeGrouping types) {
  return types == gtfs::TypeGrouping::Headsign ? "headsign" : "route";
}

}  // namespace

fs::path CacheFolder() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg != nullptr && *xdg == '/') return fs::path(xdg) / "velkan42";
  const char* home = std::getenv("HOME");
  return fs::path(home != nullptr && *home != '\0' ? home : "/tmp") / ".cache" / "velkan42";
}

std::string SourceText(const std::string& feed) {
  if (net::IsUrl(feed)) return feed;
  std::error_code ec;
  const fs::path absolute = fs::absolute(feed, ec);
  return ec ? feed : absolute.lexically_normal().string();
}

FetchedSource FetchSource(const std::string& source, const SourceState& known,
                          const gtfs::Progress& progress) {
  if (net::IsUrl(source)) return Download(source, known, progress);
  FetchedSource fetched;
  // A file that cannot be read is left for the feed reader to report, as it does its damage.
  fetched.State.FileStamp = StampOf(source);
  fetched.Local = source;
  fetched.Result = !known.FileStamp.empty() && known.FileStamp == fetched.State.FileStamp
                       ? FetchedSource::Outcome::Unchanged
                       : FetchedSource::Outcome::Changed;
  return fetched;
}

FeedEntry EntryFor(const gtfs::Feed& feed, const std::string& source, const SourceState& state,
                   const gtfs::StopMatch& stop, const gtfs::ImportChoice& choice,
                   const std::string& dayKind, const gtfs::ImportResult& result) {
  FeedEntry e;
  e.Source = source;
  e.StopId = stop.Id;
  e.StopName = stop.Name;
  e.DayKind = dayKind;
  e.Date = DateText(choice.Date);
  e.Routes = choice.RouteIds;
  e.Headsigns = choice.Headsigns;
  e.Direction = choice.Direction;
  e.Types = TypesWord(choice.Types);
  e.Title = choice.Title;
  if (result.ServiceFrom) e.CalendarFrom = DateText(*result.ServiceFrom);
  if (result.ServiceUntil) e.CalendarUntil = DateText(*result.ServiceUntil);
  const gtfs::FeedInfo& info = feed.Info();
  if (info.Start) e.FeedStart = DateText(*info.Start);
  if (info.End) e.FeedEnd = DateText(*info.End);
  e.FeedVersion = info.Version;
  e.ETag = state.Http.ETag;
  e.LastModified = state.Http.LastModified;
  e.FileStamp = state.FileStamp;
  e.Fingerprint = Fingerprint(result.Record);
  return e;
}

void Remember(const fs::path& appFolder, const FeedEntry& entry) {
  FeedRecord record = ReadFeedRecord(appFolder).value_or(FeedRecord{});
  record.Put(entry);
  WriteFeedRecord(record, appFolder);
}

namespace {

// Rebuilds one timetable; Failed lines come back with their reason, the files as they were.
RefreshLine RefreshOne(const fs::path& appFolder, const FeedEntry& e,
                       const TimetableRecord& current, const RefreshOptions& options) {
  RefreshLine line{e.Timetable, current.Title, RefreshOutcome::Failed, {}};
  const std::string before = Fingerprint(current);
  if (before != e.Fingerprint && !options.Force) {
    line.Outcome = RefreshOutcome::HandEdited;
    return line;
  }
  const FetchedSource fetched =
      FetchSource(e.Source, {{e.ETag, e.LastModified}, e.FileStamp}, options.Progress);
  if (fetched.Result == FetchedSource::Outcome::Canceled) throw gtfs::Cancelled();
  if (fetched.Result == FetchedSource::Outcome::Failed) {
    line.Error = fetched.Error;
    return line;
  }
  if (fetched.Result == FetchedSource::Outcome::Unchanged && before == e.Fingerprint) {
    line.Outcome = RefreshOutcome::Unchanged;
    return line;
  }
  const gtfs::Feed feed = gtfs::Feed::Open(fetched.Local, options.Progress);
  const auto stop = feed.StopById(e.StopId);
  if (!stop) {
    line.Error = "停留所「" + e.StopId + "」が新しいフィードにありません。";
    return line;
  }
  gtfs::ImportChoice choice;
  choice.RouteIds = e.Routes;
  choice.Headsigns = e.Headsigns;
  choice.Direction = e.Direction;
  choice.Types = e.Types == "headsign" ? gtfs::TypeGrouping::Headsign : gtfs::TypeGrouping::Route;
  choice.Title = e.Title;
  std::optional<CivilDate> date = ParseDate(e.Date);
  if (const auto kind = DayKindFromWord(e.DayKind)) {
    date = feed.DateOfKind(*kind, options.Today, false);
    if (!date) {
      line.Error = std::string("新しいフィードの期間(") + DateText(options.Today) + " 以降)に" +
                   DayKindName(*kind) + "の日がありません。";
      return line;
    }
  }
  if (!date) {
    line.Error = "記録された日付「" + e.Date + "」が不正です。";
    return line;
  }
  choice.Date = *date;
  const gtfs::ImportResult result = feed.ReadStop(e.StopId, options.Progress).Build(choice);
  if (result.Report.Departures == 0) {
    line.Error =
        DateText(*date) + " に「" + stop->Name + "」を発車する便が新しいフィードにありません。";
    return line;
  }
  TimetableRecord rebuilt = result.Record;
  rebuilt.Title = current.Title;  // a title given in the editor stays
  FeedEntry entry = EntryFor(feed, e.Source, fetched.State, *stop, choice, e.DayKind, result);
  entry.Timetable = e.Timetable;

  const FilesLock lock(appFolder);
  // The editor may have saved meanwhile: replace only what was looked at.
  TimetableStore store;
  ReadDataFile(store, appFolder);
  FeedRecord record = ReadFeedRecord(appFolder).value_or(FeedRecord{});
  const FeedEntry* now = record.Find(e.Timetable);
  if (e.Timetable >= store.Count || !(store.Records[e.Timetable] == current) || !now ||
      now->Source != e.Source) {
    line.Error = "更新の間に時刻表が変わったため、更新しませんでした。";
    return line;
  }
  entry.Extra = now->Extra;
  // Live data's URLs stay; what it matches against follows the rebuilt departures.
  if (const auto live = live::RealtimeOf(entry.Extra))
    live::PutRealtime(entry.Extra, {live->Urls, result.Live});
  const bool changed = !(rebuilt == current);
  if (changed) {
    store.Records[e.Timetable] = rebuilt;
    WriteDataFile(store, appFolder);
  }
  record.Put(std::move(entry));
  WriteFeedRecord(record, appFolder);
  line.Outcome = changed ? RefreshOutcome::Updated : RefreshOutcome::Unchanged;
  return line;
}

}  // namespace

std::vector<RefreshLine> RefreshAll(const fs::path& appFolder, const RefreshOptions& options) {
  std::vector<RefreshLine> lines;
  const auto record = ReadFeedRecord(appFolder);
  if (!record) return lines;
  TimetableStore store;
  ReadDataFile(store, appFolder);
  for (const FeedEntry& e : record->Entries) {
    if (options.UrlsOnly && !net::IsUrl(e.Source)) continue;
    if (e.Timetable >= store.Count) {
      lines.push_back(
          {e.Timetable, {}, RefreshOutcome::Failed, "velkan42.dat にこの時刻表がありません。"});
      continue;
    }
    try {
      lines.push_back(RefreshOne(appFolder, e, store.Records[e.Timetable], options));
    } catch (const FileError& error) {
      lines.push_back(
          {e.Timetable, store.Records[e.Timetable].Title, RefreshOutcome::Failed, error.what()});
    }
  }
  return lines;
}

std::string LineText(const RefreshLine& line) {
  std::string text = std::to_string(line.Timetable + 1) + "件目「" + line.Title + "」: ";
  switch (line.Outcome) {
    case RefreshOutcome::Updated:
      return text + "更新しました";
    case RefreshOutcome::Unchanged:
      return text + "変更はありません";
    case RefreshOutcome::HandEdited:
      return text + "手で編集されているため更新しませんでした";
    case RefreshOutcome::Failed:
      break;
  }
  return text + line.Error;
}

}  // namespace v42::feeds
