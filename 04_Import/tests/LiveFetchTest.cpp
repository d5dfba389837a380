// Live data fetched from a server the test starts on 127.0.0.1, and how a timetable's source
// record keeps where it comes from.
#include <gtest/gtest.h>

#include <ctime>

#include "LiveSource.h"
#include "LoopbackServer.h"
#include "realtime/transit_live.pb.h"

namespace v42::live {
namespace {

using test::HttpRequest;
using test::HttpResponse;
using test::LoopbackServer;

struct Moment {
  std::int64_t Now = std::time(nullptr);
  int Offset = LocalUtcOffset(Now);
  std::int64_t DayStart = (Now + Offset) / 86400 * 86400 - Offset;
  int InDay(int fromNow) const { return int(Now - DayStart + fromNow); }
};

RealtimeSource Source(const Moment& m, std::vector<std::string> urls) {
  RealtimeSource s;
  s.Urls = std::move(urls);
  s.Table.StopIds = {"s5"};
  s.Table.AgencyIds = {"a"};
  s.Table.Departures = {{"t1", "r1", m.InDay(600), 5, "s5", {{2, "s2", m.InDay(300)}}},
                        {"t2", "r1", m.InDay(1200), 5, "s5", {}}};
  return s;
}

std::string TripFeed(const Moment& m) {
  rt::FeedMessage feed;
  feed.mutable_header()->set_gtfs_realtime_version("2.0");
  feed.mutable_header()->set_timestamp(std::uint64_t(m.Now - 30));
  auto* u = feed.add_entity()->mutable_trip_update();
  u->mutable_trip()->set_trip_id("t1");
  auto* s = u->add_stop_time_update();
  s->set_stop_sequence(2);
  s->mutable_departure()->set_delay(240);
  auto* c = feed.add_entity()->mutable_trip_update();
  c->mutable_trip()->set_trip_id("t2");
  c->mutable_trip()->set_schedule_relationship(rt::TripDescriptor::CANCELED);
  return feed.SerializeAsString();
}

std::string AlertFeed(const Moment& m) {
  rt::FeedMessage feed;
  feed.mutable_header()->set_gtfs_realtime_version("2.0");
  feed.mutable_header()->set_timestamp(std::uint64_t(m.Now - 100));
  auto* a = feed.add_entity()->mutable_alert();
  a->add_informed_entity()->set_agency_id("a");
  auto* t = a->mutable_header_text()->add_translation();
  t->set_text("運休のお知らせ");
  t->set_language("ja");
  a->set_effect(rt::Alert::NO_SERVICE);
  return feed.SerializeAsString();
}

TEST(LiveFetch, FeedsFromSeveralUrlsMeetAndFailuresAreNamed) {
  const Moment m;
  LoopbackServer server([&m](const HttpRequest& r) -> HttpResponse {
    if (r.Path == "/trips") return {200, {{"ETag", "\"1\""}}, TripFeed(m)};
    if (r.Path == "/alerts") return {200, {}, AlertFeed(m)};
    if (r.Path == "/html") return {200, {}, "<html>メンテナンス中</html>"};
    if (r.Path == "/empty") return {200, {}, ""};
    return {500, {}, "down"};
  });
  std::vector<std::string> errors;
  const LiveState s =
      FetchAndMatch(Source(m, {server.Url("/trips"), server.Url("/alerts"), server.Url("/html"),
                               server.Url("/empty"), server.Url("/fail")}),
                    m.Now, errors);
  ASSERT_TRUE(s.Fresh);
  EXPECT_EQ(s.Age, 100);
  ASSERT_EQ(s.Departures.size(), 2u);
  EXPECT_EQ(s.Departures[0].Delay, 240);
  EXPECT_EQ(s.Departures[0].ScheduledAt, m.Now + 600);
  EXPECT_TRUE(s.Departures[1].Canceled);
  ASSERT_EQ(s.Alerts.size(), 1u);
  EXPECT_EQ(s.Alerts[0].Header, "運休のお知らせ");
  EXPECT_EQ(s.Alerts[0].Effect, "NO_SERVICE");
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_EQ(errors[0], server.Url("/html") + ": GTFSリアルタイムの形式ではありません。");
  EXPECT_EQ(errors[1], server.Url("/empty") + ": リアルタイム情報が空でした。");
  EXPECT_NE(errors[2].find("500"), std::string::npos) << errors[2];

  // The next fetch asks whether it changed.
  const LiveFetch first = FetchFeed(server.Url("/trips"));
  EXPECT_EQ(first.Received.ETag, "\"1\"");
}

TEST(LiveFetch, NothingFreshWhenEveryUrlFails) {
  const Moment m;
  LoopbackServer server([](const HttpRequest&) { return HttpResponse{503, {}, ""}; });
  std::vector<std::string> errors;
  const LiveState s = FetchAndMatch(Source(m, {server.Url("/a")}), m.Now, errors);
  EXPECT_FALSE(s.Fresh);
  EXPECT_FALSE(s.Age);
  EXPECT_EQ(errors.size(), 1u);
}

TEST(LiveFetch, TheRecordKeepsUrlsAndMatchingData) {
  const RealtimeSource source = Source(Moment{}, {"http://127.0.0.1/rt"});
  nlohmann::json entry = {{"source", "/feeds/a.zip"}};
  PutRealtime(entry, source);
  EXPECT_EQ(entry["source"], "/feeds/a.zip");  // other keys stay
  EXPECT_EQ(RealtimeOf(nlohmann::json::parse(entry.dump())), source);
  EXPECT_FALSE(RealtimeOf(nlohmann::json{{"source", "x"}}));
  entry["trips"][0]["time"] = "8:15";  // not of our shape: no live data, and no throw
  EXPECT_FALSE(RealtimeOf(entry));
}

}  // namespace
}  // namespace v42::live
