// Decoding and matching a generated trip-update feed of about 5 MB, timed against protobuf's
// own parse of the same bytes, side by side in one run.
//
//   live_bench [--mb N]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "LiveMatch.h"
#include "realtime/transit_live.pb.h"

namespace {

constexpr std::int64_t kNow = 1796600000;  // any moment; the feed is made just before it
constexpr int kJst = 9 * 3600;
constexpr int kStopsPerTrip = 24;

// A city's trip updates: every trip with a delay at each of its stops, times and ids given.
std::string Feed(double megabytes) {
  v42::rt::FeedMessage feed;
  feed.mutable_header()->set_gtfs_realtime_version("2.0");
  feed.mutable_header()->set_timestamp(kNow - 20);
  const std::int64_t day = (kNow + kJst) / 86400 * 86400 - kJst;
  for (int t = 0; feed.ByteSizeLong() < megabytes * 1e6; ++t) {
    auto* entity = feed.add_entity();
    entity->set_id("e" + std::to_string(t));
    auto* update = entity->mutable_trip_update();
    update->mutable_trip()->set_trip_id("trip" + std::to_string(t));
    update->mutable_trip()->set_start_date("20261207");
    update->set_timestamp(kNow - 30);
    const int start = 5 * 3600 + (t * 37) % (18 * 3600);
    for (int s = 1; s <= kStopsPerTrip; ++s) {
      auto* stop = update->add_stop_time_update();
      stop->set_stop_sequence(s);
      stop->set_stop_id("stop" + std::to_string((t * 7 + s) % 5000));
      stop->mutable_departure()->set_delay(60 + s * 5);
      stop->mutable_departure()->set_time(day + start + s * 120 + 60 + s * 5);
    }
  }
  return feed.SerializeAsString();
}

// One stop's timetable: 200 departures, every 40th trip of the feed, with their earlier stops.
v42::live::LiveTimetable Table(int trips) {
  v42::live::LiveTimetable table;
  table.StopIds = {"stop12"};
  for (int i = 0; i < 200; ++i) {
    const int t = i * 40 % trips;
    v42::live::TripDeparture d{"trip" + std::to_string(t), "r1", 0, 12, "stop12", {}};
    const int start = 5 * 3600 + (t * 37) % (18 * 3600);
    d.Seconds = start + 12 * 120;
    for (int s = 1; s < 12; ++s) d.Before.push_back({std::uint32_t(s), "x", start + s * 120});
    table.Departures.push_back(std::move(d));
  }
  return table;
}

template <class F>
double Milliseconds(int runs, F&& run) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < runs; ++i) run();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
             .count() /
         runs;
}

}  // namespace

int main(int argc, char** argv) {
  double megabytes = 5;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--mb") == 0) megabytes = std::atof(argv[++i]);
  const std::string bytes = Feed(megabytes);
  v42::rt::FeedMessage counted;
  counted.ParseFromString(bytes);
  const v42::live::LiveTimetable table = Table(counted.entity_size());
  const int runs = 10;

  std::size_t entities = 0;
  const double parse = Milliseconds(runs, [&] {
    v42::rt::FeedMessage message;
    if (!message.ParseFromString(bytes)) std::abort();
    entities = std::size_t(message.entity_size());
  });
  std::size_t matched = 0;
  const double ours = Milliseconds(runs, [&] {
    std::string error;
    const auto feed = v42::live::RealtimeFeed::Decode(bytes, error);
    if (!feed) std::abort();
    const v42::LiveState state = v42::live::Match(table, {*feed}, kNow, kJst);
    matched = 0;
    for (const auto& d : state.Departures) matched += d.Delay.has_value();
  });
  std::printf("feed: %.2f MB, %zu trip updates; timetable: %zu departures, %zu matched\n",
              bytes.size() / 1e6, entities, table.Departures.size(), matched);
  std::printf("protobuf parse: %8.2f ms   decode + match: %8.2f ms   ratio: %.2f\n", parse, ours,
              ours / parse);
  return matched == table.Departures.size() ? 0 : 1;
}
