// The clock's own choice of timetable for the kind of day, free of any window.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "DepartureClock.h"
#include "Holidays.h"
#include "Model.h"

namespace v42 {

// The day whose timetable runs at a wall time, as the settings count days.
struct ServiceDay {
  CivilDate Date;
  DayKind Kind = DayKind::Weekday;
  std::string Holiday;  // the national holiday's name, or ""
  // The service day has not begun by the clock, but the one before it has no departure left,
  // so its timetable already runs.
  bool Early = false;
};

ServiceDay ServiceDayAt(const ClockTime& now, const DayTableSettings& settings);

// True when the timetable has a departure later than `now`, counted as the service day counts:
// from the start hour to the next day's start hour. `now` may pass that end (a walk after the
// last minutes of the day).
bool DepartureLeft(const TimetableRecord& record, int startHour, int serviceMinute);

// Minutes from the start hour of the service day to the wall time h:mm.
int ServiceMinute(int hour, int minute, int startHour);

// The timetable set for that kind of day, or -1 when there is none among the store's count.
int TableFor(DayKind kind, const DayTableSettings& settings, int timetableCount);

// A first mapping from the titles, for the user to confirm: the first title with 平日 runs on
// weekdays, with 土曜 on Saturdays, with 休日, 日祝 or 日曜 on holidays, and one with 土休日 on
// both Saturdays and holidays. Kinds without such a title get none.
std::array<int, 3> ProposeDayTables(const TimetableStore& store);

// Decides when the clock selects the day's timetable: on the first look and again only when a
// new service day begins, whether the tick passes the start hour or the system clock jumps.
// In between it stays quiet, so a timetable the user picks holds until then.
class DayChooser {
 public:
  DayChooser(const DayTableSettings& settings, int timetableCount);
  // Also moves on to the next service day's timetable as soon as the day's own has no
  // departure left for someone walkMinutes from the stop, so that between the last departure
  // and the start hour the first one of the right day shows.
  DayChooser(const DayTableSettings& settings, const TimetableStore& store, int walkMinutes);

  // The timetable to select now, or nullopt to leave the selection as it is.
  std::optional<int> Check(const ClockTime& now);

  // New settings take effect at the next Check, as if a new service day began.
  void SetSettings(const DayTableSettings& settings);
  // A new walking time counts from the next Check, without choosing again.
  void SetWalk(int walkMinutes) { walk_ = walkMinutes; }

  // The service day of the last Check.
  const ServiceDay& Today() const { return today_; }

 private:
  ServiceDay DayAt(const ClockTime& now) const;

  DayTableSettings settings_;
  int count_;
  std::optional<TimetableStore> store_;  // set: the early move is on
  int walk_ = 0;
  bool fresh_ = true;
  ServiceDay today_;
};

}  // namespace v42
