// The clock's departure search and countdown, free of any window.
#pragma once

#include <string>

#include "Model.h"

namespace v42 {

struct ClockTime {
  int Year, Month, Day, Hour, Minute, Second;  // local wall time
};
struct PanelText {
  std::string Time, Minutes, Comment;
  Color CommentColor = 0;
  int MinutesFontSize = 12;
};
struct CellLook {
  Color Fore = 0;
  Color Back = 0;  // 0 = the grid's own colour
};
struct TickResult {
  bool AlertDue = false;
  bool CaptionDue = false;
};

class DepartureClock {
 public:
  DepartureClock(const TimetableStore&, const IniSettings&);
  void Load(const ClockTime& now);                // the loading sequence; shows timetable 0
  void SelectTimetable(int tableNo);              // the timetable list was changed
  TickResult NowTimeWrite(const ClockTime& now);  // one tick
  void AlertClosed(const ClockTime& now);         // what follows the alert window's closing
  void ChooseDeparture(int row, int col);         // double-click / Enter on a grid cell
  void Refresh();                                 // SeekNextTime + TimeCalcAll
  void SetSettings(const IniSettings&);           // after the options dialog
  const std::string& NowText() const;             // the clock label
  const PanelText& Panel(int i) const;            // 0 = Set, 1 = 1st, 2 = 2nd
  const std::string& UnitText() const;            // the unit beside panel 0: "分前" or "前"
  std::string MinimisedCaption() const;           // "ベルカン 42 (5分前) 8:05"
  CellLook Look(int row, int col) const;          // the colours a grid cell shows now
  int GridRows() const;
  int GridCols() const;
  int CellX(int i) const;
  int CellY(int i) const;
  bool AlertArmed() const;
  // (the implementation adds its private state below)
};

}  // namespace v42
