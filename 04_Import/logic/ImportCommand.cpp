#include "ImportCommand.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>

#include "DataFile.h"
#include "DayImport.h"
#include "FeedRefresh.h"
#include "FilesLock.h"
#include "GtfsImport.h"
#include "HttpFetch.h"
#include "ImportText.h"
#include "IniFile.h"
#include "LiveRecord.h"
#include "ProgramHelp.h"

namespace v42::gtfs {

namespace {

constexpr const char* kUsage =
    "使い方: V42Import FEED --find TEXT\n"
    "        V42Import FEED --stop STOP_ID (--date YYYY-MM-DD | --days KIND[,KIND]...)\n"
    "                  [--set-day-tables] [--route ROUTE_ID]... [--headsign TEXT]...\n"
    "                  [--direction 0|1] [--types route|headsign] [--title TEXT]\n"
    "                  [--realtime URL]... [--folder DIR]\n"
    "        V42Import --refresh [--force] [--folder DIR]\n"
    "        V42Import --help | --version\n"
    "        KIND: weekday(平日) saturday(土曜) holiday(休日)\n"
    "\n"
    "GTFS / GTFS-JP フィード (ZIP、フォルダか http(s) のURL) から、停留所の時刻表を\n"
    "velkan42.dat に足し、出典を velkan42.feeds.json に記録します。\n"
    "  --find     名前に TEXT を含む停留所とその STOP_ID を一覧にします\n"
    "  --stop     この停留所の発車時刻を取り込みます\n"
    "  --refresh  記録した時刻表をフィードから取り込み直します (--force: 手で編集したものも)\n"
    "  --folder   velkan42.dat のフォルダ (省略時は下の場所)\n";

struct UsageError {
  std::string Message;
};

struct Options {
  std::string Feed, Find, Stop, Folder;
  std::optional<CivilDate> Date;
  std::vector<DayKind> Days;
  bool SetDayTables = false;
  ImportChoice Choice;
  std::vector<std::string> Realtime;  // GTFS Realtime URLs for live departures
  bool Refresh = false, Force = false;
};

// Options that take no value.
bool IsFlag(const std::string& arg) {
  return arg == "--set-day-tables" || arg == "--refresh" || arg == "--force";
}

std::vector<DayKind> ParseDays(const std::string& value) {
  std::vector<DayKind> days;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = value.find(',', start);
    const auto kind = DayKindFromWord(value.substr(start, comma - start));
    if (!kind)
      throw UsageError{"--days は weekday、saturday、holiday をコンマで区切って並べます。"};
    if (std::find(days.begin(), days.end(), *kind) != days.end())
      throw UsageError{std::string("--days に ") + DayKindWord(*kind) + " が2回あります。"};
    days.push_back(*kind);
    if (comma == std::string::npos) return days;
    start = comma + 1;
  }
}

using feeds::ParseDate;

Options Parse(const std::vector<std::string>& args) {
  Options o;
  bool types = false, direction = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0) {
      if (!o.Feed.empty()) throw UsageError{"余分な引数「" + arg + "」があります。"};
      o.Feed = arg;
      continue;
    }
    if (IsFlag(arg)) {
      (arg == "--set-day-tables" ? o.SetDayTables
       : arg == "--refresh"      ? o.Refresh
                                 : o.Force) = true;
      continue;
    }
    if (i + 1 >= args.size()) throw UsageError{arg + " の値がありません。"};
    const std::string& value = args[++i];
    const auto once = [&](bool& seen) {
      if (seen) throw UsageError{arg + " が2回あります。"};
      seen = true;
    };
    if (arg == "--find") {
      o.Find = value;
    } else if (arg == "--stop") {
      o.Stop = value;
    } else if (arg == "--date") {
      o.Date = ParseDate(value);
      if (!o.Date) throw UsageError{"日付「" + value + "」が不正です(YYYY-MM-DD)。"};
    } else if (arg == "--days") {
      if (!o.Days.empty()) throw UsageError{"--days が2回あります。"};
      o.Days = ParseDays(value);
    } else if (arg == "--route") {
      o.Choice.RouteIds.push_back(value);
    } else if (arg == "--headsign") {
      o.Choice.Headsigns.push_back(value);
    } else if (arg == "--direction") {
      once(direction);
      if (value != "0" && value != "1") throw UsageError{"--direction は 0 か 1 です。"};
      o.Choice.Direction = value[0] - '0';
    } else if (arg == "--types") {
      once(types);
      if (value != "route" && value != "headsign") {
        throw UsageError{"--types は route か headsign です。"};
      }
      o.Choice.Types = value == "route" ? TypeGrouping::Route : TypeGrouping::Headsign;
    } else if (arg == "--title") {
      o.Choice.Title = value;
    } else if (arg == "--folder") {
      o.Folder = value;
    } else if (arg == "--realtime") {
      if (!net::IsUrl(value)) throw UsageError{"--realtime は http(s) のURLです。"};
      o.Realtime.push_back(value);
    } else {
      throw UsageError{"不明なオプション「" + arg + "」です。"};
    }
  }
  if (o.Refresh) {
    if (!o.Feed.empty() || !o.Find.empty() || !o.Stop.empty())
      throw UsageError{"--refresh には --force と --folder のほかは付けられません。"};
    return o;
  }
  if (o.Force) throw UsageError{"--force は --refresh と使います。"};
  if (o.Feed.empty()) throw UsageError{"FEED(フィードのZIP、フォルダかURL)がありません。"};
  if (o.Find.empty() == o.Stop.empty())
    throw UsageError{"--find か --stop のどちらか一つが要ります。"};
  if (!o.Stop.empty() && o.Date.has_value() == !o.Days.empty()) {
    throw UsageError{"--date か --days のどちらか一つが要ります。"};
  }
  return o;
}

