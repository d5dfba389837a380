// `Velkan42 --status` as a panel or a script runs it: the built program with no display (a window
// would abort), on the sample timetable or files of our own, at chosen moments.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "ClockStatus.h"
#include "DataFile.h"
#include "IniFile.h"
#include "LiveSource.h"
#include "LoopbackServer.h"
#include "SingleInstance.h"
#include "realtime/transit_live.pb.h"

namespace v42 {
namespace {

namespace fs = std::filesystem;

struct Result {
  int Code = -1;
  std::string Out, Err;
};

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A portable clock folder: the program beside its files, as the tests of the window use it.
class StatusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid() && output_.isValid());
    fs::copy_file(V42_VELKAN42, Folder() / "Velkan42");
  }
  fs::path Folder() const { return dir_.path().toStdString(); }
  // A home that does not exist: nothing may be made in it.
  fs::path Home() const { return fs::path(output_.path().toStdString()) / "home"; }
  void UseSample() { fs::copy_file(V42_SAMPLE, Folder() / kDataFileName); }
  void SetWalkAndDays(int walk, DayTableSettings days) {
    IniSettings settings;
    SetIniDefaults(settings);
    settings.MoveTimes_Min = static_cast<std::int16_t>(walk);
    settings.DayTables = days;
    WriteIniFile(settings, Folder());
  }
  // Arguments are ours, so plain single quotes are enough for the shell.
  Result Run(const std::string& args) const {
    const fs::path out = fs::path(output_.path().toStdString()) / "out";
    const fs::path err = fs::path(output_.path().toStdString()) / "err";
    const std::string command =
        "cd '" + Folder().string() +
        "' && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_DATA_HOME HOME='" +
        Home().string() + "' ./Velkan42 " + args + " >'" + out.string() + "' 2>'" + err.string() +
        "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(out), ReadText(err)};
  }

  QTemporaryDir dir_, output_;
};

constexpr DayTableSettings kWeekdayAndRest{{0, 1, 1}, 3, false};

