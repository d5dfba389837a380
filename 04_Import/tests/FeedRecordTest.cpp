// The source record: what an import remembers, the keys and files it must never lose, and
// refreshes in place, by URL from a server on 127.0.0.1 and from a file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <mutex>

#include "DataFile.h"
#include "FeedRefresh.h"
#include "IniFile.h"
#include "LoopbackServer.h"
#include "TestFeed.h"

namespace v42 {
namespace {

using nlohmann::json;
using test::TestFeed;

struct Outcome {
  int Status = -1;
  std::string Out, Err;
};

Outcome Import(const test::TempFolder& dir, const std::vector<std::string>& args) {
  std::string command = "XDG_CACHE_HOME='" + (dir / "cache").string() + "' " + V42_IMPORT_EXE;
  for (const std::string& arg : args) command += " '" + arg + "'";
  command += " >'" + (dir / "out.txt").string() + "' 2>'" + (dir / "err.txt").string() + "'";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::ReadBytes(dir / "out.txt"),
          test::ReadBytes(dir / "err.txt")};
}

json RecordJson(const std::filesystem::path& app) {
  return json::parse(test::ReadBytes(app / feeds::kFeedsFileName));
}

// Serves whatever zip the test put there last, with an ETag of its version.
struct FeedServer {
  std::mutex Mutex;
  std::string Zip;
  int Version = 1;
  bool Missing = false;
  test::LoopbackServer Server{[this](const test::HttpRequest& request) {
    std::lock_guard lock(Mutex);
    if (Missing || request.Path != "/feed.zip") return test::HttpResponse{404, {}, "no", false};
    const std::string tag = "\"v" + std::to_string(Version) + "\"";
    const auto asked = request.Headers.find("if-none-match");
    if (asked != request.Headers.end() && asked->second == tag)
      return test::HttpResponse{304, {}, {}, false};
    return test::HttpResponse{200, {{"ETag", tag}}, Zip, false};
  }};
  void Publish(const TestFeed& feed, const test::TempFolder& dir) {
    feed.WriteZip(dir / "served.zip");
    std::lock_guard lock(Mutex);
    Zip = test::ReadBytes(dir / "served.zip");
    ++Version;
  }
};

class Refresh : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(app);
    // A hand-made timetable before and after the imported one: its place must hold.
    TimetableStore store;
    TimetableRecord hand;
    hand.Title = "手入力";
    hand.Departures[0][0].Value = 6;
    gtfs::AppendTimetable(store, hand);
    WriteDataFile(store, app);
    IniSettings settings;
    SetIniDefaults(settings);
    settings.DayTables.Tables = {1, 0, 2};
    WriteIniFile(settings, app);
  }
  void AddHandMadeAfter() {
    TimetableStore store;
    ReadDataFile(store, app);
    TimetableRecord hand;
    hand.Title = "後";
    hand.Departures[0][0].Value = 7;
    gtfs::AppendTimetable(store, hand);
    WriteDataFile(store, app);
  }
  TimetableRecord Table(int i) {
    TimetableStore store;
    ReadDataFile(store, app);
    return store.Records[i];
  }
  void EditTable(int i, const std::function<void(TimetableRecord&)>& edit) {
    TimetableStore store;
    ReadDataFile(store, app);
    edit(store.Records[i]);
    WriteDataFile(store, app);
  }
  test::TempFolder dir;
  std::filesystem::path app = dir / "app";
  TestFeed feed;
};

