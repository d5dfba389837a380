// V42Import end to end: what it prints, its exit status, and a data file that any failure
// leaves exactly as it was.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <functional>
#include <set>
#include <sstream>

#include "DataFile.h"
#include "ImportCommand.h"
#include "TestFeed.h"

namespace v42 {
namespace {

using test::TestFeed;

struct Outcome {
  int Status = -1;
  std::string Out, Err;
};

// Runs the built program, as a script would.
Outcome RunProgram(const test::TempFolder& dir, const std::vector<std::string>& args) {
  std::string command = V42_IMPORT_EXE;
  for (const std::string& arg : args) command += " '" + arg + "'";
  command += " >'" + (dir / "out.txt").string() + "' 2>'" + (dir / "err.txt").string() + "'";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::ReadBytes(dir / "out.txt"),
          test::ReadBytes(dir / "err.txt")};
}

TimetableStore StoreWith(int count) {
  TimetableStore store;
  for (int i = 0; i < count; ++i) {
    TimetableRecord record;
    record.Title = "手入力" + std::to_string(i);
    record.Departures[0][0].Value = 6;
    gtfs::AppendTimetable(store, record);
  }
  return store;
}

class Command : public ::testing::Test {
 protected:
  void SetUp() override {
    feed.WriteZip(dir / "feed.zip");
    std::filesystem::create_directory(dir / "app");
  }
  std::string Feed() const { return (dir / "feed.zip").string(); }
  std::string App() const { return (dir / "app").string(); }
  TestFeed feed;
  test::TempFolder dir;
};

TEST_F(Command, FindListsIdNameAndWhatTellsStopsApart) {
  const Outcome o = RunProgram(dir, {Feed(), "--find", "えきまえ"});
  EXPECT_EQ(o.Status, 0);
  EXPECT_EQ(o.Out, "");  // no reading: the name alone does not match kana
  EXPECT_EQ(RunProgram(dir, {Feed(), "--find", "駅"}).Out, "S1\t駅前\t\t\t1番\n");
  feed.Files["stops.txt"] = "stop_id,stop_name\nS1,\"駅前\t(北口)\r\n2番\"\nS2,終点\n";
  feed.WriteZip(dir / "feed.zip");
  EXPECT_EQ(RunProgram(dir, {Feed(), "--find", "駅"}).Out, "S1\t駅前 (北口)  2番\t\t\t1番\n");
}

TEST_F(Command, AddsAfterTheExistingTimetablesOrCreatesTheFile) {
  const Outcome created =
      RunProgram(dir, {Feed(), "--stop", "S1", "--date", "2026-12-07", "--folder", App()});
  EXPECT_EQ(created.Status, 0) << created.Err;
  EXPECT_NE(created.Out.find("1 件目に「駅前 平日」を追加しました(2026-12-07)"), std::string::npos)
      << created.Out;
  EXPECT_NE(created.Out.find("発車 1 本、1 時間帯、種別 1 個"), std::string::npos);

  WriteDataFile(StoreWith(2), dir / "app");
  const Outcome added = RunProgram(dir, {Feed(), "--stop", "S1", "--date", "2026-12-07", "--title",
                                         "通勤", "--route", "R1", "--folder", App()});
  EXPECT_EQ(added.Status, 0) << added.Err;
  TimetableStore store;
  ReadDataFile(store, dir / "app");
  ASSERT_EQ(store.Count, 3);
  EXPECT_EQ(store.Records[0].Title, "手入力0");
  EXPECT_EQ(store.Records[2].Title, "通勤");
  EXPECT_EQ(test::GridText(store.Records[2]), "8: 10a\n");
  EXPECT_EQ(store.Records[2].Types[0].Name, "1番");
}

TEST_F(Command, FailuresExitOneAndLeaveTheFileUntouched) {
  struct Case {
    std::vector<std::string> Args;
    std::string Message;
  };
  TestFeed damaged;
  damaged.Files["stop_times.txt"] =
      "trip_id,arrival_time,departure_time,stop_id,stop_sequence\nT1,08:10:00,25:7x,S1,1\n";
  damaged.WriteZip(dir / "damaged.zip");
  const std::vector<Case> cases = {
      {{Feed(), "--stop", "S9", "--date", "2026-12-07"}, "停留所「S9」がフィードにありません。"},
      {{Feed(), "--stop", "S1", "--date", "2026-12-12"}, "2026-12-12 に「駅前」を発車する便"},
      {{Feed(), "--stop", "S1", "--date", "2026-12-07", "--direction", "1"}, "発車する便"},
      {{(dir / "damaged.zip").string(), "--stop", "S1", "--date", "2026-12-07"},
       "stop_times.txtの2行目: 時刻「25:7x」が不正です。"},
      {{(dir / "none.zip").string(), "--find", "駅"}, "見つかりません"},
      {{Feed(), "--stop", "S1", "--date", "2026-02-30"}, "日付「2026-02-30」が不正です"},
      {{Feed(), "--stop", "S1"}, "--date か --days"},
      {{Feed(), "--stop", "S1", "--days", "sunday"}, "--days は"},
      {{Feed(), "--stops", "S1"}, "不明なオプション「--stops」"},
  };
  WriteDataFile(StoreWith(1), dir / "app");
  const std::string before = test::ReadBytes(dir / "app" / kDataFileName);
  for (Case c : cases) {
    c.Args.insert(c.Args.end(), {"--folder", App()});
    const Outcome o = RunProgram(dir, c.Args);
    EXPECT_EQ(o.Status, 1) << c.Message;
    EXPECT_NE(o.Err.find(c.Message), std::string::npos) << c.Message << "\n" << o.Err;
    EXPECT_EQ(test::ReadBytes(dir / "app" / kDataFileName), before) << c.Message;
  }

  WriteDataFile(StoreWith(kTimetableCount), dir / "app");
  const std::string full = test::ReadBytes(dir / "app" / kDataFileName);
  const Outcome o =
      RunProgram(dir, {Feed(), "--stop", "S1", "--date", "2026-12-07", "--folder", App()});
  EXPECT_EQ(o.Status, 1);
  EXPECT_NE(o.Err.find("9件"), std::string::npos) << o.Err;
  EXPECT_EQ(test::ReadBytes(dir / "app" / kDataFileName), full);
}

TEST_F(Command, DaysTakeTheFirstMatchingDateFromTodayAndTheDefaultFolder) {
  feed.Files["calendar.txt"] =
      "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,end_date\n"
      "WK,1,1,1,1,1,1,1,20261101,20261130\n";
  feed.WriteFolder(dir / "feed");
  gtfs::CommandContext context;
  context.Today = {2026, 11, 21};  // a Saturday; the 23rd is a public holiday
  context.AppFolder = [&] { return dir / "app"; };
  std::ostringstream out, err;
  EXPECT_EQ(gtfs::RunImportCommand({(dir / "feed").string(), "--stop", "S1", "--days", "holiday"},
                                   context, out, err),
            0)
      << err.str();
  EXPECT_NE(out.str().find("「駅前 休日」を追加しました(2026-11-22)"), std::string::npos)
      << out.str();
  context.Today = {2026, 11, 23};
  EXPECT_EQ(gtfs::RunImportCommand({(dir / "feed").string(), "--stop", "S1", "--days", "weekday"},
                                   context, out, err),
            0);
  EXPECT_NE(out.str().find("(2026-11-24)"), std::string::npos) << out.str();
  context.Today = {2026, 12, 1};
  EXPECT_EQ(gtfs::RunImportCommand({(dir / "feed").string(), "--stop", "S1", "--days", "saturday"},
                                   context, out, err),
            1);
  EXPECT_NE(err.str().find("土曜の日がありません"), std::string::npos) << err.str();
  TimetableStore store;
  ReadDataFile(store, dir / "app");
  EXPECT_EQ(store.Count, 2);
}

#ifdef V42_VELKAN42
// A first start done by commands: one import of all three kinds, and the clock, asked at three
// moments, shows the timetable of each day without anything set by hand.
TEST_F(Command, OneImportGivesAClockThatSwitchesByItself) {
  test::CommuterFeed().WriteZip(dir / "feed.zip");
  std::filesystem::copy_file(V42_VELKAN42, dir / "app" / "Velkan42");
  const Outcome import =
      RunProgram(dir, {Feed(), "--stop", "ST", "--days", "weekday,saturday,holiday",
                       "--set-day-tables", "--folder", App()});
  ASSERT_EQ(import.Status, 0) << import.Err;
  struct Case {
    const char* At;
    std::string Timetable, First;
  };
  const std::vector<Case> cases = {
      {"2026-12-15 06:00:00", "東京駅丸の内南口 平日", "7:05"},
      {"2026-12-16 03:05:00", "東京駅丸の内南口 平日", "3:10"},  // still Tuesday's night bus
      {"2026-12-19 06:00:00", "東京駅丸の内南口 土曜", "8:15"},
      {"2027-01-11 06:00:00", "東京駅丸の内南口 休日", "9:20"},  // a Monday, and a holiday
  };
  for (const Case& c : cases) {
    const std::string command =
        "cd '" + App() + "' && env -u DISPLAY -u WAYLAND_DISPLAY ./Velkan42 --status --at '" +
        c.At + "' --json >'" + (dir / "status.txt").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << c.At;
    const std::string status = test::ReadBytes(dir / "status.txt");
    EXPECT_NE(status.find("\"timetable\":\"" + c.Timetable + "\""), std::string::npos)
        << c.At << "\n"
        << status;
    EXPECT_NE(status.find("\"first\":{\"time\":\"" + c.First + "\""), std::string::npos)
        << c.At << "\n"
        << status;
  }
}
#endif

}  // namespace
}  // namespace v42

