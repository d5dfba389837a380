// The in-memory model that all three programs share: the timetables and the clock's settings.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>

namespace v42 {

inline constexpr int kTimetableCount = 9;
inline constexpr int kRowCount = 24;
inline constexpr int kSlotCount = 31;  // slot 0 = the hour, 1..30 = departures
inline constexpr int kTypeCount = 26;
inline constexpr int kCommentCount = 3;
inline constexpr std::uint8_t kEmptyValue = 255;

using Color = std::int32_t;  // OLE colour 0x00BBGGRR

// Black is held as 0x010101: to the grid a colour of 0 means "no colour of its own".
inline constexpr Color kBlack = 0x010101;
inline constexpr Color kWhite = 0xFFFFFF;

struct DepartureCell {
  std::uint8_t Value = kEmptyValue;
  std::uint8_t TypeLetter = 0;
  bool operator==(const DepartureCell&) const = default;
};

struct TypeEntry {
  std::string Name;
  Color ForeColor = kBlack;
  Color BackColor = kWhite;
  bool Bold = false;
  bool Italic = false;
  bool operator==(const TypeEntry&) const = default;
};

struct GridColorSet {
  Color BaseForeColor = kBlack, BaseBackColor = kWhite, NextForeColor = kBlack,
        NextBackColor = 0x0000FF, ChosenForeColor = kBlack, ChosenBackColor = 0xFF8080;
  bool operator==(const GridColorSet&) const = default;
};

using DepartureRow = std::array<DepartureCell, kSlotCount>;

// Puts a row's departures (slots 1..30) in ascending order of minute, each keeping its type
// letter, packed towards slot 1; equal minutes (two lines leaving together) keep their order.
// The search for the next departure relies on this order.
inline void SortDepartures(DepartureRow& row) {
  const auto first = row.begin() + 1;
  const auto filled = std::stable_partition(
      first, row.end(), [](const DepartureCell& c) { return c.Value != kEmptyValue; });
  std::stable_sort(first, filled, [](const DepartureCell& a, const DepartureCell& b) {
    return a.Value < b.Value;
  });
}

struct TimetableRecord {
  std::string Title;
  std::array<DepartureRow, kRowCount> Departures{};
  std::array<TypeEntry, kTypeCount> Types{};
  GridColorSet GridColors{};
  bool operator==(const TimetableRecord&) const = default;
};

struct TimetableStore {
  std::array<TimetableRecord, kTimetableCount> Records{};
  std::uint8_t Count = 0, MaxSlot = 0, MaxRows = 0;
};

struct CommentEntry {
  std::string Text;
  v42::Color Color = 0;  // qualified: the field shares the type's name
  bool operator==(const CommentEntry&) const = default;
};

// Which timetable each kind of day runs on, chosen by the clock itself. Off while no kind has
// a timetable, and then none of it is written, so older files and programs see nothing new.
struct DayTableSettings {
  std::array<int, 3> Tables{-1, -1, -1};  // by DayKind (weekday, Saturday, holiday); -1 = none
  int DayStartHour = 3;                   // before this hour the previous date's kind applies
  bool YearEndHoliday = false;            // 29 December to 3 January run as holidays
  bool IsOn() const { return Tables[0] >= 0 || Tables[1] >= 0 || Tables[2] >= 0; }
  bool operator==(const DayTableSettings&) const = default;
};

// The clock's desktop extras. A key is written only when it differs from its default, so a
// file without them (a default one, or one from an older program) reads as these defaults.
struct DesktopSettings {
  enum AlertStyle : std::uint8_t { AlertBlink = 1, AlertNotify = 2, AlertBoth = 3 };
  bool TrayIcon = true;
  std::uint8_t Alert = AlertBoth;
  bool DimPassed = false;  // changes how the grid looks, so it waits to be switched on
  // Takes timetables saved while the clock runs (by the editor or the importer); changes what
  // the clock shows, so it too waits to be switched on.
  bool FollowSaves = false;
  bool operator==(const DesktopSettings&) const = default;
};

// Zero until read or defaulted, except the extras after the first keys, which start at their
// defaults.
struct IniSettings {
  Color ApplicationFontColor = 0, ApplicationBackColor = 0;
  std::array<CommentEntry, kCommentCount> Comments{};
  std::int16_t MessageTimes_Min = 0;
  std::uint8_t MessageSoundFlag = 0;
  std::string MessageSoundFile;
  std::uint8_t MessageBlinkFlag = 0;
  std::int16_t MoveTimes_Min = 0;
  DayTableSettings DayTables{};
  DesktopSettings Desktop{};
  bool operator==(const IniSettings&) const = default;
};

// What the core throws; each program shows it as a critical message box at its edge.
struct FileError : std::runtime_error {
  FileError(const std::string& message, std::string caption, bool endsProgram = true)
      : std::runtime_error(message), Caption(std::move(caption)), EndsProgram(endsProgram) {}
  std::string Caption;      // e.g. "ファイル形式エラー"
  bool EndsProgram = true;  // false: the window stays open
};

}  // namespace v42