TEST_F(StatusTest, TheSampleTimetableAtChosenMoments) {
  UseSample();
  // Switched off (no settings file): timetable 0 whatever the day, and nothing is written.
  Result r = Run("--status --at '2026-11-23 10:00:00' --json");
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(
      r.Out,
      "{\"date\":\"2026-11-23\",\"time\":\"10:00:00\",\"dayKind\":\"holiday\","
      "\"holiday\":\"勤労感謝の日\",\"timetable\":\"平日\",\"timetableIndex\":0,"
      "\"first\":{\"time\":\"10:15\",\"minutes\":15,\"expected\":\"10:15\",\"delay\":null,\"live\":"
      "false},"
      "\"second\":{\"time\":\"10:30\",\"minutes\":30,\"expected\":\"10:30\",\"delay\":null,"
      "\"live\":false},\"comment\":\"\","
      "\"serviceDate\":\"2026-11-23\",\"nextServiceDay\":false,\"validFrom\":null,"
      "\"validUntil\":null,\"expired\":false,\"canceled\":[],\"alerts\":[],\"liveAge\":null}\n");
  EXPECT_EQ(r.Err, "");
  EXPECT_FALSE(fs::exists(Folder() / kIniFileName));

  SetWalkAndDays(0, kWeekdayAndRest);
  const struct {
    const char* at;
    const char* json;
  } cases[] = {
      {"2026-11-23 10:00:00",
       "{\"date\":\"2026-11-23\",\"time\":\"10:00:00\",\"dayKind\":\"holiday\","
       "\"holiday\":\"勤労感謝の日\",\"timetable\":\"土休日\",\"timetableIndex\":1,"
       "\"first\":{\"time\":\"10:20\",\"minutes\":20,\"expected\":\"10:20\",\"delay\":null,"
       "\"live\":false},"
       "\"second\":{\"time\":\"10:40\",\"minutes\":40,\"expected\":\"10:40\",\"delay\":null,"
       "\"live\":false},\"comment\":\"\","
       "\"serviceDate\":\"2026-11-23\",\"nextServiceDay\":false,\"validFrom\":null,\"validUntil\":"
       "null,\"expired\":false,\"canceled\":[],\"alerts\":[],\"liveAge\":null}\n"},
      // Saturday 0:30 is still Friday's night, but Friday's last bus has gone: Saturday's
      // first one is next. At 3:00 Saturday begins.
      {"2026-11-28 00:30:00",
       "{\"date\":\"2026-11-28\",\"time\":\"00:30:00\",\"dayKind\":\"saturday\","
       "\"holiday\":\"\",\"timetable\":\"土休日\",\"timetableIndex\":1,"
       "\"first\":{\"time\":\"6:15\",\"minutes\":345,\"expected\":\"06:15\",\"delay\":null,"
       "\"live\":false},"
       "\"second\":{\"time\":\"6:45\",\"minutes\":375,\"expected\":\"06:45\",\"delay\":null,"
       "\"live\":false},\"comment\":\"\","
       "\"serviceDate\":\"2026-11-28\",\"nextServiceDay\":true,\"validFrom\":null,\"validUntil\":"
       "null,\"expired\":false,\"canceled\":[],\"alerts\":[],\"liveAge\":null}\n"},
      {"2026-11-28 03:00:00",
       "{\"date\":\"2026-11-28\",\"time\":\"03:00:00\",\"dayKind\":\"saturday\","
       "\"holiday\":\"\",\"timetable\":\"土休日\",\"timetableIndex\":1,"
       "\"first\":{\"time\":\"6:15\",\"minutes\":195,\"expected\":\"06:15\",\"delay\":null,"
       "\"live\":false},"
       "\"second\":{\"time\":\"6:45\",\"minutes\":225,\"expected\":\"06:45\",\"delay\":null,"
       "\"live\":false},\"comment\":\"\","
       "\"serviceDate\":\"2026-11-28\",\"nextServiceDay\":false,\"validFrom\":null,\"validUntil\":"
       "null,\"expired\":false,\"canceled\":[],\"alerts\":[],\"liveAge\":null}\n"},
      {"2026-11-24 23:30:00",
       "{\"date\":\"2026-11-24\",\"time\":\"23:30:00\",\"dayKind\":\"weekday\","
       "\"holiday\":\"\",\"timetable\":\"平日\",\"timetableIndex\":0,"
       "\"first\":{\"time\":\"23:40\",\"minutes\":10,\"expected\":\"23:40\",\"delay\":null,"
       "\"live\":false},\"second\":null,"
       "\"comment\":\"運行は終了しました。\","
       "\"serviceDate\":\"2026-11-24\",\"nextServiceDay\":false,\"validFrom\":null,\"validUntil\":"
       "null,\"expired\":false,\"canceled\":[],\"alerts\":[],\"liveAge\":null}\n"},
  };
  for (const auto& c : cases) {
    r = Run(std::string("--json --status --at '") + c.at + "'");
    EXPECT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(r.Out, c.json);
  }

  // The plain line, walking time taken off as the window does.
  SetWalkAndDays(5, kWeekdayAndRest);
  r = Run("--status --at '2026-11-24 10:00:00'");
  EXPECT_EQ(r.Out, "平日 10:15 発車 10分前 / 10:30 25分前\n");
  r = Run("--status --at '2026-11-24 23:50:00'");
  EXPECT_EQ(r.Out, "平日 (翌日のダイヤ) 6:05 発車 370分前 / 6:20 385分前\n");
  // Switched off, the one timetable has nothing left until it starts again.
  SetWalkAndDays(5, {});
  r = Run("--status --at '2026-11-24 23:50:00' --json");
  EXPECT_NE(r.Out.find("\"first\":null,\"second\":null,\"comment\":\"運行は終了しました。\""),
            std::string::npos);
}