namespace v42 {
namespace {

// Imports started together each add their timetable; the tenth finds nine and says so.
TEST_F(Command, ImportsStartedTogetherKeepEveryTimetable) {
  for (const int n : {2, 5, 10}) {
    std::filesystem::remove_all(dir / "app");
    std::filesystem::create_directory(dir / "app");
    std::string script;
    for (int k = 0; k < n; ++k) {
      const std::string run = "r" + std::to_string(k);
      script += "('" V42_IMPORT_EXE "' '" + Feed() + "' --stop S1 --date 2026-12-07 --title 取込" +
                std::to_string(k) + " --folder '" + App() + "' >'" + (dir / run).string() +
                ".out' 2>'" + (dir / run).string() + ".err'; echo $? >'" + (dir / run).string() +
                ".status') & ";
    }
    script += "wait";
    ASSERT_EQ(std::system(script.c_str()), 0);
    TimetableStore store;
    ReadDataFile(store, dir / "app");
    EXPECT_EQ(store.Count, std::min(n, kTimetableCount)) << n;
    std::set<std::string> titles;
    int refused = 0;
    for (int k = 0; k < n; ++k) {
      const std::string run = (dir / ("r" + std::to_string(k))).string();
      if (test::ReadBytes(run + ".status") == "0\n") {
        titles.insert("取込" + std::to_string(k));
      } else {
        ++refused;
        EXPECT_NE(test::ReadBytes(run + ".err").find("9件"), std::string::npos);
      }
    }
    EXPECT_EQ(refused, std::max(0, n - kTimetableCount)) << n;
    std::set<std::string> onDisk;
    for (int i = 0; i < store.Count; ++i) onDisk.insert(store.Records[i].Title);
    EXPECT_EQ(onDisk, titles) << n;
  }
}

// Only a missing file may be created; anything else in its place stays exactly as it was.
TEST_F(Command, DamagedOrUnreadableTimetablesAreRefusedAndKept) {
  const std::filesystem::path file = dir / "app" / kDataFileName;
  const struct {
    const char* what;
    std::function<void()> make;
  } cases[] = {
      {"empty", [&] { test::WriteBytes(file, ""); }},
      {"zeroed", [&] { test::WriteBytes(file, std::string(64, '\0')); }},
      {"one letter past the cap", [&] { test::WriteBytes(file, std::string(2 << 20, 'a')); }},
      {"a link loop", [&] { std::filesystem::create_symlink(kDataFileName, file); }},
      {"a folder", [&] { std::filesystem::create_directory(file); }},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(dir / "app");
    std::filesystem::create_directory(dir / "app");
    c.make();
    const auto listing = [&] {
      std::error_code ec;
      if (std::filesystem::is_symlink(file, ec)) return std::string("link");
      if (std::filesystem::is_directory(file, ec)) return std::string("folder");
      return test::ReadBytes(file);
    };
    const std::string before = listing();
    const Outcome o =
        RunProgram(dir, {Feed(), "--stop", "S1", "--date", "2026-12-07", "--folder", App()});
    EXPECT_EQ(o.Status, 1) << c.what;
    EXPECT_NE(o.Err.find("velkan42.dat"), std::string::npos) << c.what << ": " << o.Err;
    EXPECT_EQ(listing(), before) << c.what;
  }
}

}  // namespace
}  // namespace v42
