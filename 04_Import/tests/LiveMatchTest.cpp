// Live data matched to a timetable's departures: feeds built here with our own .proto.
#include <gtest/gtest.h>

#include <functional>

#include "LiveMatch.h"
#include "realtime/transit_live.pb.h"

namespace v42::live {
namespace {

constexpr int kJst = 9 * 3600;
// 2026-03-12 00:00 in Japan; the service day of every departure below.
constexpr std::int64_t kDay = 20524LL * 86400 - kJst;
constexpr std::int64_t At(int h, int m, int s = 0) { return kDay + h * 3600 + m * 60 + s; }

// Two trips through our stop "s5" (sequence 5) and one that leaves after midnight.
LiveTimetable Table() {
  LiveTimetable t;
  t.StopIds = {"st", "s5", "s5b"};  // the station and its two platforms
  t.AgencyIds = {"kanto"};
  const std::vector<StopTime> before = {{1, "s1", 8 * 3600}, {3, "s3", 8 * 3600 + 8 * 60}};
  t.Departures.push_back({"t1", "r1", 8 * 3600 + 15 * 60, 5, "s5", before});
  t.Departures.push_back({"t2", "r1", 8 * 3600 + 30 * 60 + 30, 5, "s5", {}});
  t.Departures.push_back({"n1", "r2", 24 * 3600 + 40 * 60, 2, "s5b", {{1, "s1", 24 * 3600}}});
  return t;
}

struct Builder {
  rt::FeedMessage feed;
  explicit Builder(std::int64_t stamp) {
    feed.mutable_header()->set_gtfs_realtime_version("2.0");
    feed.mutable_header()->set_timestamp(std::uint64_t(stamp));
  }
  rt::TripUpdate& Trip(const std::string& id) {
    auto* u = feed.add_entity()->mutable_trip_update();
    u->mutable_trip()->set_trip_id(id);
    return *u;
  }
  rt::VehiclePosition& Vehicle(const std::string& id) {
    auto* v = feed.add_entity()->mutable_vehicle();
    v->mutable_trip()->set_trip_id(id);
    return *v;
  }
  rt::Alert& Alert(const std::string& header) {
    auto* a = feed.add_entity()->mutable_alert();
    auto* t = a->mutable_header_text()->add_translation();
    t->set_text(header);
    a->set_effect(rt::Alert::SIGNIFICANT_DELAYS);
    return *a;
  }
  RealtimeFeed Decoded() const {
    std::string error;
    auto decoded = RealtimeFeed::Decode(feed.SerializeAsString(), error);
    EXPECT_TRUE(decoded) << error;
    return *decoded;
  }
};

rt::TripUpdate::StopTimeUpdate& Stop(rt::TripUpdate& u, int sequence) {
  auto* s = u.add_stop_time_update();
  if (sequence > 0) s->set_stop_sequence(std::uint32_t(sequence));
  return *s;
}

struct Expect {
  std::optional<int> Delay;
  bool Canceled = false, Gone = false;
};

TEST(LiveMatch, TripUpdatesAndVehiclesGiveEachDepartureItsState) {
  using SR = rt::TripUpdate::StopTimeUpdate;
  using VS = rt::VehiclePosition;
  struct Case {
    const char* Name;
    std::function<void(Builder&)> Feed;
    Expect T1;
  };
  const std::vector<Case> cases = {
      {"delay at our stop",
       [](Builder& b) { Stop(b.Trip("t1"), 5).mutable_departure()->set_delay(420); },
       {420}},
      {"arrival when no departure",
       [](Builder& b) { Stop(b.Trip("t1"), 5).mutable_arrival()->set_delay(60); },
       {60}},
      {"delay carried from the nearest earlier stop",
       [](Builder& b) {
         auto& u = b.Trip("t1");
         Stop(u, 1).mutable_departure()->set_delay(600);
         Stop(u, 3).mutable_arrival()->set_delay(180);
       },
       {180}},
      {"absolute time at an earlier stop named by id",
       [](Builder& b) {
         auto& s = Stop(b.Trip("t1"), 0);
         s.set_stop_id("s3");
         s.mutable_departure()->set_time(At(8, 8) + 150);
       },
       {150}},
      {"absolute time at our stop, early",
       [](Builder& b) { Stop(b.Trip("t1"), 5).mutable_departure()->set_time(At(8, 14)); },
       {-60}},
      {"a skipped earlier stop passes nothing on",
       [](Builder& b) {
         auto& u = b.Trip("t1");
         Stop(u, 1).mutable_departure()->set_delay(240);
         Stop(u, 3).set_schedule_relationship(SR::SKIPPED);
       },
       {240}},
      {"no data at the nearest earlier stop",
       [](Builder& b) {
         auto& u = b.Trip("t1");
         Stop(u, 1).mutable_departure()->set_delay(240);
         Stop(u, 3).set_schedule_relationship(SR::NO_DATA);
       },
       {}},
      {"a delay of more than a day says nothing",
       [](Builder& b) { Stop(b.Trip("t1"), 5).mutable_departure()->set_delay(1796600100); },
       {}},
      {"nor does a whole trip's", [](Builder& b) { b.Trip("t1").set_delay(-90000); }, {}},
      {"only later stops say nothing of ours",
       [](Builder& b) { Stop(b.Trip("t1"), 7).mutable_departure()->set_delay(300); },
       {}},
      {"skipped at our stop",
       [](Builder& b) { Stop(b.Trip("t1"), 5).set_schedule_relationship(SR::SKIPPED); },
       {std::nullopt, true}},
      {"skipped at our platform, by stop id",
       [](Builder& b) {
         auto& s = Stop(b.Trip("t1"), 0);
         s.set_stop_id("s5");
         s.set_schedule_relationship(SR::SKIPPED);
       },
       {std::nullopt, true}},
      {"cancelled trip",
       [](Builder& b) {
         b.Trip("t1").mutable_trip()->set_schedule_relationship(rt::TripDescriptor::CANCELED);
       },
       {std::nullopt, true}},
      {"another day's run of the trip",
       [](Builder& b) {
         auto& u = b.Trip("t1");
         u.mutable_trip()->set_start_date("20260310");
         Stop(u, 5).mutable_departure()->set_delay(420);
       },
       {}},
      {"vehicle stopped before our stop",
       [](Builder& b) {
         auto& v = b.Vehicle("t1");
         v.set_current_stop_sequence(3);
         v.set_current_status(VS::STOPPED_AT);
         v.set_timestamp(At(8, 10));
       },
       {120}},
      {"vehicle stopped early before our stop",
       [](Builder& b) {
         auto& v = b.Vehicle("t1");
         v.set_stop_id("s3");
         v.set_current_status(VS::STOPPED_AT);
         v.set_timestamp(At(8, 7));
       },
       {-60}},
      {"vehicle in transit, late",
       [](Builder& b) {
         auto& v = b.Vehicle("t1");
         v.set_current_stop_sequence(3);
         v.set_timestamp(At(8, 11));
       },
       {180}},
      {"vehicle in transit, ahead of time",
       [](Builder& b) {
         auto& v = b.Vehicle("t1");
         v.set_current_stop_sequence(3);
         v.set_current_status(VS::IN_TRANSIT_TO);
         v.set_timestamp(At(8, 5));
       },
       {0}},
      {"vehicle past our stop",
       [](Builder& b) { b.Vehicle("t1").set_current_stop_sequence(6); },
       {std::nullopt, false, true}},
      {"a trip update wins over the vehicle",
       [](Builder& b) {
         b.Vehicle("t1").set_current_stop_sequence(6);
         Stop(b.Trip("t1"), 5).mutable_departure()->set_delay(30);
       },
       {30}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Builder b(At(8, 9));
    c.Feed(b);
    const LiveState s = Match(Table(), {b.Decoded()}, At(8, 9), kJst);
    ASSERT_TRUE(s.Fresh);
    ASSERT_EQ(s.Departures.size(), 3u);
    const LiveDeparture& d = s.Departures[0];
    EXPECT_EQ(d.Delay, c.T1.Delay);
    EXPECT_EQ(d.Canceled, c.T1.Canceled);
    EXPECT_EQ(d.Gone, c.T1.Gone);
    EXPECT_FALSE(s.Departures[1].Live());  // nothing said of t2
    EXPECT_EQ(d.ScheduledAt, At(8, 15));
  }
}

TEST(LiveMatch, TimesPastMidnightBelongToTheirServiceDay) {
  // 00:30 on the 13th: the 24:40 departure is the 12th's, shown as 0:40.
  Builder b(At(24, 30));
  auto& u = b.Trip("n1");
  u.mutable_trip()->set_start_date("20260312");
  Stop(u, 2).mutable_departure()->set_time(At(24, 46));
  const LiveState s = Match(Table(), {b.Decoded()}, At(24, 30), kJst);
  const LiveDeparture& d = s.Departures[2];
  EXPECT_EQ(d.Delay, 360);
  EXPECT_EQ(d.ScheduledAt, At(24, 40));
  EXPECT_EQ(std::pair(d.Hour, d.Minute), std::pair(0, 40));

  // Without a start date the run nearest to now is meant: at 8:09 t2's 8:30:30 is today's.
  Builder b2(At(8, 9));
  Stop(b2.Trip("t2"), 5).mutable_departure()->set_time(At(8, 31));
  const LiveDeparture t2 = Match(Table(), {b2.Decoded()}, At(8, 9), kJst).Departures[1];
  EXPECT_EQ(t2.Delay, 30);
  EXPECT_EQ(t2.Second, 30);
  EXPECT_EQ(t2.ShiftMinutes(), 1);  // 8:30:30 + 30 s = 8:31:00
}

TEST(LiveMatch, StaleFeedsAreLeftOutAndTheNewestWins) {
  Builder old(At(8, 0));
  Stop(old.Trip("t1"), 5).mutable_departure()->set_delay(900);
  Builder recent(At(8, 4));
  Stop(recent.Trip("t1"), 5).mutable_departure()->set_delay(120);

  const LiveState both = Match(Table(), {old.Decoded(), recent.Decoded()}, At(8, 5), kJst);
  EXPECT_TRUE(both.Fresh);
  EXPECT_EQ(both.Departures[0].Delay, 120);
  EXPECT_EQ(both.Age, 300);  // the older one is exactly five minutes old: still used
  EXPECT_EQ(both.FreshUntil, At(8, 5));

  const LiveState later = Match(Table(), {old.Decoded(), recent.Decoded()}, At(8, 5, 1), kJst);
  EXPECT_EQ(later.Age, 61);  // the old one has gone stale
  const LiveState stale = Match(Table(), {old.Decoded()}, At(8, 5, 1), kJst);
  EXPECT_FALSE(stale.Fresh);
  EXPECT_FALSE(stale.Age);
  EXPECT_TRUE(stale.Departures.empty());

  Builder undated(At(8, 4));
  undated.feed.mutable_header()->clear_timestamp();
  EXPECT_FALSE(Match(Table(), {undated.Decoded()}, At(8, 5), kJst).Fresh);
}

TEST(LiveMatch, AlertsActiveNowAndAboutUs) {
  Builder b(At(8, 0));
  auto names = [&b](const std::string& header, auto fill) {
    fill(*b.Alert(header).add_informed_entity());
  };
  names("stop", [](rt::EntitySelector& e) { e.set_stop_id("s5b"); });
  names("station", [](rt::EntitySelector& e) { e.set_stop_id("st"); });
  names("route", [](rt::EntitySelector& e) { e.set_route_id("r2"); });
  names("trip", [](rt::EntitySelector& e) { e.mutable_trip()->set_trip_id("t2"); });
  names("agency", [](rt::EntitySelector& e) { e.set_agency_id("kanto"); });
  names("other route", [](rt::EntitySelector& e) { e.set_route_id("r9"); });
  names("our route elsewhere", [](rt::EntitySelector& e) {
    e.set_route_id("r1");
    e.set_stop_id("s9");
  });
  names("route type only", [](rt::EntitySelector& e) { e.set_route_type(3); });
  auto& ended = b.Alert("ended");
  ended.add_informed_entity()->set_stop_id("s5");
  ended.add_active_period()->set_end(At(8, 0));
  auto& soon = b.Alert("soon");
  soon.add_informed_entity()->set_stop_id("s5");
  soon.add_active_period()->set_start(At(9, 0));
  auto& now = b.Alert("now");
  now.add_informed_entity()->set_stop_id("s5");
  now.add_active_period()->set_start(At(9, 0));
  auto* p = now.add_active_period();
  p->set_start(At(7, 0));
  p->set_end(At(8, 0, 1));

  const LiveState s = Match(Table(), {b.Decoded()}, At(8, 0), kJst);
  std::vector<std::string> headers;
  for (const LiveAlert& a : s.Alerts) headers.push_back(a.Header);
  EXPECT_EQ(headers,
            (std::vector<std::string>{"stop", "station", "route", "trip", "agency", "now"}));
  EXPECT_EQ(s.Alerts[0].Effect, "SIGNIFICANT_DELAYS");
}

TEST(LiveMatch, AlertTextInJapaneseElseUntranslatedElseFirst) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> Texts;  // language, text
    std::string Shown;
  };
  const std::vector<Case> cases = {
      {{{"en", "Delays"}, {"", "遅延"}, {"ja", "遅れています"}}, "遅れています"},
      {{{"en", "Delays"}, {"", "遅延"}}, "遅延"},
      {{{"en", "Delays"}, {"ko", "지연"}}, "Delays"},
      {{}, ""},
  };
  for (const Case& c : cases) {
    Builder b(At(8, 0));
    auto* a = b.feed.add_entity()->mutable_alert();
    a->add_informed_entity()->set_route_id("r1");
    for (const auto& [language, text] : c.Texts) {
      auto* t = a->mutable_description_text()->add_translation();
      t->set_text(text);
      if (!language.empty()) t->set_language(language);
    }
    const LiveState s = Match(Table(), {b.Decoded()}, At(8, 0), kJst);
    ASSERT_EQ(s.Alerts.size(), 1u);
    EXPECT_EQ(s.Alerts[0].Description, c.Shown);
    EXPECT_EQ(s.Alerts[0].Effect, "UNKNOWN_EFFECT");
  }
}

TEST(LiveMatch, WhatIsNotAFeedIsRefused) {
  std::string error;
  EXPECT_FALSE(RealtimeFeed::Decode("<html><body>503</body></html>", error));
  EXPECT_EQ(error, "GTFSリアルタイムの形式ではありません。");
  EXPECT_FALSE(RealtimeFeed::Decode("", error));
  EXPECT_EQ(error, "リアルタイム情報が空でした。");
  // Protobuf, but no feed header with a version: not a feed.
  rt::FeedMessage headless;
  headless.mutable_header()->set_timestamp(std::uint64_t(At(8, 0)));
  EXPECT_FALSE(RealtimeFeed::Decode(headless.SerializeAsString(), error));
  // A header and nothing else: fresh, and nothing known of any departure.
  const LiveState s = Match(Table(), {Builder(At(8, 0)).Decoded()}, At(8, 0), kJst);
  EXPECT_TRUE(s.Fresh);
  for (const LiveDeparture& d : s.Departures) EXPECT_FALSE(d.Live());
}

}  // namespace
}  // namespace v42::live
