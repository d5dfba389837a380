#include "ClockStatus.h"

#include <chrono>
#include <cstdio>
#include <ostream>

#include "DataFile.h"
#include "DataFormat.h"
#include "IniFile.h"
#include "ProgramHelp.h"

namespace v42 {
namespace {

constexpr const char* kUsage =
    "使い方: Velkan42 [--status [--at \"YYYY-MM-DD hh:mm:ss\"] [--json]]\n"
    "\n"
    "引数なしで時計のウィンドウを開きます。\n"
    "--status は時計の状態を1行で表示して終了します (ウィンドウは開きません)。\n"
    "  --status   その時刻の時刻表、曜日の種類、1番目と2番目の発車時刻と残り分数\n"
    "  --at       その時刻の状態 (省略時は現在時刻)\n"
    "  --json     JSON で出力\n"
    "  --help     この説明\n"
    "  --version  版数\n";

std::optional<StatusDeparture> DepartureOf(const PanelText& panel) {
  if (panel.Time.empty()) return std::nullopt;
  return StatusDeparture{panel.Time, std::stoi(panel.Minutes)};
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

std::string DepartureJson(const std::optional<StatusDeparture>& departure) {
  if (!departure) return "null";
  return "{\"time\":" + Quoted(departure->Time) +
         ",\"minutes\":" + std::to_string(departure->Minutes) + "}";
}

std::string TwoDigits(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }

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

ClockStatus StatusAt(const TimetableStore& store, const IniSettings& settings,
                     const ClockTime& now) {
  DepartureClock clock(store, settings);
  clock.Load(now);
  DayChooser chooser(settings.DayTables, store, settings.MoveTimes_Min);
  if (const std::optional<int> table = chooser.Check(now))
    clock.NewServiceDay(*table, now, chooser.Today().Early);

  ClockStatus status;
  status.At = now;
  status.Day = chooser.Today();
  if (clock.HasTimetable()) {
    status.TimetableIndex = clock.TableNo();
    status.Timetable = store.Records[clock.TableNo()].Title;
  }
  status.First = DepartureOf(clock.Panel(1));
  status.Second = DepartureOf(clock.Panel(2));
  if (!status.First) {
    status.Comment = clock.Panel(1).Comment;
  } else if (!status.Second) {
    status.Comment = clock.Panel(2).Comment;
  }
  return status;
}

std::string StatusLine(const ClockStatus& status) {
  std::string line = status.Timetable.empty() ? "" : status.Timetable + " ";
  if (status.Day.Early) line += "(翌日のダイヤ) ";
  if (!status.First) return line + status.Comment;
  line += status.First->Time + " 発車 " + std::to_string(status.First->Minutes) + "分前";
  if (status.Second) {
    line += " / " + status.Second->Time + " " + std::to_string(status.Second->Minutes) + "分前";
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
         ",\"nextServiceDay\":" + (status.Day.Early ? "true" : "false") + "}";
}

bool IsStatusCommand(const std::vector<std::string>& args) {
  for (const std::string& arg : args)
    if (arg == "--status" || arg == "--at" || arg == "--json" || arg == "--help" || arg == "-h" ||
        arg == "--version")
      return true;
  return false;
}

int RunStatusCommand(const std::vector<std::string>& args, const std::filesystem::path& appFolder,
                     const ClockTime& now, std::ostream& out, std::ostream& err) {
  if (const std::optional<int> code = AnswerHelpOrVersion(args, "Velkan42", kUsage, out))
    return *code;
  bool status = false, json = false;
  ClockTime at = now;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--status") {
      status = true;
    } else if (arg == "--json") {
      json = true;
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
  const ClockStatus result = StatusAt(store, settings, at);
  out << (json ? StatusJson(result) : StatusLine(result)) << "\n";
  return 0;
}

}  // namespace v42