TEST_F(Refresh, ByUrlInPlaceKeepingPlaceTitleAndDayTables) {
  FeedServer server;
  TestFeed served = feed;
  served.Files["feed_info.txt"] =
      "feed_publisher_name,feed_publisher_url,feed_lang,feed_start_date,feed_end_date,"
      "feed_version\nテストバス,http://127.0.0.1/,ja,20260301,20261130,2026春\n";
  server.Publish(served, dir);
  const std::string url = server.Server.Url("/feed.zip");
  Outcome o = Import(dir, {url, "--stop", "S1", "--days", "weekday", "--folder", app.string()});
  ASSERT_EQ(o.Status, 0) << o.Err;
  AddHandMadeAfter();
  const std::string ini = test::ReadBytes(app / kIniFileName);

  // Downloaded to the cache, never into the data folder; remembered with its validity.
  EXPECT_FALSE(std::filesystem::is_empty(dir / "cache" / "velkan42"));
  for (const auto& item : std::filesystem::directory_iterator(app))
    EXPECT_NE(item.path().extension(), ".zip");
  json entry = RecordJson(app)["timetables"][0];
  EXPECT_EQ(entry["timetable"], 1);
  EXPECT_EQ(entry["source"], url);
  EXPECT_EQ(entry["dayKind"], "weekday");
  EXPECT_EQ(entry["etag"], "\"v2\"");
  EXPECT_EQ(entry["calendarUntil"], "2026-12-31");
  EXPECT_EQ(entry["feedEnd"], "2026-11-30");
  EXPECT_EQ(entry["feedVersion"], "2026春");
  EXPECT_EQ(feeds::ValidityOf(app, 1).Until, "2026-11-30");
  EXPECT_EQ(feeds::ValidityOf(app, 1).From, "2026-03-01");

  // Nothing new on the server: a conditional request, nothing rewritten.
  const std::string dat = test::ReadBytes(app / kDataFileName);
  o = Import(dir, {"--refresh", "--folder", app.string()});
  EXPECT_EQ(o.Status, 0) << o.Err;
  EXPECT_EQ(o.Out, "2件目「駅前 平日」: 変更はありません\n");
  EXPECT_EQ(server.Server.Requests().back().Headers.at("if-none-match"), "\"v2\"");
  EXPECT_EQ(test::ReadBytes(app / kDataFileName), dat);

  // The next season, under a title the user gave meanwhile.
  EditTable(1, [](TimetableRecord& r) { r.Title = "通勤"; });
  served.Files["stop_times.txt"] += "T2,08:40:00,08:40:00,S1,1\nT2,09:00:00,09:00:00,S2,2\n";
  served.Files["trips.txt"] += "R1,WK,T2,終点行,0\n";
  served.Files.erase("feed_info.txt");
  server.Publish(served, dir);
  o = Import(dir, {"--refresh", "--folder", app.string()});
  EXPECT_EQ(o.Status, 0) << o.Err;
  EXPECT_EQ(o.Out, "2件目「通勤」: 更新しました\n");
  EXPECT_EQ(test::GridText(Table(1)), "8: 10a 40a\n");
  EXPECT_EQ(Table(1).Title, "通勤");
  EXPECT_EQ(Table(0).Title, "手入力");
  EXPECT_EQ(Table(2).Title, "後");
  EXPECT_EQ(test::ReadBytes(app / kIniFileName), ini);
  entry = RecordJson(app)["timetables"][0];
  EXPECT_EQ(entry["feedEnd"], "");
  EXPECT_EQ(feeds::ValidityOf(app, 1).Until, "2026-12-31");

  // Gone from the server: said why, every file as it was, exit 1.
  server.Missing = true;
  server.Publish(served, dir);
  const std::string datNow = test::ReadBytes(app / kDataFileName);
  const std::string recordNow = test::ReadBytes(app / feeds::kFeedsFileName);
  o = Import(dir, {"--refresh", "--folder", app.string()});
  EXPECT_EQ(o.Status, 1);
  EXPECT_NE(o.Err.find("エラー 404"), std::string::npos) << o.Err;
  EXPECT_EQ(test::ReadBytes(app / kDataFileName), datNow);
  EXPECT_EQ(test::ReadBytes(app / feeds::kFeedsFileName), recordNow);
}

