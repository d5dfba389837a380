#include "ClockStatus.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <ostream>

#include "DataFile.h"
#include "DataFormat.h"
#include "FeedRecord.h"
#include "IniFile.h"
#include "LiveSource.h"
#include "ProgramHelp.h"

namespace v42 {
namespace {

constexpr const char* kUsage =
    "使い方: Velkan42 [--status [--at \"YYYY-MM-DD hh:mm:ss\"] [--json] [--live]]\n"
    "\n"
    "引数なしで時計のウィンドウを開きます。\n"
    "--status は時計の状態を1行で表示して終了します (ウィンドウは開きません)。\n"
    "  --status   その時刻の時刻表、曜日の種類、1番目と2番目の発車時刻と残り分数\n"
    "  --at       その時刻の状態 (省略時は現在時刻)\n"
    "  --json     JSON で出力\n"
    "  --live     時刻表のリアルタイム情報を1回取得し、遅れ・運休・お知らせを反映\n"
    "  --help     この説明\n"
    "  --version  版数\n";

std::string TwoDigits(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }

// "6:20" as "06:20".
std::string Padded(const std::string& time) { return time.size() == 4 ? "0" + time : time; }

std::optional<StatusDeparture> DepartureOf(const DepartureClock& clock, int i) {
  const PanelText& panel = clock.Panel(i);
  if (panel.Time.empty()) return std::nullopt;
  const PanelLive& live = clock.Live(i);
  StatusDeparture d{panel.Time, std::stoi(panel.Minutes), Padded(panel.Time), std::nullopt, false};
  if (live.Live) {
    d.Expected = Padded(live.Expected);
    d.Delay = live.Delay;
    d.Live = true;
  }
  return d;
}

std::string Quoted(std::string_view text) {
  std::string json = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      json += escaped;
    } else {
      json += c;
    }
  }
  return json + "\"";
}

std::string NumberOrNull(const std::optional<int>& value) {
  return value ? std::to_string(*value) : "null";
}

std::string DepartureJson(const std::optional<StatusDeparture>& departure) {
  if (!departure) return "null";
  return "{\"time\":" + Quoted(departure->Time) +
         ",\"minutes\":" + std::to_string(departure->Minutes) +
         ",\"expected\":" + Quoted(departure->Expected) +
         ",\"delay\":" + NumberOrNull(departure->Delay) +
         ",\"live\":" + (departure->Live ? "true" : "false") + "}";
}

std::string LiveJson(const ClockStatus& status) {
  std::string json = ",\"canceled\":[";
  for (std::size_t i = 0; i < status.Canceled.size(); ++i)
    json += (i ? "," : "") + Quoted(status.Canceled[i]);
  json += "],\"alerts\":[";
  for (std::size_t i = 0; i < status.Alerts.size(); ++i) {
    const LiveAlert& a = status.Alerts[i];
    json += std::string(i ? "," : "") + "{\"header\":" + Quoted(a.Header) +
            ",\"description\":" + Quoted(a.Description) + ",\"effect\":" + Quoted(a.Effect) + "}";
  }
  return json + "],\"liveAge\":" + NumberOrNull(status.LiveAge);
}

// "+3分" / "-2分" for a delay of whole minutes; "" on time or unknown.
std::string DelayNote(const StatusDeparture& d) {
  if (!d.Delay) return "";
  const int minutes = *d.Delay >= 0 ? *d.Delay / 60 : -((-*d.Delay) / 60);
  if (minutes == 0) return "";
  return "（" + std::string(minutes > 0 ? "+" : "") + std::to_string(minutes) + "分）";
}

// "YYYY-MM-DD hh:mm:ss", every digit in place and the date one the calendar has.
std::optional<ClockTime> ParseMoment(std::string_view text) {
  constexpr std::string_view shape = "0000-00-00 00:00:00";
  if (text.size() != shape.size()) return std::nullopt;
  for (std::size_t i = 0; i < shape.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (shape[i] == '0' ? !digit : text[i] != shape[i]) return std::nullopt;
  }
  auto number = [text](std::size_t at, std::size_t digits) {
    int value = 0;
    for (std::size_t i = at; i < at + digits; ++i) value = value * 10 + (text[i] - '0');
    return value;
  };
  const ClockTime t{number(0, 4),  number(5, 2),  number(8, 2),
                    number(11, 2), number(14, 2), number(17, 2)};
  using namespace std::chrono;
  const year_month_day date{year{t.Year}, month{unsigned(t.Month)}, day{unsigned(t.Day)}};
  if (!date.ok() || t.Hour > 23 || t.Minute > 59 || t.Second > 59) return std::nullopt;
  return t;
}

// The messages are written for message boxes, some with CR for a line break.
std::string ForTerminal(std::string message) {
  for (char& c : message)
    if (c == '\r') c = '\n';
  return message;
}

}  // namespace

