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
};

ServiceDay ServiceDayAt(const ClockTime& now, const DayTableSettings& settings);

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

  // The timetable to select now, or nullopt to leave the selection as it is.
  std::optional<int> Check(const ClockTime& now);

  // New settings take effect at the next Check, as if a new service day began.
  void SetSettings(const DayTableSettings& settings);

  // The service day of the last Check.
  const ServiceDay& Today() const { return today_; }

 private:
  DayTableSettings settings_;
  int count_;
  bool fresh_ = true;
  ServiceDay today_;
};

}  // namespace v42