TEST_F(StatusTest, FaultsGoToStandardErrorWithExitCodeOne) {
  // No files beside the program: the per-user folder is looked in, named, and not made.
  Result r = Run("--status");
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(r.Out, "");
  EXPECT_EQ(r.Err, "velkan42.datが見つかりません。\n探したフォルダ: " +
                       (Home() / ".local/share/velkan42").string() + "\n");
  EXPECT_FALSE(fs::exists(Home()));

  std::ofstream(Folder() / kDataFileName, std::ios::binary)
      << "******[JikokuData]******\r\n\x80\x80>\r\n<\r\n";  // not CP932
  r = Run("--status --json");
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(r.Out, "");
  EXPECT_EQ(r.Err, "velkan42.datのファイル形式が不正です。\n");

  // Damaged or unreadable: never "no timetables", and the files stay as they were.
  const std::pair<const char*, std::string> damaged[] = {
      {kDataFileName, ""},
      {kDataFileName, std::string(256, '\0')},
      {kDataFileName, "******[JikokuData]******\r\nt>\r\n6,3" + std::string(1, '\0') + "\r\n<\r\n"},
      {kDataFileName, std::string(3 << 20, 'a')},
      {kIniFileName, std::string("\xFF\xFE=\0\r\0\n\0", 8)},
  };
  for (const auto& [name, bytes] : damaged) {
    fs::remove(Folder() / kDataFileName);
    fs::remove(Folder() / kIniFileName);
    if (name == std::string(kIniFileName)) UseSample();
    std::ofstream(Folder() / name, std::ios::binary) << bytes;
    r = Run("--status");
    EXPECT_EQ(r.Code, 1) << name << bytes.size();
    EXPECT_NE(r.Err.find(name), std::string::npos) << r.Err;
    EXPECT_EQ(ReadText(Folder() / name), bytes) << name << bytes.size();
  }
  fs::remove(Folder() / kIniFileName);
  fs::remove(Folder() / kDataFileName);
  fs::create_symlink(kDataFileName, Folder() / kDataFileName);  // a link loop
  r = Run("--status");
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find("読み込めませんでした"), std::string::npos) << r.Err;

  fs::remove(Folder() / kDataFileName);
  UseSample();
  for (const char* args :
       {"--status --at '2026-02-29 10:00:00'", "--status --at '2026-11-24'",
        "--status --at '2026-11-24 24:00:00'", "--status --at", "--status --verbose", "--json"}) {
    r = Run(args);
    EXPECT_EQ(r.Code, 1) << args;
    EXPECT_EQ(r.Out, "") << args;
    EXPECT_NE(r.Err, "") << args;
  }
  r = Run("--help");
  EXPECT_EQ(r.Code, 0);
  EXPECT_NE(r.Out.find("--at \"YYYY-MM-DD hh:mm:ss\""), std::string::npos);
  EXPECT_NE(r.Out.find("--json"), std::string::npos);
  EXPECT_NE(r.Out.find("~/.local/share/velkan42"), std::string::npos);
}

TEST_F(StatusTest, ValidityOfAnImportedTimetable) {
  UseSample();
  // The calendar runs until the 30th, the publisher vouches until the 27th.
  std::ofstream(Folder() / "velkan42.feeds.json")
      << R"({"format":1,"timetables":[{"timetable":0,"source":"/f.zip","calendarFrom":"2026-01-01",)"
         R"("calendarUntil":"2026-11-30","feedEnd":"2026-11-27"}]})";
  const std::string valid = R"("validFrom":"2026-01-01","validUntil":"2026-11-27",)";
  Result r = Run("--status --at '2026-11-27 10:00:00' --json");
  EXPECT_NE(r.Out.find(valid + "\"expired\":false,"), std::string::npos) << r.Out;
  r = Run("--status --at '2026-11-28 10:00:00' --json");
  EXPECT_NE(r.Out.find(valid + "\"expired\":true,"), std::string::npos) << r.Out;
  r = Run("--status --at '2026-11-28 10:00:00'");
  EXPECT_EQ(r.Out.rfind("期限切れ 平日 10:15 発車", 0), 0u) << r.Out;
  // A record the clock cannot read makes the validity unknown, never the status fail.
  std::ofstream(Folder() / "velkan42.feeds.json") << "{";
  r = Run("--status --at '2026-11-28 10:00:00' --json");
  EXPECT_EQ(r.Code, 0);
  EXPECT_NE(r.Out.find(R"("validFrom":null,"validUntil":null,"expired":false,)"),
            std::string::npos);
}

TEST_F(StatusTest, RunsBesideARunningClockAndAnyTitle) {
  // The running clock's lock is left alone.
  qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(fs::path(output_.path().toStdString())));
  SingleInstance running("Velkan42");
  ASSERT_TRUE(running.TryLock());

  TimetableStore store;
  store.Records[0].Title = "急行\"A\"";
  store.Records[0].Departures[0][0].Value = 9;
  store.Records[0].Departures[0][1].Value = 5;
  store.Count = 1;
  WriteDataFile(store, Folder());
  const Result r = Run("--status --at '2026-11-24 09:00:00' --json");
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(
      r.Out,
      "{\"date\":\"2026-11-24\",\"time\":\"09:00:00\",\"dayKind\":\"weekday\","
      "\"holiday\":\"\",\"timetable\":\"急行\\\"A\\\"\",\"timetableIndex\":0,"
      "\"first\":{\"time\":\"9:05\",\"minutes\":5,\"expected\":\"09:05\",\"delay\":null,\"live\":"
      "false},\"second\":null,"
      "\"comment\":\"運行は終了しました。\","
      "\"serviceDate\":\"2026-11-24\",\"nextServiceDay\":false,\"validFrom\":null,"
      "\"validUntil\":null,\"expired\":false,\"canceled\":[],\"alerts\":[],\"liveAge\":null}\n");
}