std::int64_t PosixTime(const ClockTime& local) {
  std::tm t{};
  t.tm_year = local.Year - 1900;
  t.tm_mon = local.Month - 1;
  t.tm_mday = local.Day;
  t.tm_hour = local.Hour;
  t.tm_min = local.Minute;
  t.tm_sec = local.Second;
  t.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&t));
}

ClockStatus StatusAt(const TimetableStore& store, const IniSettings& settings, const ClockTime& now,
                     const LiveSource& live) {
  DepartureClock clock(store, settings);
  clock.Load(now);
  DayChooser chooser(settings.DayTables, store, settings.MoveTimes_Min);
  if (const std::optional<int> table = chooser.Check(now))
    clock.NewServiceDay(*table, now, chooser.Today().Early);
  if (live && clock.HasTimetable()) clock.SetLive(clock.TableNo(), live(clock.TableNo()));

  ClockStatus status;
  status.At = now;
  status.Day = chooser.Today();
  if (clock.HasTimetable()) {
    status.TimetableIndex = clock.TableNo();
    status.Timetable = store.Records[clock.TableNo()].Title;
  }
  status.First = DepartureOf(clock, 1);
  status.Second = DepartureOf(clock, 2);
  if (clock.LiveFresh()) {
    const LiveState& data = clock.LiveData();
    status.LiveAge = data.Age;
    status.Alerts = data.Alerts;
    const std::int64_t from = PosixTime(now);
    for (const LiveDeparture& d : data.Departures)
      if (d.Canceled && d.ScheduledAt >= from && d.ScheduledAt <= from + 2 * 60 * 60)
        status.Canceled.push_back(TwoDigits(d.Hour) + ":" + TwoDigits(d.Minute));
  }
  if (!status.First) {
    status.Comment = clock.Panel(1).Comment;
  } else if (!status.Second) {
    status.Comment = clock.Panel(2).Comment;
  }
  return status;
}

namespace {

std::optional<int> DaysUntil(const CivilDate& serviceDay, const std::string& validUntil) {
  const auto until = feeds::ParseDate(validUntil);
  if (!until) return std::nullopt;
  namespace c = std::chrono;
  const auto days = [](const CivilDate& d) {
    return c::sys_days(
        c::year_month_day{c::year{d.Year}, c::month{unsigned(d.Month)}, c::day{unsigned(d.Day)}});
  };
  return static_cast<int>((days(*until) - days(serviceDay)).count());
}

std::string Slashed(std::string date) {
  std::replace(date.begin(), date.end(), '-', '/');
  return date;
}

}  // namespace

bool IsExpired(const CivilDate& serviceDay, const std::string& validUntil) {
  const auto left = DaysUntil(serviceDay, validUntil);
  return left && *left < 0;
}

std::string ValidityNotice(const CivilDate& serviceDay, const std::string& validUntil) {
  const auto left = DaysUntil(serviceDay, validUntil);
  if (!left || *left > 7) return "";
  if (*left < 0) return "時刻表の有効期限（" + Slashed(validUntil) + "）を過ぎています";
  return "時刻表は " + Slashed(validUntil) + " まで有効です";
}

ValidityView ValidityViewOf(const std::filesystem::path& appFolder, int count, int shown,
                            const CivilDate& serviceDay) {
  ValidityView view;
  std::optional<feeds::FeedRecord> record;
  try {
    record = feeds::ReadFeedRecord(appFolder);
  } catch (const FileError&) {
    return view;
  }
  if (!record) return view;
  for (const feeds::FeedEntry& e : record->Entries) {
    if (e.Timetable >= count) continue;
    view.Expired[e.Timetable] = IsExpired(serviceDay, e.ValidUntil());
    if (e.Timetable == shown) view.Notice = ValidityNotice(serviceDay, e.ValidUntil());
  }
  return view;
}

void SetValidity(ClockStatus& status, const std::string& validFrom, const std::string& validUntil) {
  status.ValidFrom = feeds::ParseDate(validFrom) ? validFrom : "";
  status.ValidUntil = feeds::ParseDate(validUntil) ? validUntil : "";
  status.Expired = IsExpired(status.Day.Date, status.ValidUntil);
}

std::string StatusLine(const ClockStatus& status) {
  std::string line = status.Expired ? "期限切れ " : "";
  if (!status.Timetable.empty()) line += status.Timetable + " ";
  if (status.Day.Early) line += "(翌日のダイヤ) ";
  if (!status.First) return line + status.Comment;
  line += status.First->Time + " 発車 " + std::to_string(status.First->Minutes) + "分前" +
          DelayNote(*status.First);
  if (status.Second) {
    line += " / " + status.Second->Time + " " + std::to_string(status.Second->Minutes) + "分前" +
            DelayNote(*status.Second);
  }
  return line;
}

