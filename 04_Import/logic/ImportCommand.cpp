#include "ImportCommand.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>

#include "DataFile.h"
#include "FilesLock.h"
#include "GtfsImport.h"

namespace v42::gtfs {

namespace {

constexpr const char* kUsage =
    "使い方: V42Import FEED --find TEXT\n"
    "        V42Import FEED --stop STOP_ID (--date YYYY-MM-DD | --days weekday|saturday|holiday)\n"
    "                  [--route ROUTE_ID]... [--headsign TEXT]... [--direction 0|1]\n"
    "                  [--types route|headsign] [--title TEXT] [--folder DIR]\n";

struct UsageError {
  std::string Message;
};

struct Options {
  std::string Feed, Find, Stop, Folder;
  std::optional<CivilDate> Date;
  std::optional<DayKind> Days;
  ImportChoice Choice;
};

std::optional<CivilDate> ParseDate(const std::string& text) {
  int y = 0, m = 0, d = 0;
  char tail = 0;
  if (text.size() != 10 || std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3) {
    return std::nullopt;
  }
  const std::chrono::year_month_day ymd{std::chrono::year{y},
                                        std::chrono::month{static_cast<unsigned>(m)},
                                        std::chrono::day{static_cast<unsigned>(d)}};
  if (!ymd.ok()) return std::nullopt;
  return CivilDate{y, m, d};
}

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
      o.Days = DayKindFromWord(value);
      if (!o.Days) throw UsageError{"--days は weekday、saturday、holiday のどれかです。"};
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
    } else {
      throw UsageError{"不明なオプション「" + arg + "」です。"};
    }
  }
  if (o.Feed.empty()) throw UsageError{"FEED(フィードのZIPかフォルダ)がありません。"};
  if (o.Find.empty() == o.Stop.empty())
    throw UsageError{"--find か --stop のどちらか一つが要ります。"};
  if (!o.Stop.empty() && o.Date.has_value() == o.Days.has_value()) {
    throw UsageError{"--date か --days のどちらか一つが要ります。"};
  }
  return o;
}

std::string DateText(const CivilDate& d) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.Year, d.Month, d.Day);
  return text;
}

// One line per stop for scripts: a tab or line break inside a field would break it.
std::string OneLine(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
  return text;
}

int Find(const Feed& feed, const Options& o, std::ostream& out) {
  for (const StopMatch& stop : feed.FindStops(o.Find))
    out << OneLine(stop.Id) << '\t' << OneLine(stop.Name) << '\n';
  return 0;
}

int AddTimetable(const Feed& feed, Options& o, const CommandContext& context, std::ostream& out,
                 std::ostream& err) {
  const auto stop = feed.StopById(o.Stop);
  if (!stop) {
    err << "停留所「" << o.Stop << "」がフィードにありません。--find で探せます。\n";
    return 1;
  }
  if (o.Days) {
    o.Date = feed.DateOfKind(*o.Days, context.Today, false);
    if (!o.Date) {
      err << "フィードの期間(" << DateText(context.Today) << " 以降)に" << DayKindName(*o.Days)
          << "の日がありません。\n";
      return 1;
    }
  }
  o.Choice.Date = *o.Date;
  const StopDepartures departures = feed.ReadStop(o.Stop);
  const ImportResult result = departures.Build(o.Choice);
  if (result.Report.Departures == 0) {
    err << DateText(*o.Date) << " に「" << stop->Name
        << "」を発車する便が(選んだ条件では)ありません。\n";
    return 1;
  }
  const std::filesystem::path folder =
      o.Folder.empty() ? context.AppFolder() : std::filesystem::path(o.Folder);
  // Read, append and replace as one step, so that imports run together each add theirs.
  const FilesLock lock(folder);
  TimetableStore store;
  if (FileExists(folder / kDataFileName)) ReadDataFile(store, folder);
  AppendTimetable(store, result.Record);
  WriteDataFile(store, folder);
  out << (folder / kDataFileName).string() << " の " << int(store.Count) << " 件目に「"
      << result.Record.Title << "」を追加しました(" << DateText(*o.Date) << ")。\n";
  for (const std::string& line : SummaryLines(result.Report)) out << line << '\n';
  return 0;
}

}  // namespace

int RunImportCommand(const std::vector<std::string>& args, const CommandContext& context,
                     std::ostream& out, std::ostream& err) {
  try {
    Options o = Parse(args);
    const Feed feed = Feed::Open(o.Feed);
    return o.Stop.empty() ? Find(feed, o, out) : AddTimetable(feed, o, context, out, err);
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
