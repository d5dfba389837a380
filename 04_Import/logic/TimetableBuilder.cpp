// From one stop's departures to a timetable record: the day, the filters, the kinds, the grid.
#include <algorithm>
#include <array>
#include <climits>
#include <map>
#include <set>

#include "FeedData.h"
#include "ImportText.h"
#include "InputRules.h"

namespace v42::gtfs {

StopDepartures::StopDepartures(std::shared_ptr<const Rows> rows) : rows_(std::move(rows)) {}
StopDepartures::StopDepartures(const StopDepartures&) = default;
StopDepartures& StopDepartures::operator=(const StopDepartures&) = default;
StopDepartures::StopDepartures(StopDepartures&&) noexcept = default;
StopDepartures& StopDepartures::operator=(StopDepartures&&) noexcept = default;
StopDepartures::~StopDepartures() = default;

const StopMatch& StopDepartures::Stop() const { return rows_->Stop; }

namespace {

constexpr int kDeparturesPerRow = kSlotCount - 1;

const std::string& HeadsignOf(const Feed::Data& d, const StopDepartures::Rows::Departure& dep) {
  return dep.StopHeadsign.empty() ? d.Trips[dep.Trip].Headsign : dep.StopHeadsign;
}

bool Contains(const std::vector<std::string>& list, std::string_view value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

struct Kind {
  std::string Name;
  int Route = -1;  // the one route all its departures belong to; -1 when mixed
  int Count = 0;
  int Letter = -1;
};

// The field fitted to its box, without a blank the cut left at its end; a change is reported.
std::string Fit(std::string_view text, int maxChars, ImportReport& report) {
  std::string fitted = TrimEnd(FitField(text, maxChars));
  if (fitted != text) report.Changed.push_back({std::string(text), fitted});
  return fitted;
}

// head shortened to leave room for tail, which is kept whole: the day kind and the number
// that tells a title apart are what a user tells timetables by.
std::string FitTitle(std::string_view head, std::string_view tail) {
  std::string fitted = TrimEnd(FitField(head, kTitleMaxChars - CharCount(tail)));
  if (fitted.empty() && tail.starts_with(' ')) tail.remove_prefix(1);
  return fitted + FitField(tail, kTitleMaxChars);
}

std::string Title(const ImportChoice& choice, const std::string& stopName, ImportReport& report) {
  std::string head = choice.Title, kind;
  if (!choice.Kinds.empty()) {
    kind = " " + DayKindsLabel(choice.Kinds);
    if (head.empty()) head = stopName;
  } else if (head.empty()) {
    const CivilDate& date = choice.Date;
    head = stopName;
    kind = std::string(" ") +
           DayKindName(DayKindOf(date.Year, date.Month, date.Day, choice.YearEndHoliday));
  }
  std::string title = FitTitle(head, kind);
  for (int n = 2; Contains(choice.TakenTitles, title); ++n)
    title = FitTitle(head, kind + "(" + std::to_string(n) + ")");
  // A typed title is the user's: any change to it is told. A default one is ours.
  const std::string asked = choice.Title.empty() ? head + kind : choice.Title + kind;
  if (title != asked) report.Changed.push_back({asked, title});
  return title;
}

}  // namespace

ServingLines StopDepartures::Lines() const {
  const Feed::Data& d = *rows_->Source;
  std::set<int> routes, directions;
  std::set<std::string> headsigns;
  std::array<std::map<std::string, int>, 2> byDirection;
  for (const auto& dep : rows_->Departures) {
    const auto& trip = d.Trips[dep.Trip];
    routes.insert(trip.Route);
    if (trip.Direction >= 0) directions.insert(trip.Direction);
    const std::string& headsign = HeadsignOf(d, dep);
    if (headsign.empty()) continue;
    headsigns.insert(headsign);
    if (trip.Direction >= 0) ++byDirection[trip.Direction][headsign];
  }
  ServingLines lines;
  for (int r : routes) lines.Routes.push_back({d.Routes[r].Id, d.Routes[r].Name});
  lines.Headsigns.assign(headsigns.begin(), headsigns.end());
  lines.Directions.assign(directions.begin(), directions.end());
  for (int i = 0; i < 2; ++i) {
    int most = 0;
    for (const auto& [headsign, count] : byDirection[i]) {
      if (count <= most) continue;  // a tie keeps the first in order: the same on every read
      most = count;
      const auto ja = d.HeadsignJa.find(headsign);
      lines.DirectionHeadsigns[i] = ja != d.HeadsignJa.end() ? ja->second : headsign;
    }
  }
  return lines;
}

ImportResult StopDepartures::Build(const ImportChoice& choice) const {
  const Feed::Data& d = *rows_->Source;
  const int day = DayNumber(choice.Date);
  std::vector<char> runs(d.Services.size());
  for (std::size_t s = 0; s < d.Services.size(); ++s) runs[s] = d.Services[s].Runs(day);

  // The chosen departures in service order, each with its kind.
  struct Pick {
    int Seconds, Kind;
  };
  std::vector<Pick> picks;
  std::vector<Kind> kinds;
  std::map<std::string, int> kindOfHeadsign;
  std::map<int, int> kindOfRoute;
  std::vector<const Rows::Departure*> chosen;
  for (const auto& dep : rows_->Departures) {
    const auto& trip = d.Trips[dep.Trip];
    if (!runs[trip.Service]) continue;
    if (!choice.RouteIds.empty() && !Contains(choice.RouteIds, d.Routes[trip.Route].Id)) continue;
    if (!choice.Headsigns.empty() && !Contains(choice.Headsigns, trip.Headsign) &&
        !Contains(choice.Headsigns, dep.StopHeadsign)) {
      continue;
    }
    if (choice.Direction && trip.Direction != *choice.Direction) continue;
    chosen.push_back(&dep);
  }
  std::stable_sort(chosen.begin(), chosen.end(),
                   [](const auto* a, const auto* b) { return a->Seconds < b->Seconds; });
  for (const auto* dep : chosen) {
    const auto& trip = d.Trips[dep->Trip];
    int k = 0;
    if (choice.Types == TypeGrouping::Route) {
      const auto [it, added] = kindOfRoute.emplace(trip.Route, static_cast<int>(kinds.size()));
      if (added) kinds.push_back({d.Routes[trip.Route].Name, trip.Route});
      k = it->second;
    } else {
      const std::string& headsign = HeadsignOf(d, *dep);
      const auto [it, added] = kindOfHeadsign.emplace(headsign, static_cast<int>(kinds.size()));
      if (added) {
        const auto ja = d.HeadsignJa.find(headsign);
        std::string name = ja != d.HeadsignJa.end() ? ja->second : headsign;
        if (name.empty()) name = d.Routes[trip.Route].Name;  // a trip without any headsign
        kinds.push_back({std::move(name), trip.Route});
      }
      k = it->second;
      if (kinds[k].Route != trip.Route) kinds[k].Route = -1;
    }
    ++kinds[k].Count;
    picks.push_back({dep->Seconds, k});
  }

  ImportResult result;
  int from = INT_MAX, until = INT_MIN;
  std::vector<char> seen(d.Services.size());
  for (const auto* dep : chosen) {
    const int service = d.Trips[dep->Trip].Service;
    if (seen[service]) continue;
    seen[service] = 1;
    from = std::min(from, d.Services[service].FirstRun());
    until = std::max(until, d.Services[service].LastRun());
  }
  if (from <= until) {
    result.ServiceFrom = DateOfDay(from);
    result.ServiceUntil = DateOfDay(until);
  }
  ImportReport& report = result.Report;
  TimetableRecord& record = result.Record;

  // Letters go to the 26 busiest kinds, in the order of their first departures.
  std::vector<int> order(kinds.size());
  for (std::size_t i = 0; i < kinds.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return kinds[a].Count > kinds[b].Count; });
  if (order.size() > static_cast<std::size_t>(kTypeCount)) order.resize(kTypeCount);
  std::sort(order.begin(), order.end());  // kinds are numbered in order of first departure
  for (std::size_t i = 0; i < order.size(); ++i) {
    Kind& kind = kinds[order[i]];
    kind.Letter = static_cast<int>(i);
    TypeEntry& type = record.Types[i];
    type.Name = Fit(kind.Name, kTypeNameMaxChars, report);
    if (kind.Route >= 0) {
      type.BackColor = d.Routes[kind.Route].Back.value_or(kWhite);
      type.ForeColor = d.Routes[kind.Route].Fore.value_or(kBlack);
    }
  }
  report.Kinds = static_cast<int>(order.size());
  for (const Kind& kind : kinds)
    if (kind.Letter < 0) report.UnletteredKinds.push_back(kind.Name);

