// The clock's state at one moment without a window: for panels, terminals and scripts.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "DayChoice.h"
#include "DepartureClock.h"
#include "LiveState.h"
#include "Model.h"

namespace v42 {

struct StatusDeparture {
  std::string Time;          // "6:20", as scheduled
  int Minutes = 0;           // until it is expected to leave, walking time taken off
  std::string Expected;      // "06:27"; the scheduled time without live data
  std::optional<int> Delay;  // seconds; nullopt: live data says nothing of it
  bool Live = false;         // matched to live data
};

struct ClockStatus {
  ClockTime At{};
  ServiceDay Day;
  std::string Timetable;
  int TimetableIndex = -1;  // -1: the store holds no timetable
  std::optional<StatusDeparture> First, Second;
  std::string Comment;  // what the first panel without a departure shows, else ""
  // From the source record of an imported timetable: YYYY-MM-DD, empty when not imported or
  // unknown; expired when the service date is past ValidUntil.
  std::string ValidFrom, ValidUntil;
  bool Expired = false;
  std::vector<std::string> Canceled;  // scheduled "HH:MM" of the next two hours' cancelled ones
  std::vector<LiveAlert> Alerts;
  std::optional<int> LiveAge;  // seconds; nullopt: no fresh live data was used
};

// The live data of a timetable, by its number; a state that is not fresh when there is none.
using LiveSource = std::function<LiveState(int tableNo)>;

// Expired, and "期限切れ" ahead of the plain line, from the timetable's validity.
void SetValidity(ClockStatus& status, const std::string& validFrom, const std::string& validUntil);

// What the clock says of its timetable's validity on a service day: that it has expired,
// from seven days before that it is valid until then, else "".
std::string ValidityNotice(const CivilDate& serviceDay, const std::string& validUntil);
bool IsExpired(const CivilDate& serviceDay, const std::string& validUntil);

// For the window, from appFolder's source record: which of its count timetables have expired
// on the service day, and the notice for the one on show. A record that cannot be read marks
// nothing.
struct ValidityView {
  std::array<bool, kTimetableCount> Expired{};
  std::string Notice;
  bool operator==(const ValidityView&) const = default;
};
ValidityView ValidityViewOf(const std::filesystem::path& appFolder, int count, int shown,
                            const CivilDate& serviceDay);

// What the window would show had it been started at that moment: the clock loaded then and
// the day's timetable chosen as at start-up.
ClockStatus StatusAt(const TimetableStore& store, const IniSettings& settings, const ClockTime& now,
                     const LiveSource& live = {});

// The POSIX time of a local wall time, as this machine's time zone has it.
std::int64_t PosixTime(const ClockTime& local);

// One short line for a panel: "平日 6:20 発車 9分前 / 6:35 24分前".
std::string StatusLine(const ClockStatus& status);
// One JSON object on one line.
std::string StatusJson(const ClockStatus& status);

// True when the arguments (after the program's name) are the command's, not the window's: a
// stray --json must not open a window, or fail for want of a display.
bool IsStatusCommand(const std::vector<std::string>& args);

// Runs `--status [--at "YYYY-MM-DD hh:mm:ss"] [--json]` or `--help` on the files of appFolder,
// writing nothing there. Returns the exit code: 0, or 1 with the reason on err.
int RunStatusCommand(const std::vector<std::string>& args, const std::filesystem::path& appFolder,
                     const ClockTime& now, std::ostream& out, std::ostream& err);

}  // namespace v42
