// The clock's departure search and countdown, free of any window.
#pragma once

#include <array>
#include <cstdint>
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

// Where panel 0's minutes label and its unit label sit, in twips: the h:mm form needs a
// wider, smaller minutes label and a narrower unit.
struct MinuteLayout {
  int Top = 180, Height = 255, Width = 435;  // lblMinute(0)
  int UnitWidth = 375, UnitLeft = 1680;      // Label(5)
  bool operator==(const MinuteLayout&) const = default;
};

// "yyyy.mm.dd  hh:mm:ss", the clock label.
std::string ClockLabel(const ClockTime& now);

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
  // A new service day shows timetable tableNo; early: the day has not begun yet (its start
  // hour is still to come), so all of its departures are ahead. The departure picked stays
  // when the timetable stays and it is still ahead; otherwise it is released, the Set panel
  // saying why. True when a pick was released (an alert on show for it is to close).
  bool NewServiceDay(int tableNo, const ClockTime& now, bool early = false);
  const std::string& NowText() const;     // the clock label
  const PanelText& Panel(int i) const;    // 0 = Set, 1 = 1st, 2 = 2nd
  const std::string& UnitText() const;    // the unit beside panel 0: "分前" or "前"
  std::string MinimisedCaption() const;   // "ベルカン 42 (5分前) 8:05"
  CellLook Look(int row, int col) const;  // the colours a grid cell shows now
  // Changes whenever a cell's look changes, so a window can leave an unchanged grid alone.
  int LooksVersion() const { return looksVersion_; }
  int GridRows() const;
  int GridCols() const;
  int CellX(int i) const;
  int CellY(int i) const;
  bool AlertArmed() const;

  // Further state the window draws from.
  int TableNo() const { return TableNo_; }
  bool HasTimetable() const { return TableNo_ < store_.Count; }
  const MinuteLayout& Panel0Layout() const { return minuteLayout_; }
  // The minutes a panel counts down, as a number; -1 when its minutes label is empty.
  int MinutesLeft(int i) const { return minutesLeft_.at(i); }
  const GridColorSet& GridColors() const;        // of the timetable on show
  std::string CellText(int row, int col) const;  // what the grid cell shows; empty = no value
  // The grid's column count for a whole store: every slot that holds a departure in any
  // timetable gets a column, and never fewer than 7 (the hour and six minutes).
  static int ColumnCount(const TimetableStore&);

 private:
  struct Reach {
    std::int16_t H, M;
  };

  Reach ReachTime() const;
  std::int16_t CmpTime1st();
  bool CmpTimeSet(std::int16_t newMinute);
  void SeekTime(std::int16_t No, std::int16_t& Xx, std::int16_t& Yy) const;
  void SeekNextTime();
  void ComonTimeWrite(std::int16_t Xx, std::int16_t Yy, PanelText& panel);
  void ComonTimeCalc(int panel, std::int16_t cType);
  void TimeCalcAll();
  void FGridWrite();
  void FGridTypeColor();
  void WriteLabel(const ClockTime& now);
  bool TitleCheck();
  std::int16_t LeftToChosen(std::int16_t H0, std::int16_t M0, std::int16_t H1,
                            std::int16_t M1) const;
  void SetComment(PanelText& panel, int comment);
  void ReleasePick(const char* reason);
  long long ReachMinute() const;  // the reach time in minutes since 1970
  void Paint(int row, int col, CellLook look);
  CellLook OwnLook(int row, int col) const;  // the type's colours, or the grid's own
  bool InGrid(int row, int col) const;
  const DepartureCell& Cell(int row, int col) const;
  std::string DepartureText(int row, int col) const;

  TimetableStore store_;
  IniSettings settings_;

  // The window's state, as the tick and the choice keep it.
  std::array<std::int16_t, 3> CellX_{};
  std::array<std::int16_t, 3> CellY_{};
  std::uint8_t LoadFlag_ = 1;
  std::uint8_t TableNo_ = 0;
  std::uint8_t MsgDoneFlag_ = 1;
  std::string LastMinute_;
  std::string LastTitleMinute_;
  std::int16_t TitleRefresh_ = 0;

  // What the labels and the grid show.
  std::string nowText_;
  std::int16_t nowHour_ = 0, nowMinute_ = 0;
  long long nowDay_ = 0;           // days since 1970
  long long pickMinute_ = -1;      // when the picked departure leaves, minutes since 1970; -1 none
  long long dayStartMinute_ = -1;  // an early service day's start; before it the grid is ahead
  std::array<PanelText, 3> panels_{};
  std::array<int, 3> minutesLeft_{-1, -1, -1};
  std::string unitText_ = "分前";
  MinuteLayout minuteLayout_{};
  int rows_ = 0;
  int cols_ = 7;
  std::array<std::array<CellLook, kSlotCount>, kRowCount> looks_{};
  int looksVersion_ = 0;
};

}  // namespace v42