TEST_F(StatusTest, LiveDataFetchedOnceFromTheTimetablesUrls) {
  TimetableStore store;
  store.Records[0].Title = "駅前";
  store.Records[0].Departures[0][0].Value = 10;
  for (int s = 1; int m : {15, 30, 45}) store.Records[0].Departures[0][s++].Value = std::uint8_t(m);
  store.Count = 1;
  WriteDataFile(store, Folder());

  const ClockTime at{2026, 11, 24, 10, 10, 0};
  rt::FeedMessage feed;
  feed.mutable_header()->set_gtfs_realtime_version("2.0");
  feed.mutable_header()->set_timestamp(std::uint64_t(PosixTime(at) - 60));
  auto* late = feed.add_entity()->mutable_trip_update();
  late->mutable_trip()->set_trip_id("t1015");
  auto* stop = late->add_stop_time_update();
  stop->set_stop_sequence(3);
  stop->mutable_departure()->set_delay(185);
  auto* canceled = feed.add_entity()->mutable_trip_update()->mutable_trip();
  canceled->set_trip_id("t1030");
  canceled->set_schedule_relationship(rt::TripDescriptor::CANCELED);
  auto* alert = feed.add_entity()->mutable_alert();
  alert->add_informed_entity()->set_stop_id("p1");
  alert->mutable_header_text()->add_translation()->set_text("工事のため\"仮停留所\"");
  alert->set_effect(rt::Alert::STOP_MOVED);
  test::LoopbackServer server([&feed](const test::HttpRequest& r) {
    return r.Path == "/rt" ? test::HttpResponse{200, {}, feed.SerializeAsString()}
                           : test::HttpResponse{404, {}, ""};
  });

  live::RealtimeSource source;
  source.Urls = {server.Url("/rt")};
  source.Table.StopIds = {"p1"};
  for (int m : {15, 30, 45})
    source.Table.Departures.push_back(
        {"t10" + std::to_string(m), "r", 10 * 3600 + m * 60, 3, "p1", {}});
  nlohmann::json entry = {{"timetable", 0}, {"source", "/feeds/a.zip"}};
  live::PutRealtime(entry, source);
  std::ofstream(Folder() / "velkan42.feeds.json")
      << nlohmann::json{{"format", 1}, {"timetables", {entry}}}.dump();

  Result r = Run("--status --live --json --at '2026-11-24 10:10:00'");
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(
      r.Out,
      "{\"date\":\"2026-11-24\",\"time\":\"10:10:00\",\"dayKind\":\"weekday\","
      "\"holiday\":\"\",\"timetable\":\"駅前\",\"timetableIndex\":0,"
      "\"first\":{\"time\":\"10:15\",\"minutes\":8,\"expected\":\"10:18\",\"delay\":185,"
      "\"live\":true},"
      "\"second\":{\"time\":\"10:45\",\"minutes\":35,\"expected\":\"10:45\",\"delay\":null,"
      "\"live\":false},\"comment\":\"\",\"serviceDate\":\"2026-11-24\",\"nextServiceDay\":false,"
      "\"validFrom\":null,\"validUntil\":null,\"expired\":false,\"canceled\":[\"10:30\"],"
      "\"alerts\":[{\"header\":\"工事のため\\\"仮停留所\\\"\",\"description\":\"\","
      "\"effect\":\"STOP_MOVED\"}],\"liveAge\":60}\n");
  r = Run("--status --live --at '2026-11-24 10:10:00'");
  EXPECT_EQ(r.Out, "駅前 10:15 発車 8分前（+3分） / 10:45 35分前\n");

  // Ten minutes later the same feed is stale: the timetable alone, said on standard error.
  r = Run("--status --live --at '2026-11-24 10:20:00'");
  EXPECT_EQ(r.Code, 0);
  EXPECT_EQ(r.Out, "駅前 10:30 発車 10分前 / 10:45 25分前\n");
  EXPECT_EQ(r.Err, "Velkan42: リアルタイム情報が古いため使いませんでした。\n");
}

}  // namespace
}  // namespace v42