std::string StatusJson(const ClockStatus& status) {
  const ClockTime& t = status.At;
  const CivilDate& d = status.Day.Date;
  const std::string date =
      std::to_string(t.Year) + "-" + TwoDigits(t.Month) + "-" + TwoDigits(t.Day);
  const std::string time =
      TwoDigits(t.Hour) + ":" + TwoDigits(t.Minute) + ":" + TwoDigits(t.Second);
  return "{\"date\":" + Quoted(date) + ",\"time\":" + Quoted(time) +
         ",\"dayKind\":" + Quoted(DayKindWord(status.Day.Kind)) +
         ",\"holiday\":" + Quoted(status.Day.Holiday) +
         ",\"timetable\":" + Quoted(status.Timetable) + ",\"timetableIndex\":" +
         (status.TimetableIndex < 0 ? "null" : std::to_string(status.TimetableIndex)) +
         ",\"first\":" + DepartureJson(status.First) +
         ",\"second\":" + DepartureJson(status.Second) + ",\"comment\":" + Quoted(status.Comment) +
         ",\"serviceDate\":" +
         Quoted(std::to_string(d.Year) + "-" + TwoDigits(d.Month) + "-" + TwoDigits(d.Day)) +
         ",\"nextServiceDay\":" + (status.Day.Early ? "true" : "false") +
         ",\"validFrom\":" + (status.ValidFrom.empty() ? "null" : Quoted(status.ValidFrom)) +
         ",\"validUntil\":" + (status.ValidUntil.empty() ? "null" : Quoted(status.ValidUntil)) +
         ",\"expired\":" + (status.Expired ? "true" : "false") + LiveJson(status) + "}";
}

bool IsStatusCommand(const std::vector<std::string>& args) {
  for (const std::string& arg : args)
    if (arg == "--status" || arg == "--at" || arg == "--json" || arg == "--live" ||
        arg == "--help" || arg == "-h" || arg == "--version")
      return true;
  return false;
}

int RunStatusCommand(const std::vector<std::string>& args, const std::filesystem::path& appFolder,
                     const ClockTime& now, std::ostream& out, std::ostream& err) {
  if (const std::optional<int> code = AnswerHelpOrVersion(args, "Velkan42", kUsage, out))
    return *code;
  bool status = false, json = false, live = false;
  ClockTime at = now;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--status") {
      status = true;
    } else if (arg == "--json") {
      json = true;
    } else if (arg == "--live") {
      live = true;
    } else if (arg == "--at") {
      const std::optional<ClockTime> moment =
          i + 1 < args.size() ? ParseMoment(args[++i]) : std::nullopt;
      if (!moment) {
        err << "Velkan42: --at の時刻が不正です。\"YYYY-MM-DD hh:mm:ss\" "
               "の形で指定してください。\n";
        return 1;
      }
      at = *moment;
    } else {
      err << "Velkan42: 不明な引数です: " << arg << "\n" << kUsage;
      return 1;
    }
  }
  if (!status) {
    err << kUsage;
    return 1;
  }

  IniSettings settings;
  TimetableStore store;
  try {
    // A missing settings file means the defaults; only the window creates it.
    settings = ReadIniOverDefaults(appFolder);
    ReadDataFile(store, appFolder);
  } catch (const FileError& error) {
    err << ForTerminal(error.what()) << "\n";
    // A missing file most often means the wrong folder: say which one was looked in.
    if (error.Caption == MissingFileError("").Caption)
      err << "探したフォルダ: " << appFolder.string() << "\n";
    return 1;
  }
  // Live data is fetched now and matched at `at`, so a feed of a given moment can be checked.
  // Without it the answer is the timetable's, with the reason on standard error.
  LiveSource fetched;
  if (live) {
    fetched = [&](int table) {
      const std::optional<live::RealtimeSource> source = live::RealtimeSourceOf(appFolder, table);
      if (!source) {
        err << "Velkan42: この時刻表にはリアルタイム情報のURLがありません。\n";
        return LiveState{};
      }
      std::vector<std::string> errors;
      LiveState state = live::FetchAndMatch(*source, PosixTime(at), errors);
      for (const std::string& e : errors) err << "Velkan42: " << e << "\n";
      if (!state.Fresh && errors.size() < source->Urls.size())
        err << "Velkan42: リアルタイム情報が古いため使いませんでした。\n";
      return state;
    };
  }
  ClockStatus result = StatusAt(store, settings, at, fetched);
  if (result.TimetableIndex >= 0) {
    const feeds::Validity validity = feeds::ValidityOf(appFolder, result.TimetableIndex);
    SetValidity(result, validity.From, validity.Until);
  }
  out << (json ? StatusJson(result) : StatusLine(result)) << "\n";
  return 0;
}

}  // namespace v42
