// The window with live data fetched from a server the test starts on 127.0.0.1: the panels,
// the struck-through cell and the alert line, asking again with the last ETag, and a server
// that fails.
#include <QTest>
#include <fstream>

#include "AppFixture.h"
#include "FlexGrid.h"
#include "LiveFetcher.h"
#include "LiveRecord.h"
#include "LoopbackServer.h"
#include "realtime/transit_live.pb.h"

namespace v42::apptest {
namespace {

TEST(LiveFetcher, BacksOffByDoublingUpToFiveMinutes) {
  const struct {
    int Interval, Failures, Delay;
  } cases[] = {{30, 0, 30},   {30, 1, 60},  {30, 3, 240}, {30, 4, 300},
               {30, 40, 300}, {15, 5, 300}, {600, 2, 600}};
  for (const auto& c : cases)
    EXPECT_EQ(NextFetchDelay(c.Interval, c.Failures), c.Delay) << c.Interval << " " << c.Failures;
}

class LiveWindow : public AppFixture {
 protected:
  void Serve(bool up) {
    server_ = std::make_unique<test::LoopbackServer>([this, up](const test::HttpRequest& r) {
      if (!up) return test::HttpResponse{500, {}, "down"};
      const auto tag = r.Headers.find("if-none-match");
      if (tag != r.Headers.end() && tag->second == "\"a\"") return test::HttpResponse{304, {}, {}};
      return test::HttpResponse{200, {{"ETag", "\"a\""}}, Feed()};
    });
    live::RealtimeSource source;
    source.Urls = {server_->Url("/rt")};
    source.Table.StopIds = {"S"};
    for (auto [h, m] : {std::pair{8, 15}, {8, 20}, {8, 50}})
      source.Table.Departures.push_back(
          {"t" + std::to_string(h * 100 + m), "R", h * 3600 + m * 60, 2, "S", {}});
    nlohmann::json entry = {{"timetable", 0}, {"source", "/feeds/a.zip"}};
    live::PutRealtime(entry, source);
    std::ofstream(Folder() / "velkan42.feeds.json")
        << nlohmann::json{{"format", 1}, {"timetables", {entry}}}.dump();
  }
  std::string Feed() const {
    rt::FeedMessage feed;
    feed.mutable_header()->set_gtfs_realtime_version("2.0");
    feed.mutable_header()->set_timestamp(QDateTime(date_, QTime(7, 59, 30)).toSecsSinceEpoch());
    auto* late = feed.add_entity()->mutable_trip_update();
    late->mutable_trip()->set_trip_id("t815");
    auto* stop = late->add_stop_time_update();
    stop->set_stop_sequence(2);
    stop->mutable_departure()->set_delay(420);
    auto* canceled = feed.add_entity()->mutable_trip_update()->mutable_trip();
    canceled->set_trip_id("t820");
    canceled->set_schedule_relationship(rt::TripDescriptor::CANCELED);
    auto* alert = feed.add_entity()->mutable_alert();
    alert->add_informed_entity()->set_route_id("R");
    alert->mutable_header_text()->add_translation()->set_text("事故のため遅れ");
    return feed.SerializeAsString();
  }
  void WaitForFetch() {
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window_->Live().Busy(); }, 15000));
    QCoreApplication::processEvents();
  }
  std::unique_ptr<test::LoopbackServer> server_;
};

TEST_F(LiveWindow, CountsDownToTheExpectedTimeAndMarksTheCancelled) {
  Serve(true);
  Open({DayService()}, QTime(8, 0));
  EXPECT_EQ(Text("lblLive"), "リアルタイム情報なし");  // not fetched yet
  TickAt(QTime(8, 0, 1));  // a departure within two hours: fetching starts
  WaitForFetch();
  ASSERT_TRUE(window_->Clock().LiveFresh());
  EXPECT_EQ(Text("lblTime_1"), "8:15");
  EXPECT_EQ(Text("lblMinute_1"), "22");
  EXPECT_EQ(Text("lblComment_1"), "→8:22（7分遅れ）");
  EXPECT_EQ(Text("lblTime_2"), "8:50");  // 8:20 is cancelled
  EXPECT_TRUE(Find<FlexGrid>("FGrid")->CellFontStrikeAt(3, 2));
  EXPECT_FALSE(Find<FlexGrid>("FGrid")->CellFontStrikeAt(3, 1));
  EXPECT_EQ(Text("lblLive"), "⚠ 事故のため遅れ");

  // The next fetch asks whether it changed; "no" keeps what it had.
  window_->Live().FetchNow();
  WaitForFetch();
  EXPECT_EQ(server_->Requests().back().Headers.at("if-none-match"), "\"a\"");
  EXPECT_TRUE(window_->Clock().LiveFresh());

  // Five minutes after the feed was made it is stale: the timetable again.
  TickAt(QTime(8, 4, 31));
  EXPECT_FALSE(window_->Clock().LiveFresh());
  EXPECT_EQ(Text("lblTime_1"), "8:15");
  EXPECT_EQ(Text("lblMinute_1"), "11");
  EXPECT_EQ(Text("lblComment_1"), "");
  EXPECT_FALSE(Find<FlexGrid>("FGrid")->CellFontStrikeAt(3, 2));
  EXPECT_EQ(Text("lblLive"), "リアルタイム情報なし");
}

TEST_F(LiveWindow, AFailingServerLeavesTheTimetableAndBacksOff) {
  Serve(false);
  Open({DayService()}, QTime(8, 0));
  TickAt(QTime(8, 0, 1));
  WaitForFetch();
  EXPECT_EQ(window_->Live().Failures(), 1);
  EXPECT_FALSE(window_->Clock().LiveFresh());
  EXPECT_EQ(Text("lblMinute_1"), "15");
  EXPECT_EQ(Text("lblLive"), "リアルタイム情報なし");
  EXPECT_NE(Find("lblLive")->toolTip().toStdString().find("500"), std::string::npos);
}

TEST_F(LiveWindow, FetchesOnlyWithADepartureWithinTwoHours) {
  Serve(true);
  Open({DayService()}, QTime(3, 0));  // the first leaves at 5:10
  TickAt(QTime(3, 9, 59));
  EXPECT_FALSE(window_->Live().Busy());
  EXPECT_TRUE(server_->Requests().empty());
  TickAt(QTime(3, 10, 0));  // two hours ahead
  WaitForFetch();
  EXPECT_EQ(server_->Requests().size(), 1u);
}

}  // namespace
}  // namespace v42::apptest