// One line per stop for scripts: a tab or line break inside a field would break it.
std::string OneLine(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
  return text;
}

// One line per stop: id, name, code, station, routes. A station's platforms follow it.
int Find(const Feed& feed, const Options& o, std::ostream& out) {
  for (const StopEntry& entry : feed.ListStops(o.Find)) {
    const std::string place = entry.Station            ? "駅"
                              : entry.ParentId.empty() ? ""
                                                       : "親駅 " + entry.ParentId;
    out << OneLine(entry.Stop.Id) << '\t' << OneLine(entry.Stop.Name) << '\t'
        << OneLine(StopCodeText(entry)) << '\t' << OneLine(place) << '\t'
        << OneLine(StopRoutesText(entry)) << '\n';
  }
  return 0;
}

std::filesystem::path FolderOf(const Options& o, const CommandContext& context) {
  return o.Folder.empty() ? context.AppFolder() : std::filesystem::path(o.Folder);
}

int AddTimetable(const Feed& feed, Options& o, const feeds::SourceState& source,
                 const CommandContext& context, std::ostream& out, std::ostream& err) {
  const auto stop = feed.StopById(o.Stop);
  if (!stop) {
    err << "停留所「" << o.Stop << "」がフィードにありません。--find で探せます。\n";
    return 1;
  }
  const std::filesystem::path folder = FolderOf(o, context);
  // The long read of stop_times.txt comes before the lock, so that others wait only for the
  // quick read-change-replace of the files.
  const StopDepartures departures = feed.ReadStop(o.Stop);
  const FilesLock lock(folder);
  // Read before anything is written: a settings file or a source record that cannot be read
  // stops it all.
  feeds::FeedRecord record = feeds::ReadFeedRecord(folder).value_or(feeds::FeedRecord{});
  IniSettings settings;
  if (o.SetDayTables) {
    settings = ReadIniOverDefaults(folder);
    o.Choice.YearEndHoliday = settings.DayTables.YearEndHoliday;
  }
  TimetableStore store;
  if (FileExists(folder / kDataFileName)) ReadDataFile(store, folder);
  for (int i = 0; i < store.Count; ++i) o.Choice.TakenTitles.push_back(store.Records[i].Title);

  std::vector<DayTimetable> tables;
  if (o.Date) {
    o.Choice.Date = *o.Date;
    ImportResult result = departures.Build(o.Choice);
    if (result.Report.Departures == 0) {
      err << DateText(*o.Date) << " に「" << stop->Name
          << "」を発車する便が(選んだ条件では)ありません。\n";
      return 1;
    }
    const DayKind kind =
        DayKindOf(o.Date->Year, o.Date->Month, o.Date->Day, o.Choice.YearEndHoliday);
    tables.push_back({{kind}, *o.Date, std::move(result)});
  } else {
    tables = BuildDayTimetables(feed, departures, o.Days, o.Choice, context.Today);
  }
  const std::array<int, 3> at = AppendDayTimetables(store, tables);
  WriteDataFile(store, folder);
  int number = store.Count - static_cast<int>(tables.size());
  for (std::size_t i = 0; i < tables.size(); ++i) {
    ImportChoice choice = o.Choice;
    choice.Date = tables[i].Date;
    // A day kind moves with a refresh; a date asked for stays.
    const std::string dayKind = o.Date ? "" : DayKindWord(tables[i].Kinds.front());
    feeds::FeedEntry entry = feeds::EntryFor(feed, feeds::SourceText(o.Feed), source, *stop, choice,
                                             dayKind, tables[i].Result);
    entry.Timetable = number + static_cast<int>(i);
    if (!o.Realtime.empty()) live::PutRealtime(entry.Extra, {o.Realtime, tables[i].Result.Live});
    record.Put(std::move(entry));
  }
  try {
    feeds::WriteFeedRecord(record, folder);
  } catch (const FileError& e) {
    err << e.what() << "\n時刻表は追加しましたが、出典を記録できなかったため更新はできません。\n";
    return 1;
  }
  for (const DayTimetable& table : tables) {
    out << (folder / kDataFileName).string() << " の " << ++number << " 件目に「"
        << table.Result.Record.Title << "」を追加しました(" << DateText(table.Date);
    if (table.Kinds.size() > 1) {
      std::string kinds;
      for (DayKind kind : table.Kinds)
        kinds += (kinds.empty() ? "" : "・") + std::string(DayKindName(kind));
      out << "、" << kinds << "で共用";
    }
    out << ")。\n";
    for (const std::string& line : SummaryLines(table.Result.Report)) out << line << '\n';
  }
  if (!o.SetDayTables) return 0;

  DayTableSettings& days = settings.DayTables;
  for (std::size_t k = 0; k < at.size(); ++k) {
    if (at[k] < 0) continue;
    days.Tables[k] = at[k];
    out << "曜日ダイヤ: " << DayKindName(static_cast<DayKind>(k)) << "は " << at[k] + 1 << " 件目「"
        << store.Records[at[k]].Title << "」\n";
  }
  if (const auto hour = NeededDayStartHour(tables, days.DayStartHour)) {
    out << "1日の始まりを " << days.DayStartHour << " 時から " << *hour
        << " 時にしました(深夜の便をその日のダイヤに入れるため)。\n";
    days.DayStartHour = *hour;
  }
  try {
    WriteIniFile(settings, folder);
  } catch (const FileError& e) {
    err << e.what() << "\n時刻表は追加しましたが、曜日ダイヤの設定は保存していません。\n";
    return 1;
  }
  out << (folder / kIniFileName).string() << " に曜日ダイヤを設定しました。\n";
  return 0;
}

