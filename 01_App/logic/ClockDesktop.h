// What the clock shows outside its window (the tray icon, its tooltip, the desktop
// notification) and the dimming of departures that can no longer be caught.
#pragma once

#include <string>
#include <string_view>

#include "DepartureClock.h"

namespace v42 {

// The tray's number: the minutes left to the chosen departure, else to the 1st; "–" when
// neither counts down. Two digits fit the icon, so 100 minutes and more show whole hours
// ("2h"). It follows the panels, which move only when the minute does.
std::string TrayNumber(const DepartureClock& clock);

// The timetable's title, then a line for the 1st, the 2nd and the chosen departure.
std::string TrayToolTip(const DepartureClock& clock, std::string_view title);

struct AlertNotice {
  std::string Summary;  // "まもなく発車"
  std::string Body;     // "8:05 発車まで あと3分"
};
AlertNotice NoticeOf(const DepartureClock& clock);

// The desktop notification about the chosen departure, from its sending to the moment it no
// longer holds: the departure has left, or the pick it speaks of was released or moved.
class NoticeKeeper {
 public:
  void Sent(const DepartureClock& clock, const ClockTime& now);
  // True while a notification is out that should now be withdrawn.
  bool Stale(const DepartureClock& clock, const ClockTime& now) const;
  void Withdrawn() { time_.clear(); }

 private:
  std::string time_;        // the departure it speaks of, "8:05"; empty = none out
  long long leavesAt_ = 0;  // in seconds of the local calendar, as SecondsOf counts
};

// True for a departure cell of the timetable on show that lies before the 1st departure in
// the grid's order, or for every one when the day's service is over: the clock's own search
// decides what can still be caught, now plus the walking time, midnight included. The chosen
// cell keeps its colours.
bool Passed(const DepartureClock& clock, int row, int col);

// The colours a cell shows: the clock's, faded toward the background when it has passed and
// dimming is on.
CellLook ShownLook(const DepartureClock& clock, int row, int col, bool dimPassed);

}  // namespace v42