TEST_F(Refresh, HandEditedIsSkippedUnlessForcedAndAFileOnlyWhenItChanged) {
  feed.WriteFolder(dir / "feed");
  Outcome o = Import(dir, {(dir / "feed").string(), "--stop", "S1", "--date", "2026-12-07",
                           "--folder", app.string()});
  ASSERT_EQ(o.Status, 0) << o.Err;
  o = Import(dir, {"--refresh", "--folder", app.string()});
  EXPECT_EQ(o.Out, "2件目「駅前 平日」: 変更はありません\n");

  EditTable(1, [](TimetableRecord& r) { r.Departures[0][2].Value = 50; });
  const TimetableRecord edited = Table(1);
  feed.Files["stop_times.txt"] =
      "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
      "T1,08:15:00,08:15:00,S1,1\nT1,08:30:00,08:30:00,S2,2\n";
  feed.WriteFolder(dir / "feed");
  o = Import(dir, {"--refresh", "--folder", app.string()});
  EXPECT_EQ(o.Status, 0);
  EXPECT_EQ(o.Out, "2件目「駅前 平日」: 手で編集されているため更新しませんでした\n");
  EXPECT_EQ(Table(1), edited);

  o = Import(dir, {"--refresh", "--force", "--folder", app.string()});
  EXPECT_EQ(o.Status, 0) << o.Err;
  EXPECT_EQ(o.Out, "2件目「駅前 平日」: 更新しました\n");
  EXPECT_EQ(test::GridText(Table(1)), "8: 15a\n");
  o = Import(dir, {"--refresh", "--folder", app.string()});  // imported again: no longer edited
  EXPECT_EQ(o.Out, "2件目「駅前 平日」: 変更はありません\n");
}

TEST_F(Refresh, ARecordItCannotReadIsReportedAndNeverLost) {
  feed.WriteZip(dir / "feed.zip");
  const std::string cases[] = {
      "{\"format\":1,\"timetables\":[",
      "[1,2]",
      "{\"format\":2,\"timetables\":[]}",
      "{\"format\":1,\"timetables\":[{\"timetable\":9}]}",
      "{\"format\":1,\"timetables\":[{\"timetable\":0,\"routes\":\"R1\"}]}",
  };
  const std::string dat = test::ReadBytes(app / kDataFileName);
  for (const std::string& text : cases) {
    test::WriteBytes(app / feeds::kFeedsFileName, text);
    const Outcome add = Import(dir, {(dir / "feed.zip").string(), "--stop", "S1", "--date",
                                     "2026-12-07", "--folder", app.string()});
    EXPECT_EQ(add.Status, 1) << text;
    EXPECT_NE(add.Err.find(feeds::kFeedsFileName), std::string::npos) << add.Err;
    const Outcome refresh = Import(dir, {"--refresh", "--folder", app.string()});
    EXPECT_EQ(refresh.Status, 1) << text;
    EXPECT_THROW(feeds::FollowTimetables(app, [](int s) { return s; }), FileError);
    EXPECT_EQ(test::ReadBytes(app / feeds::kFeedsFileName), text);
    EXPECT_EQ(test::ReadBytes(app / kDataFileName), dat);
  }
}