int Refresh(const Options& o, const CommandContext& context, std::ostream& out, std::ostream& err) {
  feeds::RefreshOptions options;
  options.Today = context.Today;
  options.Force = o.Force;
  int status = 0;
  const std::vector<feeds::RefreshLine> lines = feeds::RefreshAll(FolderOf(o, context), options);
  if (lines.empty()) out << "GTFSから取り込んだ時刻表はありません。\n";
  for (const feeds::RefreshLine& line : lines) {
    const bool failed = line.Outcome == feeds::RefreshOutcome::Failed;
    (failed ? err : out) << feeds::LineText(line) << '\n';
    if (failed) status = 1;
  }
  return status;
}

}  // namespace

int RunImportCommand(const std::vector<std::string>& args, const CommandContext& context,
                     std::ostream& out, std::ostream& err) {
  if (const std::optional<int> code = AnswerHelpOrVersion(args, "V42Import", kUsage, out))
    return *code;
  try {
    Options o = Parse(args);
    if (o.Refresh) return Refresh(o, context, out, err);
    const feeds::FetchedSource source = feeds::FetchSource(feeds::SourceText(o.Feed), {});
    if (source.Result != feeds::FetchedSource::Outcome::Changed) {
      err << source.Error << '\n';
      return 1;
    }
    Feed feed = Feed::Open(source.Local);
    if (o.Stop.empty()) {
      feed.ReadStopRoutes();
      return Find(feed, o, out);
    }
    return AddTimetable(feed, o, source.State, context, out, err);
  } catch (const UsageError& e) {
    err << "V42Import: " << e.Message << '\n' << kUsage;
  } catch (const FileError& e) {
    err << e.what() << '\n';
  } catch (const std::exception& e) {
    err << "V42Import: " << e.what() << '\n';
  }
  return 1;
}

}  // namespace v42::gtfs
