// Reading a feed: every file but stop_times.txt at once, stop_times.txt one pass per stop.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <unordered_set>

#include "CsvReader.h"
#include "FeedArchive.h"
#include "FeedData.h"
#include "ImportText.h"

namespace v42::gtfs {

namespace fs = std::filesystem;

int DayNumber(const CivilDate& date) {
  using namespace std::chrono;
  const year_month_day ymd{year{date.Year}, month{static_cast<unsigned>(date.Month)},
                           day{static_cast<unsigned>(date.Day)}};
  return static_cast<int>(sys_days{ymd}.time_since_epoch().count());
}

CivilDate DateOfDay(int dayNumber) {
  using namespace std::chrono;
  const year_month_day ymd{sys_days{days{dayNumber}}};
  return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
          static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

bool Feed::Data::Service::Runs(int day) const {
  if (std::binary_search(Removed.begin(), Removed.end(), day)) return false;
  if (std::binary_search(Added.begin(), Added.end(), day)) return true;
  if (day < Start || day > End) return false;
  // 1970-01-01 was a Thursday: day 0 is bit 3.
  const int weekday = ((day % 7) + 7 + 3) % 7;
  return (Weekdays >> weekday) & 1;
}

// Both walk only as far as the weekdays and the removed dates make them, never over the whole
// calendar: a feed may give its services ranges of thousands of years.
int Feed::Data::Service::FirstRun() const {
  int first = INT_MAX;
  for (int day : Added) {
    if (Runs(day)) {
      first = day;
      break;
    }
  }
  if (Weekdays == 0) return first;
  for (int day = Start; day <= End && day < first; ++day)
    if (Runs(day)) return day;
  return first;
}

int Feed::Data::Service::LastRun() const {
  int last = INT_MIN;
  for (auto it = Added.rbegin(); it != Added.rend(); ++it) {
    if (Runs(*it)) {
      last = *it;
      break;
    }
  }
  if (Weekdays == 0) return last;
  for (int day = End; day >= Start && day > last; --day)
    if (Runs(day)) return day;
  return last;
}

std::pair<int, int> Feed::Data::RunRange() const {
  int first = INT_MAX, last = INT_MIN;
  for (const Service& s : Services) {
    first = std::min(first, s.FirstRun());
    last = std::max(last, s.LastRun());
  }
  return {first, last};
}

bool Feed::Data::AnyRuns(int day) const {
  return std::any_of(Services.begin(), Services.end(),
                     [day](const Service& s) { return s.Runs(day); });
}

namespace {

constexpr const char* kStopTimes = "stop_times.txt";
constexpr std::size_t kMaxStopDepartures = 1'000'000;
// What one stop may keep of stop_times.txt, over every service of the feed. The busiest real
// stops have some thousands of departures a day and a feed some tens of service patterns, so
// rows stay far below this; a feed past it is refused before it can take gigabytes.
constexpr std::size_t kMaxStopRows = 300'000;
// Kept text (headsigns of the stop's rows; translations), bounded the same way: real feeds
// hold a few megabytes of it at most.
constexpr std::size_t kMaxKeptTextBytes = 32 << 20;
// translations.txt rows: a real feed translates each stop, route and headsign into a few
// languages, some tens of thousands of rows.
constexpr std::size_t kMaxTranslations = 500'000;

bool IsDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A whole non-negative number below a billion; nullopt for anything else.
std::optional<int> ParseCount(std::string_view s) {
  if (s.empty() || s.size() > 9) return std::nullopt;
  int value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The stop ids in one flat open-addressed table: the lookup made for every row of
// stop_times.txt, where the cache misses of a node-based map cost more than the parsing.
class StopLookup {
 public:
  explicit StopLookup(const std::vector<Feed::Data::Stop>& stops) : stops_(stops) {
    std::size_t size = 16;
    while (size < stops.size() * 2) size <<= 1;
    mask_ = size - 1;
    slots_.assign(size, Slot{});
    for (std::size_t i = 0; i < stops.size(); ++i) {
      const std::uint64_t hash = Hash(stops[i].Id);
      std::size_t p = hash & mask_;
      while (slots_[p].Index >= 0) p = (p + 1) & mask_;
      slots_[p] = {hash, static_cast<int>(i)};
    }
  }
  // The stop's index, or -1.
  int Find(std::string_view id) const {
    const std::uint64_t hash = Hash(id);
    for (std::size_t p = hash & mask_; slots_[p].Index >= 0; p = (p + 1) & mask_) {
      if (slots_[p].Hash == hash && stops_[slots_[p].Index].Id == id) return slots_[p].Index;
    }
    return -1;
  }

 private:
  static std::uint64_t Hash(std::string_view s) {  // FNV-1a
    std::uint64_t hash = 14695981039346656037ULL;
    for (char c : s) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    return hash;
  }
  struct Slot {
    std::uint64_t Hash = 0;
    int Index = -1;
  };
  const std::vector<Feed::Data::Stop>& stops_;
  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
};

// An optional whole number among the allowed values: empty gives the fallback.
int ParseChoice(const CsvReader& csv, int column, std::string_view name, int fallback,
                int maxValue) {
  const std::string_view text = csv.Field(column);
  if (text.empty()) return fallback;
  const auto value = ParseCount(text);
  if (!value || *value > maxValue) {
    csv.Fail("「" + std::string(name) + "」の値「" + std::string(text) + "」が不正です。");
  }
  return *value;
}

int ParseDay(const CsvReader& csv, int column, std::string_view name) {
  const std::string_view text = csv.RequiredField(column, name);
  if (text.size() == 8 && IsDigits(text)) {
    const CivilDate date{
        (text[0] - '0') * 1000 + (text[1] - '0') * 100 + (text[2] - '0') * 10 + (text[3] - '0'),
        (text[4] - '0') * 10 + (text[5] - '0'), (text[6] - '0') * 10 + (text[7] - '0')};
    const std::chrono::year_month_day ymd{std::chrono::year{date.Year},
                                          std::chrono::month{static_cast<unsigned>(date.Month)},
                                          std::chrono::day{static_cast<unsigned>(date.Day)}};
    if (ymd.ok()) return DayNumber(date);
  }
  csv.Fail("日付「" + std::string(text) + "」が不正です。");
}

int ParseTimeField(const CsvReader& csv, int column, std::string_view name) {
  const std::string_view text = csv.RequiredField(column, name);
  const auto seconds = ParseGtfsTime(text);
  if (!seconds) csv.Fail("時刻「" + std::string(text) + "」が不正です。");
  return *seconds;
}

// "RRGGBB" as an OLE colour; a malformed colour is only a look, so it falls back to the
// default rather than refusing the whole feed.
std::optional<Color> ParseColor(std::string_view text) {
  if (text.size() != 6) return std::nullopt;
  unsigned rgb = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + 6, rgb, 16);
  if (ec != std::errc() || end != text.data() + 6) return std::nullopt;
  const Color ole = static_cast<Color>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | (rgb >> 16));
  return ole == 0 ? kBlack : ole;  // 0 would mean "no colour of its own"
}

bool IsJapanese(std::string_view language) {
  return language.size() == 2 && (language[0] | 0x20) == 'j' && (language[1] | 0x20) == 'a';
}

// Both forms of translations.txt: GTFS's table/field/record or value, and GTFS-JP's trans_id,
// which names the original text in any table.
class Translations {
 public:
  void Read(CsvReader& csv) {
    if (csv.Column("trans_id") >= 0) {
      const int id = csv.RequiredColumn("trans_id"), lang = csv.RequiredColumn("lang"),
                text = csv.RequiredColumn("translation");
      while (csv.Next()) {
        Count(csv, csv.Field(id).size() + csv.Field(lang).size() + csv.Field(text).size());
        byValue_[Key({}, {}, csv.Field(id))].push_back(
            {std::string(csv.Field(lang)), std::string(csv.Field(text))});
      }
      return;
    }
    const int table = csv.RequiredColumn("table_name"), field = csv.RequiredColumn("field_name"),
              lang = csv.RequiredColumn("language"), text = csv.RequiredColumn("translation"),
              record = csv.Column("record_id"), value = csv.Column("field_value");
    while (csv.Next()) {
      Count(csv, csv.Field(table).size() + csv.Field(field).size() + csv.Field(record).size() +
                     csv.Field(value).size() + csv.Field(lang).size() + csv.Field(text).size());
      Entry entry{std::string(csv.Field(lang)), std::string(csv.Field(text))};
      if (!csv.Field(record).empty()) {
        byRecord_[Key(csv.Field(table), csv.Field(field), csv.Field(record))].push_back(entry);
      } else if (!csv.Field(value).empty()) {
        byValue_[Key(csv.Field(table), csv.Field(field), csv.Field(value))].push_back(entry);
      }
    }
  }

  struct Entry {
    std::string Language, Text;
  };
  // Every translation of the field, by record first, then by its text.
  std::vector<const Entry*> Of(std::string_view table, std::string_view field,
                               std::string_view recordId, std::string_view value) const {
    std::vector<const Entry*> found;
    if (byRecord_.empty() && byValue_.empty()) return found;  // most feeds: no keys to build
    Collect(byRecord_, Key(table, field, recordId), found);
    Collect(byValue_, Key(table, field, value), found);
    Collect(byValue_, Key({}, {}, value), found);
    return found;
  }
  std::string Japanese(std::string_view table, std::string_view field, std::string_view recordId,
                       std::string_view value) const {
    for (const Entry* e : Of(table, field, recordId, value))
      if (IsJapanese(e->Language)) return e->Text;
    return std::string(value);
  }

 private:
  static std::string Key(std::string_view table, std::string_view field, std::string_view id) {
    std::string key(table);
    key += '\x1F';
    key += field;
    key += '\x1F';
    key += id;
    return key;
  }
  void Count(CsvReader& csv, std::size_t bytes) {
    bytes_ += bytes;
    if (++rows_ > kMaxTranslations || bytes_ > kMaxKeptTextBytes) {
      csv.Fail("翻訳が多すぎます（" + std::to_string(kMaxTranslations) + " 行または " +
               std::to_string(kMaxKeptTextBytes >> 20) + " MB まで）。");
    }
  }
  static void Collect(const StringMap<std::vector<Entry>>& map, const std::string& key,
                      std::vector<const Entry*>& found) {
    const auto it = map.find(key);
    if (it == map.end()) return;
    for (const Entry& e : it->second) found.push_back(&e);
  }
  StringMap<std::vector<Entry>> byRecord_, byValue_;
  std::size_t rows_ = 0, bytes_ = 0;
};

class FeedReader {
 public:
  FeedReader(FeedArchive& archive, const Progress& progress, std::uint64_t total)
      : archive_(archive), meter_(progress, total) {}

  template <class RowFn>
  void ReadFile(std::string_view name, const RowFn& perFile) {
    auto source = archive_.OpenFile(name);
    CsvReader csv(*source, std::string(name), meter_);
    perFile(csv);
  }

 private:
  FeedArchive& archive_;
  ProgressMeter meter_;
};

constexpr const char* kSmallFiles[] = {"agency.txt", "translations.txt", "stops.txt",
                                       "routes.txt", "calendar.txt",     "calendar_dates.txt",
                                       "trips.txt",  "frequencies.txt",  "feed_info.txt"};

void ReadStops(CsvReader& csv, Feed::Data& d, const Translations& tr) {
  const int id = csv.RequiredColumn("stop_id"), name = csv.Column("stop_name"),
            parent = csv.Column("parent_station"), type = csv.Column("location_type"),
            platform = csv.Column("platform_code"), code = csv.Column("stop_code");
  std::vector<std::pair<std::string, std::uint64_t>> parents;  // parent id and line, per stop
  while (csv.Next()) {
    Feed::Data::Stop stop;
    stop.Id = csv.RequiredField(id, "stop_id");
    stop.Name = csv.Field(name);
    stop.LocationType = ParseChoice(csv, type, "location_type", 0, 4);
    stop.Platform = csv.Field(platform);
    stop.Code = csv.Field(code);
    if (!d.StopIndex.emplace(stop.Id, static_cast<int>(d.Stops.size())).second) {
      csv.Fail("stop_id「" + stop.Id + "」が重複しています。");
    }
    std::string search = FoldForSearch(stop.Name);
    const auto translations = tr.Of("stops", "stop_name", stop.Id, stop.Name);
    for (const auto* e : translations) search += '\n' + FoldForSearch(e->Text);
    stop.SearchText = std::move(search);
    stop.DisplayName = tr.Japanese("stops", "stop_name", stop.Id, stop.Name);
    parents.emplace_back(csv.Field(parent), csv.Line());
    d.Stops.push_back(std::move(stop));
  }
  for (std::size_t i = 0; i < d.Stops.size(); ++i) {
    if (parents[i].first.empty()) continue;
    const auto it = d.StopIndex.find(parents[i].first);
    if (it == d.StopIndex.end()) {
      ThrowFeedError("stops.txt", parents[i].second,
                     "parent_station「" + parents[i].first + "」がありません。");
    }
    d.Stops[i].Parent = it->second;
    d.Stops[it->second].Children.push_back(static_cast<int>(i));
  }
}

void ReadRoutes(CsvReader& csv, Feed::Data& d, const Translations& tr,
                const StringMap<int>& agencies) {
  const int id = csv.RequiredColumn("route_id"), agency = csv.Column("agency_id"),
            shortName = csv.Column("route_short_name"), longName = csv.Column("route_long_name"),
            color = csv.Column("route_color"), textColor = csv.Column("route_text_color");
  while (csv.Next()) {
    Feed::Data::Route route;
    route.Id = csv.RequiredField(id, "route_id");
    const std::string_view a = csv.Field(agency);
    if (!a.empty() && !agencies.empty() && !agencies.contains(a)) {
      csv.Fail("agency_id「" + std::string(a) + "」がありません。");
    }
    route.Name = !csv.Field(shortName).empty()
                     ? tr.Japanese("routes", "route_short_name", route.Id, csv.Field(shortName))
                     : tr.Japanese("routes", "route_long_name", route.Id, csv.Field(longName));
    route.Back = ParseColor(csv.Field(color));
    route.Fore = ParseColor(csv.Field(textColor));
    if (!d.RouteIndex.emplace(route.Id, static_cast<int>(d.Routes.size())).second) {
      csv.Fail("route_id「" + route.Id + "」が重複しています。");
    }
    d.Routes.push_back(std::move(route));
  }
}

int ServiceOf(Feed::Data& d, std::string_view id) {
  const auto [it, added] =
      d.ServiceIndex.emplace(std::string(id), static_cast<int>(d.Services.size()));
  if (added) d.Services.emplace_back();
  return it->second;
}

void ReadCalendar(CsvReader& csv, Feed::Data& d) {
  static constexpr const char* kDays[] = {"monday", "tuesday",  "wednesday", "thursday",
                                          "friday", "saturday", "sunday"};
  const int id = csv.RequiredColumn("service_id"), start = csv.RequiredColumn("start_date"),
            end = csv.RequiredColumn("end_date");
  int day[7];
  for (int i = 0; i < 7; ++i) day[i] = csv.RequiredColumn(kDays[i]);
  while (csv.Next()) {
    Feed::Data::Service& s = d.Services[ServiceOf(d, csv.RequiredField(id, "service_id"))];
    s.Weekdays = 0;
    for (int i = 0; i < 7; ++i)
      if (ParseChoice(csv, day[i], kDays[i], 0, 1) == 1) s.Weekdays |= 1 << i;
    s.Start = ParseDay(csv, start, "start_date");
    s.End = ParseDay(csv, end, "end_date");
  }
}

void ReadCalendarDates(CsvReader& csv, Feed::Data& d) {
  const int id = csv.RequiredColumn("service_id"), date = csv.RequiredColumn("date"),
            type = csv.RequiredColumn("exception_type");
  while (csv.Next()) {
    Feed::Data::Service& s = d.Services[ServiceOf(d, csv.RequiredField(id, "service_id"))];
    const int day = ParseDay(csv, date, "date");
    const int kind = ParseChoice(csv, type, "exception_type", 0, 2);
    if (kind == 0) csv.Fail("「exception_type」が空か不正です。");
    (kind == 1 ? s.Added : s.Removed).push_back(day);
  }
  for (auto& s : d.Services) {
    std::sort(s.Added.begin(), s.Added.end());
    std::sort(s.Removed.begin(), s.Removed.end());
  }
}

// Only the dates and version of the first row: a feed describes itself once.
void ReadFeedInfo(CsvReader& csv, Feed::Data& d) {
  const int start = csv.Column("feed_start_date"), end = csv.Column("feed_end_date"),
            version = csv.Column("feed_version");
  if (!csv.Next()) return;
  if (!csv.Field(start).empty()) d.Info.Start = DateOfDay(ParseDay(csv, start, "feed_start_date"));
  if (!csv.Field(end).empty()) d.Info.End = DateOfDay(ParseDay(csv, end, "feed_end_date"));
  d.Info.Version = csv.Field(version);
}

void ReadTrips(CsvReader& csv, Feed::Data& d, const Translations& tr) {
  const int route = csv.RequiredColumn("route_id"), service = csv.RequiredColumn("service_id"),
            id = csv.RequiredColumn("trip_id"), headsign = csv.Column("trip_headsign"),
            direction = csv.Column("direction_id");
  while (csv.Next()) {
    Feed::Data::Trip trip;
    const std::string_view routeId = csv.RequiredField(route, "route_id");
    const auto r = d.RouteIndex.find(routeId);
    if (r == d.RouteIndex.end()) csv.Fail("route_id「" + std::string(routeId) + "」がありません。");
    trip.Route = r->second;
    const std::string_view serviceId = csv.RequiredField(service, "service_id");
    const auto s = d.ServiceIndex.find(serviceId);
    if (s == d.ServiceIndex.end()) {
      csv.Fail("service_id「" + std::string(serviceId) +
               "」が calendar.txt にも calendar_dates.txt にもありません。");
    }
    trip.Service = s->second;
    trip.Headsign = csv.Field(headsign);
    trip.Direction = ParseChoice(csv, direction, "direction_id", -1, 1);
    const std::string_view tripId = csv.RequiredField(id, "trip_id");
    if (!trip.Headsign.empty()) {
      const std::string ja = tr.Japanese("trips", "trip_headsign", tripId, trip.Headsign);
      if (ja != trip.Headsign) d.HeadsignJa.emplace(trip.Headsign, ja);
    }
    if (!d.TripIndex.emplace(tripId, static_cast<int>(d.Trips.size())).second) {
      csv.Fail("trip_id「" + std::string(tripId) + "」が重複しています。");
    }
    d.Trips.push_back(std::move(trip));
  }
}

void ReadFrequencies(CsvReader& csv, Feed::Data& d) {
  const int id = csv.RequiredColumn("trip_id"), start = csv.RequiredColumn("start_time"),
            end = csv.RequiredColumn("end_time"), headway = csv.RequiredColumn("headway_secs");
  while (csv.Next()) {
    const std::string_view tripId = csv.RequiredField(id, "trip_id");
    const auto t = d.TripIndex.find(tripId);
    if (t == d.TripIndex.end()) csv.Fail("trip_id「" + std::string(tripId) + "」がありません。");
    Feed::Data::Frequency f;
    f.Start = ParseTimeField(csv, start, "start_time");
    f.End = ParseTimeField(csv, end, "end_time");
    const auto secs = ParseCount(csv.Field(headway));
    if (!secs || *secs == 0)
      csv.Fail("「headway_secs」の値「" + std::string(csv.Field(headway)) + "」が不正です。");
    f.Headway = *secs;
    d.Trips[t->second].Frequencies.push_back(f);
  }
}

}  // namespace

Feed::Feed(std::shared_ptr<const Data> data) : data_(std::move(data)) {}
Feed::Feed(const Feed&) = default;
Feed& Feed::operator=(const Feed&) = default;
Feed::Feed(Feed&&) noexcept = default;
Feed& Feed::operator=(Feed&&) noexcept = default;
Feed::~Feed() = default;

Feed Feed::Open(const fs::path& feed, const Progress& progress) {
  auto archive = FeedArchive::Open(feed);
  for (const char* required : {"stops.txt", "routes.txt", "trips.txt", kStopTimes}) {
    if (!archive->Has(required))
      ThrowFeedError(required, 0, "フィードにこのファイルがありません。");
  }
  if (!archive->Has("calendar.txt") && !archive->Has("calendar_dates.txt")) {
    ThrowFeedError("calendar.txt", 0, "calendar.txt と calendar_dates.txt のどちらもありません。");
  }
  std::uint64_t total = 0;
  for (const char* name : kSmallFiles) total += archive->SizeOf(name);
  FeedReader reader(*archive, progress, total);

  auto d = std::make_shared<Data>();
  d->Path = feed;
  StringMap<int> agencies;
  Translations tr;
  if (archive->Has("agency.txt")) {
    reader.ReadFile("agency.txt", [&](CsvReader& csv) {
      const int id = csv.Column("agency_id");
      while (csv.Next())
        if (!csv.Field(id).empty()) agencies.emplace(csv.Field(id), 0);
    });
  }
  if (archive->Has("translations.txt"))
    reader.ReadFile("translations.txt", [&](CsvReader& csv) { tr.Read(csv); });
  reader.ReadFile("stops.txt", [&](CsvReader& csv) { ReadStops(csv, *d, tr); });
  reader.ReadFile("routes.txt", [&](CsvReader& csv) { ReadRoutes(csv, *d, tr, agencies); });
  if (archive->Has("calendar.txt"))
    reader.ReadFile("calendar.txt", [&](CsvReader& csv) { ReadCalendar(csv, *d); });
  if (archive->Has("calendar_dates.txt")) {
    reader.ReadFile("calendar_dates.txt", [&](CsvReader& csv) { ReadCalendarDates(csv, *d); });
  }
  reader.ReadFile("trips.txt", [&](CsvReader& csv) { ReadTrips(csv, *d, tr); });
  if (archive->Has("frequencies.txt")) {
    reader.ReadFile("frequencies.txt", [&](CsvReader& csv) { ReadFrequencies(csv, *d); });
  }
  if (archive->Has("feed_info.txt"))
    reader.ReadFile("feed_info.txt", [&](CsvReader& csv) { ReadFeedInfo(csv, *d); });
  return Feed(std::move(d));
}

std::vector<StopMatch> Feed::FindStops(std::string_view text) const {
  std::vector<StopMatch> found;
  const std::string wanted = FoldForSearch(text);
  if (wanted.empty()) return found;
  for (const Data::Stop& stop : data_->Stops) {
    if (stop.LocationType > 1) continue;  // entrances and nodes are not boarded
    if (stop.SearchText.find(wanted) != std::string::npos) found.push_back({stop.Id, stop.Name});
  }
  return found;
}

std::vector<StopEntry> Feed::ListStops(std::string_view text) const {
  const Data& d = *data_;
  std::vector<StopEntry> list;
  const std::string wanted = FoldForSearch(text);
  if (wanted.empty()) return list;
  const auto boards = [&](int i) { return d.Stops[i].LocationType <= 1; };
  std::vector<char> listed(d.Stops.size(), 0);
  const auto add = [&](int i, const std::string& parentId) {
    listed[i] = 1;
    const Data::Stop& stop = d.Stops[i];
    StopEntry entry{
        {stop.Id, stop.Name}, stop.Platform, stop.Code, stop.LocationType == 1, parentId, {}, 0};
    if (stopRoutes_) {
      const std::vector<int>& routes = (*stopRoutes_)[i];
      constexpr std::size_t kShown = 3;
      for (std::size_t r = 0; r < routes.size() && r < kShown; ++r)
        entry.Routes.push_back(d.Routes[routes[r]].Name);
      entry.MoreRoutes = static_cast<int>(routes.size() - entry.Routes.size());
    }
    list.push_back(std::move(entry));
  };
  for (std::size_t i = 0; i < d.Stops.size(); ++i) {
    if (!boards(static_cast<int>(i)) || d.Stops[i].SearchText.find(wanted) == std::string::npos)
      continue;
    // A platform found by its own name brings its station, under which it is listed.
    const int parent = d.Stops[i].Parent;
    const int head =
        parent >= 0 && d.Stops[parent].LocationType == 1 ? parent : static_cast<int>(i);
    if (listed[head]) continue;
    add(head, {});
    if (d.Stops[head].LocationType != 1) continue;
    for (int child : d.Stops[head].Children)
      if (boards(child) && !listed[child]) add(child, d.Stops[head].Id);
  }
  return list;
}

void Feed::ReadStopRoutes(const Progress& progress) {
  const Data& d = *data_;
  auto archive = FeedArchive::Open(d.Path);
  auto source = archive->OpenFile(kStopTimes);
  const StopLookup stops(d.Stops);
  ProgressMeter meter(progress, source->Size());
  CsvReader csv(*source, kStopTimes, meter);
  const int tripCol = csv.RequiredColumn("trip_id"), stopCol = csv.RequiredColumn("stop_id");
  auto routes = std::make_shared<std::vector<std::vector<int>>>(d.Stops.size());
  std::string lastTripId;
  int route = -1;
  while (csv.Next()) {
    const std::string_view tripId = csv.Field(tripCol);
    if (route < 0 || tripId != lastTripId) {  // rows come grouped by trip in practice
      const auto t = d.TripIndex.find(tripId);
      if (t == d.TripIndex.end()) csv.Fail("trip_id「" + std::string(tripId) + "」がありません。");
      route = d.Trips[t->second].Route;
      lastTripId = tripId;
    }
    const std::string_view rowStop = csv.RequiredField(stopCol, "stop_id");
    const int stop = stops.Find(rowStop);
    if (stop < 0) csv.Fail("stop_id「" + std::string(rowStop) + "」がありません。");
    std::vector<int>& served = (*routes)[stop];
    if (std::find(served.begin(), served.end(), route) == served.end()) served.push_back(route);
  }
  // A station is served by what serves its platforms.
  for (std::size_t i = 0; i < d.Stops.size(); ++i) {
    const int parent = d.Stops[i].Parent;
    if (parent < 0) continue;
    std::vector<int>& served = (*routes)[parent];
    for (int r : (*routes)[i])
      if (std::find(served.begin(), served.end(), r) == served.end()) served.push_back(r);
  }
  for (std::vector<int>& served : *routes) std::sort(served.begin(), served.end());
  stopRoutes_ = std::move(routes);
}

std::string StopCodeText(const StopEntry& entry) {
  if (!entry.Platform.empty()) return "のりば " + entry.Platform;
  if (!entry.StopCode.empty()) return "番号 " + entry.StopCode;
  return {};
}

std::string StopRoutesText(const StopEntry& entry) {
  std::string routes;
  for (const std::string& name : entry.Routes) routes += (routes.empty() ? "" : ", ") + name;
  if (entry.MoreRoutes > 0) routes += " 他" + std::to_string(entry.MoreRoutes);
  return routes;
}

std::string StopDetail(const StopEntry& entry) {
  std::vector<std::string> parts;
  if (const std::string code = StopCodeText(entry); !code.empty()) parts.push_back(code);
  if (entry.Station) parts.push_back("駅");
  if (std::string routes = StopRoutesText(entry); !routes.empty()) parts.push_back(routes);
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : " ・ ") + part;
  return text;
}

