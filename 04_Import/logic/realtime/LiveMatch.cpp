#include "LiveMatch.h"

#include <algorithm>
#include <ctime>
#include <unordered_map>
#include <unordered_set>

#include "realtime/transit_live.pb.h"

namespace v42::live {
namespace {

constexpr std::int64_t kDaySeconds = 24 * 60 * 60;

using Update = rt::TripUpdate;
using StopUpdate = rt::TripUpdate::StopTimeUpdate;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && a < 0); }

// a - b in seconds, when a feed's numbers make sense: a delay of more than a day, or times
// that do not fit, say nothing about today's bus (and must not overflow).
std::optional<int> Difference(std::int64_t a, std::int64_t b) {
  std::int64_t d = 0;
  if (__builtin_sub_overflow(a, b, &d) || d > kDaySeconds || d < -kDaySeconds) return std::nullopt;
  return static_cast<int>(d);
}

// "20260312" as days since 1970-01-01; nullopt when it is not such a date.
std::optional<std::int64_t> DayOfStartDate(const std::string& text) {
  if (text.size() != 8 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const int y = std::stoi(text.substr(0, 4)), m = std::stoi(text.substr(4, 2)),
            d = std::stoi(text.substr(6, 2));
  // Days from civil (proleptic Gregorian).
  const int yy = y - (m <= 2);
  const int era = (yy >= 0 ? yy : yy - 399) / 400;
  const int yoe = yy - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return std::int64_t{era} * 146097 + doe - 719468;
}

template <class T>
bool Has(const std::unordered_set<std::string_view>& set, const T& value) {
  return set.count(std::string_view(value)) != 0;
}

// The text to show: the Japanese translation, else the untranslated one, else the first.
std::string Pick(const rt::TranslatedString& text) {
  const rt::TranslatedString::Translation* untranslated = nullptr;
  for (const auto& t : text.translation()) {
    if (t.language() == "ja") return t.text();
    if (!t.has_language() || t.language().empty()) untranslated = untranslated ? untranslated : &t;
  }
  if (untranslated) return untranslated->text();
  return text.translation_size() > 0 ? text.translation(0).text() : std::string();
}

struct Scope {
  std::unordered_set<std::string_view> Stops, Routes, Trips, Agencies;
};

bool Names(const rt::EntitySelector& e, const Scope& scope) {
  bool any = false;
  if (e.has_agency_id()) {
    if (!Has(scope.Agencies, e.agency_id())) return false;
    any = true;
  }
  if (e.has_route_id()) {
    if (!Has(scope.Routes, e.route_id())) return false;
    any = true;
  }
  if (e.has_trip() && e.trip().has_trip_id()) {
    if (!Has(scope.Trips, e.trip().trip_id())) return false;
    any = true;
  }
  if (e.has_stop_id()) {
    if (!Has(scope.Stops, e.stop_id())) return false;
    any = true;
  }
  return any;  // a selector naming only what we cannot check is not ours
}

bool ActiveAt(const rt::Alert& alert, std::int64_t now) {
  if (alert.active_period_size() == 0) return true;
  for (const auto& p : alert.active_period())
    if ((!p.has_start() || std::int64_t(p.start()) <= now) &&
        (!p.has_end() || now < std::int64_t(p.end())))
      return true;
  return false;
}

// One departure being matched: where its service day starts and what the feeds say of it.
struct Candidate {
  std::int64_t DayStart = 0;  // POSIX time of its service day's local midnight
  const Update* Trip = nullptr;
  const rt::VehiclePosition* Vehicle = nullptr;
  std::int64_t VehicleFeedTime = 0;
};

class Matcher {
 public:
  Matcher(const LiveTimetable& table, std::int64_t now, int utcOffset)
      : table_(table), now_(now), offset_(utcOffset) {
    for (std::size_t i = 0; i < table.Departures.size(); ++i) {
      const TripDeparture& d = table.Departures[i];
      byTrip_[d.TripId].push_back(i);
      scope_.Trips.insert(d.TripId);
      scope_.Routes.insert(d.RouteId);
    }
    for (const auto& s : table.StopIds) scope_.Stops.insert(s);
    for (const auto& a : table.AgencyIds) scope_.Agencies.insert(a);
    candidates_.resize(table.Departures.size());
    const std::int64_t today = FloorDiv(now + offset_, kDaySeconds);
    for (std::size_t i = 0; i < candidates_.size(); ++i)
      candidates_[i].DayStart = NearestDayStart(table.Departures[i].Seconds, today);
  }

  void Read(const rt::FeedMessage& feed, std::vector<LiveAlert>& alerts) {
    const std::int64_t feedTime = std::int64_t(feed.header().timestamp());
    for (const auto& entity : feed.entity()) {
      if (entity.is_deleted()) continue;
      if (entity.has_trip_update())
        for (Candidate* c : Of(entity.trip_update().trip()))
          if (!c->Trip) c->Trip = &entity.trip_update();
      if (entity.has_vehicle())
        for (Candidate* c : Of(entity.vehicle().trip()))
          if (!c->Vehicle) {
            c->Vehicle = &entity.vehicle();
            c->VehicleFeedTime = feedTime;
          }
      if (entity.has_alert()) ReadAlert(entity.alert(), alerts);
    }
  }

  LiveDeparture Result(std::size_t i) const {
    const TripDeparture& d = table_.Departures[i];
    const Candidate& c = candidates_[i];
    LiveDeparture live;
    const int inDay = int(((d.Seconds % kDaySeconds) + kDaySeconds) % kDaySeconds);
    live.Hour = inDay / 3600;
    live.Minute = inDay / 60 % 60;
    live.Second = inDay % 60;
    live.ScheduledAt = c.DayStart + d.Seconds;
    if (c.Trip)
      FromTripUpdate(d, c, live);
    else if (c.Vehicle)
      FromVehicle(d, c, live);
    return live;
  }

 private:
  // The service day, of yesterday, today and tomorrow, whose departure lies nearest to now.
  std::int64_t NearestDayStart(int seconds, std::int64_t today) const {
    std::int64_t best = 0, bestGap = INT64_MAX;
    for (std::int64_t day = today - 1; day <= today + 1; ++day) {
      const std::int64_t start = day * kDaySeconds - offset_;
      const std::int64_t gap = std::llabs(start + seconds - now_);
      if (gap < bestGap) {
        best = start;
        bestGap = gap;
      }
    }
    return best;
  }

  // The departures a trip descriptor names; a start date moves them to that service day.
  std::vector<Candidate*> Of(const rt::TripDescriptor& trip) {
    std::vector<Candidate*> found;
    const auto it = byTrip_.find(trip.trip_id());
    if (it == byTrip_.end() || trip.trip_id().empty()) return found;
    const std::optional<std::int64_t> day =
        trip.has_start_date() ? DayOfStartDate(trip.start_date()) : std::nullopt;
    for (std::size_t i : it->second) {
      Candidate& c = candidates_[i];
      if (day) {
        const std::int64_t start = *day * kDaySeconds - offset_;
        // Another day's run of the same trip says nothing about this one.
        if (std::llabs(start + table_.Departures[i].Seconds - now_) > kDaySeconds) continue;
        c.DayStart = start;
      }
      found.push_back(&c);
    }
    return found;
  }

  void ReadAlert(const rt::Alert& alert, std::vector<LiveAlert>& alerts) const {
    if (!ActiveAt(alert, now_)) return;
    if (std::none_of(alert.informed_entity().begin(), alert.informed_entity().end(),
                     [this](const rt::EntitySelector& e) { return Names(e, scope_); }))
      return;
    LiveAlert found{Pick(alert.header_text()), Pick(alert.description_text()),
                    rt::Alert::Effect_Name(alert.effect())};
    if (std::find(alerts.begin(), alerts.end(), found) == alerts.end()) alerts.push_back(found);
  }

  // The stop sequence a stop time update or a vehicle refers to: given, else found by stop id
  // among the trip's stops up to ours.
  static std::optional<std::uint32_t> SequenceOf(const TripDeparture& d, bool hasSequence,
                                                 std::uint32_t sequence, bool hasStop,
                                                 const std::string& stopId) {
    if (hasSequence) return sequence;
    if (!hasStop) return std::nullopt;
    if (stopId == d.StopId) return d.StopSequence;
    for (auto it = d.Before.rbegin(); it != d.Before.rend(); ++it)
      if (it->StopId == stopId) return it->Sequence;
    return std::nullopt;
  }

  static const StopTime* Earlier(const TripDeparture& d, std::uint32_t sequence) {
    for (const StopTime& s : d.Before)
      if (s.Sequence == sequence) return &s;
    return nullptr;
  }

  // The delay a stop's event gives: its time against the schedule, else its own delay.
  static std::optional<int> EventDelay(const Update::StopTimeEvent& e,
                                       std::optional<std::int64_t> scheduled) {
    if (e.has_time() && scheduled) return Difference(e.time(), *scheduled);
    if (e.has_delay()) return Difference(e.delay(), 0);  // a day or less, like a time's
    return std::nullopt;
  }
  // The departure's, else the arrival's when no departure is given.
  static std::optional<int> DelayOf(const StopUpdate& u, std::optional<std::int64_t> scheduled) {
    if (u.has_departure())
      if (const std::optional<int> delay = EventDelay(u.departure(), scheduled)) return delay;
    if (u.has_arrival()) return EventDelay(u.arrival(), scheduled);
    return std::nullopt;
  }

  void FromTripUpdate(const TripDeparture& d, const Candidate& c, LiveDeparture& live) const {
    const Update& trip = *c.Trip;
    const auto relation = trip.trip().schedule_relationship();
    if (relation == rt::TripDescriptor::CANCELED || relation == rt::TripDescriptor::DELETED) {
      live.Canceled = true;
      return;
    }
    const StopUpdate* ours = nullptr;
    const StopUpdate* before = nullptr;
    std::uint32_t beforeSequence = 0;
    for (const StopUpdate& u : trip.stop_time_update()) {
      const std::optional<std::uint32_t> seq =
          SequenceOf(d, u.has_stop_sequence(), u.stop_sequence(), u.has_stop_id(), u.stop_id());
      if (seq ? *seq == d.StopSequence : Has(scope_.Stops, u.stop_id()) && u.has_stop_id()) {
        ours = &u;
      } else if (seq && *seq < d.StopSequence && u.schedule_relationship() != StopUpdate::SKIPPED &&
                 (!before || *seq > beforeSequence)) {
        before = &u;
        beforeSequence = *seq;
      }
    }
    if (ours) {
      if (ours->schedule_relationship() == StopUpdate::SKIPPED) {
        live.Canceled = true;
        return;
      }
      if (ours->schedule_relationship() == StopUpdate::NO_DATA) return;
      live.Delay = DelayOf(*ours, c.DayStart + d.Seconds);
      if (live.Delay) return;
    }
    if (before) {
      if (before->schedule_relationship() == StopUpdate::NO_DATA) return;
      const StopTime* stop = Earlier(d, beforeSequence);
      live.Delay =
          DelayOf(*before, stop ? std::optional(c.DayStart + stop->Seconds) : std::nullopt);
      return;
    }
    if (trip.has_delay()) live.Delay = Difference(trip.delay(), 0);
  }

  void FromVehicle(const TripDeparture& d, const Candidate& c, LiveDeparture& live) const {
    const rt::VehiclePosition& v = *c.Vehicle;
    const auto relation = v.trip().schedule_relationship();
    if (relation == rt::TripDescriptor::CANCELED || relation == rt::TripDescriptor::DELETED) {
      live.Canceled = true;
      return;
    }
    const std::optional<std::uint32_t> seq = SequenceOf(
        d, v.has_current_stop_sequence(), v.current_stop_sequence(), v.has_stop_id(), v.stop_id());
    if (!seq) return;
    if (*seq > d.StopSequence) {
      live.Gone = true;
      return;
    }
    const StopTime* stop = *seq == d.StopSequence ? nullptr : Earlier(d, *seq);
    if (*seq != d.StopSequence && !stop) return;
    const std::int64_t scheduled = c.DayStart + (stop ? stop->Seconds : d.Seconds);
    const std::int64_t at = v.has_timestamp() ? std::int64_t(v.timestamp()) : c.VehicleFeedTime;
    const std::optional<int> late = Difference(at, scheduled);
    if (!late) return;
    live.Delay = v.current_status() == rt::VehiclePosition::STOPPED_AT ? *late : std::max(*late, 0);
  }

  const LiveTimetable& table_;
  std::int64_t now_;
  int offset_;
  Scope scope_;
  std::unordered_map<std::string_view, std::vector<std::size_t>> byTrip_;
  std::vector<Candidate> candidates_;
};

}  // namespace