  // Hour rows in service order; past 24 hours the same hour of the next day shares the row.
  if (!picks.empty()) {
    const int firstHour = picks.front().Seconds / 3600;
    const int lastHour = picks.back().Seconds / 3600;
    report.Hours = std::min(lastHour - firstHour + 1, kRowCount);
    std::vector<std::vector<Pick>> rows(report.Hours);
    std::vector<int> leftOut(report.Hours, 0);
    for (const Pick& pick : picks) {
      const int row = (pick.Seconds / 3600 - firstHour) % kRowCount;
      if (static_cast<int>(rows[row].size()) < kDeparturesPerRow) {
        rows[row].push_back(pick);
      } else {
        ++leftOut[row];
      }
    }
    for (int r = 0; r < report.Hours; ++r) {
      const int hour = (firstHour + r) % 24;
      DepartureRow& cells = record.Departures[r];
      cells[0].Value = static_cast<std::uint8_t>(hour);
      auto& row = rows[r];
      std::stable_sort(row.begin(), row.end(), [](const Pick& a, const Pick& b) {
        return a.Seconds / 60 % 60 < b.Seconds / 60 % 60;
      });
      for (std::size_t i = 0; i < row.size(); ++i) {
        cells[i + 1].Value = static_cast<std::uint8_t>(row[i].Seconds / 60 % 60);
        const int letter = kinds[row[i].Kind].Letter;
        if (letter >= 0) cells[i + 1].TypeLetter = static_cast<std::uint8_t>('a' + letter);
      }
      report.Departures += static_cast<int>(row.size());
      if (leftOut[r] > 0) report.LeftOut.push_back({hour, leftOut[r]});
    }
  }