TEST(FeedRecord, KeepsKeysItDoesNotKnowAndFollowsTheList) {
  test::TempFolder dir;
  const json realtime = {"https://127.0.0.1/rt.pb"};
  const json trips = {{"08:10", {{"trip", "T1"}}}};
  json top = {{"format", 1}, {"note", "later"}, {"timetables", json::array()}};
  for (int t : {0, 1, 2})
    top["timetables"].push_back({{"timetable", t},
                                 {"source", "/f" + std::to_string(t)},
                                 {"realtime", realtime},
                                 {"trips", trips}});
  test::WriteBytes(dir / feeds::kFeedsFileName, top.dump());

  // 0 and 1 swapped, 2 deleted, as the editor's list did before its save.
  feeds::FollowTimetables(dir.path(), [](int saved) { return saved == 2 ? -1 : 1 - saved; });
  const json after = RecordJson(dir.path());
  EXPECT_EQ(after["note"], "later");
  ASSERT_EQ(after["timetables"].size(), 2u);
  EXPECT_EQ(after["timetables"][0]["source"], "/f1");
  EXPECT_EQ(after["timetables"][0]["timetable"], 0);
  EXPECT_EQ(after["timetables"][1]["source"], "/f0");
  EXPECT_EQ(after["timetables"][1]["realtime"], realtime);
  EXPECT_EQ(after["timetables"][1]["trips"], trips);

  // Nothing moved: the file is not even rewritten.
  const std::string bytes = test::ReadBytes(dir / feeds::kFeedsFileName);
  test::WriteBytes(dir / feeds::kFeedsFileName, bytes + " ");
  feeds::FollowTimetables(dir.path(), [](int saved) { return saved; });
  EXPECT_EQ(test::ReadBytes(dir / feeds::kFeedsFileName), bytes + " ");
}

TEST_F(Refresh, RealtimeUrlsAndWhatMatchingNeedsAreKeptAndFollowTheFeed) {
  // A station with a platform, and a trip that calls first at the depot.
  TestFeed served = feed;
  served.Files["stops.txt"] =
      "stop_id,stop_name,parent_station,location_type\n"
      "ST,駅前,,1\nP1,駅前 1番,ST,0\nD,車庫,,0\nS2,終点,,0\n";
  served.Files["stop_times.txt"] =
      "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
      "T1,07:50:00,07:50:00,D,1\nT1,08:10:00,08:10:00,P1,3\nT1,08:30:00,08:30:00,S2,4\n";
  FeedServer server;
  server.Publish(served, dir);
  Outcome o = Import(dir, {server.Server.Url("/feed.zip"), "--stop", "ST", "--days", "weekday",
                           "--realtime", "http://127.0.0.1:9/trips", "--realtime",
                           "https://127.0.0.1:9/alerts", "--folder", app.string()});
  ASSERT_EQ(o.Status, 0) << o.Err;
  const auto trips = [this] { return RecordJson(app)["timetables"][0]["trips"]; };
  json entry = RecordJson(app)["timetables"][0];
  EXPECT_EQ(entry["realtime"], json({"http://127.0.0.1:9/trips", "https://127.0.0.1:9/alerts"}));
  EXPECT_EQ(entry["realtimeStops"], json({"ST", "P1"}));
  EXPECT_EQ(entry["agencies"], json({"A"}));
  EXPECT_EQ(trips(), json::parse(R"([{"trip":"T1","route":"R1","time":29400,"sequence":3,
      "stop":"P1","before":[[1,"D",28200]]}])"));

  // A new season: the URLs stay, the matching data follows the new times.
  served.Files["stop_times.txt"] =
      "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
      "T1,07:55:00,07:55:00,D,1\nT1,08:15:00,08:15:00,P1,2\nT1,08:30:00,08:30:00,S2,3\n";
  server.Publish(served, dir);
  o = Import(dir, {"--refresh", "--folder", app.string()});
  ASSERT_EQ(o.Status, 0) << o.Err;
  EXPECT_EQ(RecordJson(app)["timetables"][0]["realtime"], entry["realtime"]);
  EXPECT_EQ(trips()[0]["time"], 29700);
  EXPECT_EQ(trips()[0]["before"], json::parse(R"([[1,"D",28500]])"));

  o = Import(dir, {server.Server.Url("/feed.zip"), "--stop", "ST", "--days", "weekday",
                   "--realtime", "ftp://127.0.0.1/rt", "--folder", app.string()});
  EXPECT_EQ(o.Status, 1);
  EXPECT_NE(o.Err.find("--realtime は http(s) のURLです。"), std::string::npos) << o.Err;
}

}  // namespace
}  // namespace v42
