#include "DayImport.h"

#include <algorithm>
#include <cstdio>

#include "ImportText.h"

namespace v42::gtfs {

namespace {

bool SameTimetable(const TimetableRecord& a, const TimetableRecord& b) {
  return a.Departures == b.Departures && a.Types == b.Types;
}

}  // namespace

std::vector<DayTimetable> BuildDayTimetables(const Feed& feed, const StopDepartures& departures,
                                             const std::vector<DayKind>& kinds,
                                             const ImportChoice& choice, CivilDate from) {
  std::vector<DayTimetable> tables;
  bool anyDeparture = false;
  for (DayKind kind : kinds) {
    const auto date = feed.DateOfKind(kind, from, choice.YearEndHoliday);
    if (!date) {
      throw FileError("フィードの期間(" + DateText(from) + " 以降)に" + DayKindName(kind) +
                          "の日がありません。",
                      kImportErrorCaption, false);
    }
    ImportChoice one = choice;
    one.Date = *date;
    ImportResult built = departures.Build(one);
    anyDeparture = anyDeparture || built.Report.Departures > 0;
    const auto same = std::find_if(tables.begin(), tables.end(), [&](const DayTimetable& t) {
      return SameTimetable(t.Result.Record, built.Record);
    });
    if (same != tables.end()) {
      same->Kinds.push_back(kind);
    } else {
      tables.push_back({{kind}, *date, std::move(built)});
    }
  }
  if (!anyDeparture) {
    const std::string when = kinds.size() == 1 ? DateText(tables.front().Date) + " に" : "";
    throw FileError(when + "「" + departures.Stop().Name + "」を発車する便が(選んだ条件では)" +
                        (kinds.size() == 1 ? "" : "どの日にも") + "ありません。",
                    kImportErrorCaption, false);
  }
  // Titled once the sharing is known, each apart from the list's and from the ones before it.
  ImportChoice titled = choice;
  for (DayTimetable& table : tables) {
    titled.Date = table.Date;
    titled.Kinds = kinds.size() > 1 ? table.Kinds : std::vector<DayKind>{};
    table.Result = departures.Build(titled);
    titled.TakenTitles.push_back(table.Result.Record.Title);
  }
  return tables;
}

std::array<int, 3> AppendDayTimetables(TimetableStore& store,
                                       const std::vector<DayTimetable>& tables) {
  TimetableStore grown = store;
  std::array<int, 3> at{-1, -1, -1};
  for (const DayTimetable& table : tables) {
    AppendTimetable(grown, table.Result.Record);
    for (DayKind kind : table.Kinds) at[static_cast<std::size_t>(kind)] = grown.Count - 1;
  }
  store = grown;
  return at;
}

std::optional<int> NeededDayStartHour(const std::vector<DayTimetable>& tables, int current) {
  int first = -1, last = -1;
  for (const DayTimetable& table : tables) {
    const ImportReport& r = table.Result.Report;
    if (r.FirstSeconds < 0) continue;
    first = first < 0 ? r.FirstSeconds : std::min(first, r.FirstSeconds);
    last = std::max(last, r.LastSeconds);
  }
  if (first < 0) return std::nullopt;
  // A service day of start hour h holds the seconds [h, h + 24) hours.
  const auto fits = [&](int h) { return h * 3600 <= first && last < (h + 24) * 3600; };
  if (fits(current)) return std::nullopt;
  std::optional<int> best;
  for (int h = 0; h < 24; ++h)
    if (fits(h) && (!best || std::abs(h - current) < std::abs(*best - current))) best = h;
  return best;
}

}  // namespace v42::gtfs