  if (!picks.empty()) {
    report.FirstSeconds = picks.front().Seconds;
    report.LastSeconds = picks.back().Seconds;
  }
  record.Title = Title(choice, rows_->DisplayName, report);
  report.RepeatedRows = rows_->RepeatedRows;
  return result;
}

std::string DayKindsLabel(const std::vector<DayKind>& kinds) {
  const auto has = [&](DayKind k) {
    return std::find(kinds.begin(), kinds.end(), k) != kinds.end();
  };
  const bool weekday = has(DayKind::Weekday), saturday = has(DayKind::Saturday),
             holiday = has(DayKind::Holiday);
  if (weekday && saturday && holiday) return "毎日";
  if (saturday && holiday) return "土休日";
  std::string label;
  for (DayKind k : {DayKind::Weekday, DayKind::Saturday, DayKind::Holiday})
    if (has(k)) label += (label.empty() ? "" : "・") + std::string(DayKindName(k));
  return label;
}

std::vector<std::string> SummaryLines(const ImportReport& report) {
  std::vector<std::string> lines;
  lines.push_back("発車 " + std::to_string(report.Departures) + " 本、" +
                  std::to_string(report.Hours) + " 時間帯、種別 " + std::to_string(report.Kinds) +
                  " 個");
  for (const HourLeftOut& h : report.LeftOut) {
    lines.push_back(std::to_string(h.Hour) + "時台: 1時間に入る30本を超えた遅い " +
                    std::to_string(h.Count) + " 本を入れていません。");
  }
  if (!report.UnletteredKinds.empty()) {
    std::string names;
    for (const std::string& name : report.UnletteredKinds)
      names += (names.empty() ? "" : "、") + name;
    lines.push_back("種別が26を超えたため記号なし: " + names);
  }
  for (const TextChange& c : report.Changed)
    lines.push_back("「" + c.Before + "」を「" + c.After + "」にしました。");
  if (report.RepeatedRows > 0) {
    lines.push_back("stop_times.txt の同じ便・同じ停車順の行 " +
                    std::to_string(report.RepeatedRows) + " 件を重複として読み飛ばしました。");
  }
  return lines;
}

void AppendTimetable(TimetableStore& store, const TimetableRecord& record) {
  if (store.Count >= kTimetableCount) {
    throw FileError("時刻表はすでに9件あります。取り込むには1件以上削除してください。",
                    kImportErrorCaption, false);
  }
  store.Records[store.Count++] = record;
  // The maxima that reading the saved file would give, so every program sizes its grid.
  for (const DepartureRow& row : record.Departures) {
    int last = -1;
    for (int s = 0; s < kSlotCount; ++s)
      if (row[s].Value != kEmptyValue) last = s;
    if (last < 0) continue;
    store.MaxSlot = std::max<std::uint8_t>(store.MaxSlot, static_cast<std::uint8_t>(last));
  }
  int rows = 0;
  for (const DepartureRow& row : record.Departures) rows += row[0].Value != kEmptyValue;
  store.MaxRows = std::max<std::uint8_t>(store.MaxRows, static_cast<std::uint8_t>(rows));
}

}  // namespace v42::gtfs
