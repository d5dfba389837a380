// Several kinds of day from one stop at once: a timetable per kind, shared where two kinds run
// the same, and the clock's day-table settings that switch between them by themselves.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "GtfsImport.h"

namespace v42::gtfs {

struct DayTimetable {
  std::vector<DayKind> Kinds;  // the kinds that run on it, in the order asked
  CivilDate Date;              // the date it was built for: its first kind's
  ImportResult Result;
};

// One timetable per kind, in that order, each built for the first date of its kind from `from`
// within the feed; kinds whose timetables come out the same share one, titled for them all.
// choice gives the lines, the kind grouping, the titles taken and a typed title, which with
// more than one kind is followed by each timetable's day label. A kind without a departure
// gets an empty timetable, so that the clock shows no bus rather than another day's. Throws
// FileError when the feed has no date of a kind, or no kind has any departure.
std::vector<DayTimetable> BuildDayTimetables(const Feed& feed, const StopDepartures& departures,
                                             const std::vector<DayKind>& kinds,
                                             const ImportChoice& choice, CivilDate from);

// Appends them all or, when they do not fit, none (FileError). By DayKind, the index each
// kind's timetable now has in the store; -1 for a kind not among them.
std::array<int, 3> AppendDayTimetables(TimetableStore& store,
                                       const std::vector<DayTimetable>& tables);

// The hour a service day has to start at so that every departure of the tables falls within
// it: nullopt when `current` already does, or when they span more than a day and none can.
std::optional<int> NeededDayStartHour(const std::vector<DayTimetable>& tables, int current);

}  // namespace v42::gtfs