RealtimeFeed::RealtimeFeed(std::shared_ptr<const rt::FeedMessage> message)
    : message_(std::move(message)) {}

std::optional<RealtimeFeed> RealtimeFeed::Decode(std::string_view bytes, std::string& error) {
  if (bytes.empty()) {
    error = "リアルタイム情報が空でした。";
    return std::nullopt;
  }
  auto message = std::make_shared<rt::FeedMessage>();
  if (!message->ParseFromArray(bytes.data(), int(std::min<std::size_t>(bytes.size(), INT32_MAX))) ||
      bytes.size() > INT32_MAX || !message->header().has_gtfs_realtime_version()) {
    error = "GTFSリアルタイムの形式ではありません。";
    return std::nullopt;
  }
  return RealtimeFeed(std::move(message));
}

std::optional<std::int64_t> RealtimeFeed::Timestamp() const {
  if (!message_->header().has_timestamp()) return std::nullopt;
  return std::int64_t(message_->header().timestamp());
}

LiveState Match(const LiveTimetable& table, const std::vector<RealtimeFeed>& feeds,
                std::int64_t now, int utcOffset) {
  // The newest feed first, so what it says of a trip wins over an older one.
  std::vector<const RealtimeFeed*> fresh;
  for (const RealtimeFeed& feed : feeds) {
    const std::optional<std::int64_t> at = feed.Timestamp();
    const std::optional<int> age = at ? Difference(now, *at) : std::nullopt;
    if (age && *age <= kStaleSeconds && *age >= -kStaleSeconds) fresh.push_back(&feed);
  }
  LiveState state;
  if (fresh.empty()) return state;
  std::stable_sort(fresh.begin(), fresh.end(), [](const RealtimeFeed* a, const RealtimeFeed* b) {
    return *a->Timestamp() > *b->Timestamp();
  });
  const std::int64_t oldest = *fresh.back()->Timestamp();
  state.Fresh = true;
  state.Age = int(std::max<std::int64_t>(0, now - oldest));
  state.FreshUntil = oldest + kStaleSeconds;

  Matcher matcher(table, now, utcOffset);
  for (const RealtimeFeed* feed : fresh) matcher.Read(feed->Message(), state.Alerts);
  state.Departures.reserve(table.Departures.size());
  for (std::size_t i = 0; i < table.Departures.size(); ++i)
    state.Departures.push_back(matcher.Result(i));
  return state;
}

int LocalUtcOffset(std::int64_t at) {
  const std::time_t t = static_cast<std::time_t>(at);
  std::tm local{};
  localtime_r(&t, &local);
  return int(local.tm_gmtoff);
}

}  // namespace v42::live