std::optional<StopMatch> Feed::StopById(std::string_view stopId) const {
  const auto it = data_->StopIndex.find(stopId);
  if (it == data_->StopIndex.end()) return std::nullopt;
  const Data::Stop& stop = data_->Stops[it->second];
  return StopMatch{stop.Id, stop.Name};
}

const FeedInfo& Feed::Info() const { return data_->Info; }

std::optional<CivilDate> Feed::FirstDate() const {
  const int first = data_->RunRange().first;
  if (first == INT_MAX) return std::nullopt;
  return DateOfDay(first);
}

std::optional<CivilDate> Feed::LastDate() const {
  const int last = data_->RunRange().second;
  if (last == INT_MIN) return std::nullopt;
  return DateOfDay(last);
}

std::optional<CivilDate> Feed::DateOfKind(DayKind kind, CivilDate from, bool yearEndHoliday) const {
  const auto [first, last] = data_->RunRange();
  for (int day = std::max(first, DayNumber(from)); day <= last; ++day) {
    const CivilDate date = DateOfDay(day);
    if (DayKindOf(date.Year, date.Month, date.Day, yearEndHoliday) == kind && data_->AnyRuns(day))
      return date;
  }
  return std::nullopt;
}

StopDepartures Feed::ReadStop(std::string_view stopId, const Progress& progress) const {
  const Data& d = *data_;
  const auto chosen = d.StopIndex.find(stopId);
  if (chosen == d.StopIndex.end()) {
    ThrowFeedError("stops.txt", 0, "停留所「" + std::string(stopId) + "」がありません。");
  }
  std::vector<char> wanted(d.Stops.size(), 0);
  for (std::size_t i = 0; i < d.Stops.size(); ++i)
    wanted[i] = static_cast<int>(i) == chosen->second || d.Stops[i].Parent == chosen->second;

  auto archive = FeedArchive::Open(d.Path);
  auto source = archive->OpenFile(kStopTimes);
  const StopLookup stops(d.Stops);
  ProgressMeter meter(progress, source->Size());
  CsvReader csv(*source, kStopTimes, meter);
  const int tripCol = csv.RequiredColumn("trip_id"), arrivalCol = csv.Column("arrival_time"),
            departureCol = csv.RequiredColumn("departure_time"),
            stopCol = csv.RequiredColumn("stop_id"),
            sequenceCol = csv.RequiredColumn("stop_sequence"),
            pickupCol = csv.Column("pickup_type"), headsignCol = csv.Column("stop_headsign");

  // Whether a row is a trip's last stop, and a frequency trip's offsets, are only known
  // after the whole file: keep per trip its last sequence and its first time.
  std::vector<int> lastSequence(d.Trips.size(), -1), firstSequence(d.Trips.size(), INT_MAX),
      firstTime(d.Trips.size(), -1);
  struct Call {
    int Trip, Sequence, Time;
    std::string Headsign;
    std::uint64_t Line;
  };
  std::vector<Call> calls;
  std::unordered_set<std::uint64_t> seen;
  int repeated = 0;
  std::size_t keptBytes = 0;
  std::string lastTripId;
  int trip = -1;
  const auto timeOf = [&](int column) {
    const std::string_view text = csv.Field(column);
    if (text.empty()) return -1;
    const auto seconds = ParseGtfsTime(text);
    if (!seconds) csv.Fail("時刻「" + std::string(text) + "」が不正です。");
    return *seconds;
  };
  while (csv.Next()) {
    const std::string_view tripId = csv.Field(tripCol);
    if (trip < 0 || tripId != lastTripId) {  // rows come grouped by trip in practice
      const auto t = d.TripIndex.find(tripId);
      if (t == d.TripIndex.end()) csv.Fail("trip_id「" + std::string(tripId) + "」がありません。");
      trip = t->second;
      lastTripId = tripId;
    }
    const std::string_view rowStop = csv.RequiredField(stopCol, "stop_id");
    const int rowStopIndex = stops.Find(rowStop);
    if (rowStopIndex < 0) csv.Fail("stop_id「" + std::string(rowStop) + "」がありません。");
    const auto sequence = ParseCount(csv.Field(sequenceCol));
    if (!sequence)
      csv.Fail("「stop_sequence」の値「" + std::string(csv.Field(sequenceCol)) + "」が不正です。");
    const int arrival = timeOf(arrivalCol), departure = timeOf(departureCol);
    const int pickup = ParseChoice(csv, pickupCol, "pickup_type", 0, 3);
    lastSequence[trip] = std::max(lastSequence[trip], *sequence);
    if (*sequence < firstSequence[trip]) {
      firstSequence[trip] = *sequence;
      firstTime[trip] = departure >= 0 ? departure : arrival;
    }
    if (wanted[rowStopIndex] && departure >= 0 && pickup != 1) {
      // The same call twice is a damaged feed's copy: one departure, and the user is told.
      const auto key =
          (static_cast<std::uint64_t>(trip) << 32) | static_cast<std::uint32_t>(*sequence);
      if (!seen.insert(key).second) {
        ++repeated;
        continue;
      }
      keptBytes += csv.Field(headsignCol).size();
      if (calls.size() >= kMaxStopRows || keptBytes > kMaxKeptTextBytes) {
        csv.Fail("停留所「" + std::string(stopId) + "」の行が多すぎます（" +
                 std::to_string(kMaxStopRows) + " 行まで）。");
      }
      calls.push_back(
          {trip, *sequence, departure, std::string(csv.Field(headsignCol)), csv.Line()});
    }
  }

  auto rows = std::make_shared<StopDepartures::Rows>();
  rows->Source = data_;
  const Data::Stop& stop = d.Stops[chosen->second];
  rows->Stop = {stop.Id, stop.Name};
  rows->DisplayName = stop.DisplayName;
  rows->RepeatedRows = repeated;
  for (Call& call : calls) {
    if (call.Sequence == lastSequence[call.Trip]) continue;  // nobody boards at the end
    const auto& frequencies = d.Trips[call.Trip].Frequencies;
    if (frequencies.empty()) {
      rows->Departures.push_back({call.Trip, call.Time, std::move(call.Headsign)});
      continue;
    }
    const int offset = firstTime[call.Trip] >= 0 ? call.Time - firstTime[call.Trip] : 0;
    // Shifted back before the trip's start, a departure can fall before the service day,
    // where no grid has an hour or a minute for it.
    if (offset < 0) {
      ThrowFeedError(
          kStopTimes, call.Line,
          "時刻が便の最初の停留所より前で、frequencies.txt の便の発車時刻が決まりません。");
    }
    for (const Data::Frequency& f : frequencies) {
      // A headway of seconds over many days is no timetable; stop before memory runs out.
      const auto count = static_cast<std::size_t>(std::max(0, (f.End - f.Start) / f.Headway));
      if (rows->Departures.size() + count > kMaxStopDepartures) {
        ThrowFeedError("frequencies.txt", 0, "停留所「" + stop.Id + "」の発車が多すぎます。");
      }
      for (int start = f.Start; start < f.End; start += f.Headway)
        rows->Departures.push_back({call.Trip, start + offset, call.Headsign});
    }
  }
  return StopDepartures(std::move(rows));
}

}  // namespace v42::gtfs
