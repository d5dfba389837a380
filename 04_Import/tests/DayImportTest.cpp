// From a feed to a clock that switches by itself: several kinds of day at once, the settings
// that follow, stop lines that tell poles apart, and titles that keep their day.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <sstream>

#include "DataFile.h"
#include "DayImport.h"
#include "ImportCommand.h"
#include "IniFile.h"
#include "TestFeed.h"

namespace v42 {
namespace {

using gtfs::ImportChoice;
using test::TestFeed;

constexpr CivilDate kMonday{2026, 12, 7};
const std::string kStation = "東京駅丸の内南口";

class DayImport : public ::testing::Test {
 protected:
  // V42Import in place, as on 2026-12-07, into dir/app.
  int Run(std::vector<std::string> args) {
    feed.WriteFolder(dir / "feed");
    args.insert(args.begin(), (dir / "feed").string());
    args.insert(args.end(), {"--folder", App().string()});
    gtfs::CommandContext context;
    context.Today = kMonday;
    out.str({});
    err.str({});
    return gtfs::RunImportCommand(args, context, out, err);
  }
  std::filesystem::path App() const { return dir / "app"; }
  std::vector<std::string> Titles() const {
    TimetableStore store;
    ReadDataFile(store, App());
    std::vector<std::string> titles;
    for (int i = 0; i < store.Count; ++i) titles.push_back(store.Records[i].Title);
    return titles;
  }
  IniSettings Settings() const { return ReadIniOverDefaults(App()); }
  void SetUp() override { std::filesystem::create_directory(App()); }

  TestFeed feed = test::CommuterFeed();
  test::TempFolder dir;
  std::ostringstream out, err;
};

TEST_F(DayImport, ThreeKindsAtOnceSetTheDayTablesAndTheStartOfTheDay) {
  IniSettings before;
  SetIniDefaults(before);
  before.MoveTimes_Min = 5;  // a key of the user's that the import must keep
  WriteIniFile(before, App());
  ASSERT_EQ(Run({"--stop", "ST", "--days", "weekday,saturday,holiday", "--set-day-tables"}), 0)
      << err.str();
  EXPECT_EQ(Titles(),
            (std::vector<std::string>{kStation + " 平日", kStation + " 土曜", kStation + " 休日"}));
  const IniSettings after = Settings();
  EXPECT_EQ(after.DayTables.Tables, (std::array<int, 3>{0, 1, 2}));
  // The 27:10 bus belongs to the weekday before: the day starts at 4:00, not 3:00.
  EXPECT_EQ(after.DayTables.DayStartHour, 4);
  EXPECT_EQ(after.MoveTimes_Min, 5);
  EXPECT_NE(out.str().find("(2026-12-12)"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("1日の始まりを 3 時から 4 時にしました"), std::string::npos);

  // Listed in another order, added in that order; without the night bus the start stays.
  feed.Files["trips.txt"].replace(feed.Files["trips.txt"].find("R4,WK"), 5, "R4,SA");
  ASSERT_EQ(Run({"--stop", "P1", "--days", "holiday,weekday", "--set-day-tables"}), 0) << err.str();
  // The first import's titles are taken: the pole's, of the same name, are told apart.
  EXPECT_EQ(Titles().at(3), kStation + " 休日(2)");
  EXPECT_EQ(Titles().at(4), kStation + " 平日(2)");
  EXPECT_EQ(Settings().DayTables.Tables, (std::array<int, 3>{4, 1, 3}));
  EXPECT_EQ(Settings().DayTables.DayStartHour, 4);
}

TEST_F(DayImport, IdenticalDaysAreImportedOnceAndShared) {
  feed.Files["calendar.txt"] += "SH,0,0,0,0,0,1,1,20260101,20991231\n";
  feed.Files["trips.txt"] =
      "route_id,service_id,trip_id,trip_headsign\nR1,WK,W1,渋谷駅\nR2,SH,A1,新橋\n";
  feed.Files["stop_times.txt"] =
      "trip_id,departure_time,stop_id,stop_sequence\nW1,07:05:00,P1,1\nW1,07:30:00,E,2\n"
      "A1,08:15:00,P2,1\nA1,08:40:00,E,2\n";
  ASSERT_EQ(Run({"--stop", "ST", "--days", "weekday,saturday,holiday"}), 0) << err.str();
  EXPECT_EQ(Titles(), (std::vector<std::string>{kStation + " 平日", kStation + " 土休日"}));
  EXPECT_NE(out.str().find("土曜・休日で共用"), std::string::npos) << out.str();
  // Without --set-day-tables no settings file is made.
  EXPECT_FALSE(std::filesystem::exists(App() / kIniFileName));

  // Every day alike: one timetable for all three; a typed title keeps its day label.
  feed.Files["trips.txt"] = "route_id,service_id,trip_id\nR1,WK,W1\nR1,SH,A1\n";
  feed.Files["stop_times.txt"] =
      "trip_id,departure_time,stop_id,stop_sequence\nW1,07:05:00,P1,1\nW1,07:30:00,E,2\n"
      "A1,07:05:00,P1,1\nA1,07:30:00,E,2\n";
  ASSERT_EQ(Run({"--stop", "P1", "--days", "saturday,weekday,holiday", "--title", "通勤",
                 "--set-day-tables"}),
            0)
      << err.str();
  EXPECT_EQ(Titles().at(2), "通勤 毎日");
  EXPECT_EQ(Settings().DayTables.Tables, (std::array<int, 3>{2, 2, 2}));
  EXPECT_EQ(Settings().DayTables.DayStartHour, 3);

  // Refused before anything is written: a repeated kind, a kind the feed lacks, too many.
  const std::string data = test::ReadBytes(App() / kDataFileName);
  EXPECT_EQ(Run({"--stop", "P1", "--days", "weekday,weekday"}), 1);
  EXPECT_NE(err.str().find("weekday が2回"), std::string::npos) << err.str();
  feed.Files["calendar.txt"] =
      "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,end_date\n"
      "WK,1,1,1,1,1,0,0,20261207,20261211\nSH,0,0,0,0,0,1,0,20261207,20261211\n";  // no holiday
  EXPECT_EQ(Run({"--stop", "P1", "--days", "weekday,holiday", "--set-day-tables"}), 1);
  EXPECT_NE(err.str().find("休日の日がありません"), std::string::npos) << err.str();
  EXPECT_EQ(test::ReadBytes(App() / kDataFileName), data);
}

TEST_F(DayImport, AKindWithoutServiceGetsAnEmptyTimetable) {
  feed.Files["trips.txt"] = "route_id,service_id,trip_id\nR1,WK,W1\n";
  feed.Files["stop_times.txt"] =
      "trip_id,departure_time,stop_id,stop_sequence\nW1,07:05:00,P1,1\nW1,07:30:00,E,2\n";
  ASSERT_EQ(Run({"--stop", "P1", "--days", "weekday,saturday,holiday", "--set-day-tables"}), 0)
      << err.str();
  EXPECT_EQ(Titles(), (std::vector<std::string>{kStation + " 平日", kStation + " 土休日"}));
  TimetableStore store;
  ReadDataFile(store, App());
  EXPECT_EQ(test::GridText(store.Records[1]), "");
  EXPECT_EQ(Run({"--stop", "P2", "--days", "weekday,saturday"}), 1);
  EXPECT_NE(err.str().find("どの日にもありません"), std::string::npos) << err.str();
}

TEST_F(DayImport, StopLinesTellStationPolesAndRoutesApart) {
  ASSERT_EQ(Run({"--find", "東京駅"}), 0) << err.str();
  EXPECT_EQ(out.str(),
            "ST\t東京駅丸の内南口\t\t駅\t都01, 都02, 東98 他1\n"
            "P1\t東京駅丸の内南口\tのりば 1\t親駅 ST\t都01, 深夜01\n"
            "P2\t東京駅丸の内南口\tのりば 2\t親駅 ST\t都02\n"
            "P3\t東京駅丸の内南口\t番号 0712\t親駅 ST\t東98\n"
            "E\t東京駅八重洲口\t\t\t都01, 都02, 東98 他1\n");
  // A pole found by a name of its own still comes under its station.
  const std::string stops = feed.Files["stops.txt"];
  const std::string pole = "P3,東京駅丸の内南口";
  feed.Files["stops.txt"] = stops.substr(0, stops.find(pole)) + "P3,丸の内南口 降車場" +
                            stops.substr(stops.find(pole) + pole.size());
  ASSERT_EQ(Run({"--find", "降車"}), 0) << err.str();
  EXPECT_EQ(out.str(),
            "ST\t東京駅丸の内南口\t\t駅\t都01, 都02, 東98 他1\n"
            "P1\t東京駅丸の内南口\tのりば 1\t親駅 ST\t都01, 深夜01\n"
            "P2\t東京駅丸の内南口\tのりば 2\t親駅 ST\t都02\n"
            "P3\t丸の内南口 降車場\t番号 0712\t親駅 ST\t東98\n");
}

TEST(DayTitles, ShortenTheNameNeverTheDayAndTellDuplicatesApart) {
  struct Case {
    std::string Name, Title;
    std::vector<DayKind> Kinds;
    std::vector<std::string> Taken;
    std::string Expected;
  };
  const std::string twenty = "あいうえおかきくけこさしすせそたちつてと";
  const std::vector<Case> cases = {
      {twenty, "", {}, {}, "あいうえおかきくけこさしすせそたち 平日"},
      {twenty,
       "",
       {DayKind::Saturday, DayKind::Holiday},
       {},
       "あいうえおかきくけこさしすせそた 土休日"},
      {"Kings Highway at Ocean Pkwy", "", {}, {}, "Kings Highway at 平日"},  // no blank before
      {"駅前", "", {}, {"駅前 平日"}, "駅前 平日(2)"},
      {"駅前", "", {}, {"駅前 平日", "駅前 平日(2)"}, "駅前 平日(3)"},
      {twenty,
       "",
       {},
       {"あいうえおかきくけこさしすせそたち 平日"},
       "あいうえおかきくけこさしすせ 平日(2)"},
      {"駅前", "通勤", {}, {}, "通勤"},
      {"駅前", "通勤", {}, {"通勤"}, "通勤(2)"},
      {"駅前", "通勤 ", {DayKind::Weekday, DayKind::Saturday}, {}, "通勤 平日・土曜"},
      {"駅前", twenty + "なにぬ", {}, {}, twenty},
      {"駅前", "ab                 cd", {}, {}, "ab                 c"},
      {"駅前", "ab                  cd", {}, {}, "ab"},
  };
  TestFeed feed;
  test::TempFolder dir;
  for (const Case& c : cases) {
    feed.Files["stops.txt"] = "stop_id,stop_name\nS1," + c.Name + "\nS2,終点\n";
    const auto built = feed.Open(dir).ReadStop("S1").Build(
        {.Date = kMonday, .Title = c.Title, .Kinds = c.Kinds, .TakenTitles = c.Taken});
    EXPECT_EQ(built.Record.Title, c.Expected) << c.Name << " / " << c.Title;
  }
  // A kind name cut at a blank loses it.
  feed.Files["routes.txt"] =
      "route_id,route_short_name,route_long_name,route_type\nR1,,Flatbush Av Local,3\n";
  const auto built = feed.Open(dir).ReadStop("S1").Build({.Date = kMonday});
  EXPECT_EQ(built.Record.Types[0].Name, "Flatbush");
}

TEST(DayDirections, AreNamedByTheirCommonestHeadsign) {
  TestFeed feed;
  feed.Files["trips.txt"] =
      "route_id,service_id,trip_id,trip_headsign,direction_id\n"
      "R1,WK,T1,品川駅,0\nR1,WK,T2,渋谷駅,0\nR1,WK,T3,,0\nR1,WK,T4,,1\n";
  feed.Files["stop_times.txt"] =
      "trip_id,departure_time,stop_id,stop_sequence,stop_headsign\n"
      "T1,08:00:00,S1,1,\nT1,08:30:00,S2,2,\nT2,08:10:00,S1,1,\nT2,08:40:00,S2,2,\n"
      "T3,08:20:00,S1,1,渋谷駅\nT3,08:50:00,S2,2,\nT4,08:20:00,S1,1,\nT4,08:50:00,S2,2,\n";
  test::TempFolder dir;
  const auto lines = feed.Open(dir).ReadStop("S1").Lines();
  EXPECT_EQ(lines.DirectionHeadsigns, (std::array<std::string, 2>{"渋谷駅", ""}));
}

TEST(DayStartHour, MovesOnlyAsFarAsTheDeparturesNeed) {
  struct Case {
    int First, Last, Current;
    std::optional<int> Expected;
  };
  const auto h = [](int hour, int minute) { return hour * 3600 + minute * 60; };
  const std::vector<Case> cases = {
      {h(5, 0), h(25, 30), 3, std::nullopt},  // past midnight, before 3:00: fits
      {h(5, 0), h(27, 10), 3, 4},             // the night bus needs the day to start later
      {h(2, 30), h(23, 0), 3, 2},             // a bus before 3:00 starts its own day
      {h(4, 50), h(28, 59), 5, std::nullopt},
      {h(3, 45), h(27, 30), 3, std::nullopt},  // more than a day: no hour fits; keep it
      {-1, -1, 3, std::nullopt},
  };
  for (const Case& c : cases) {
    gtfs::DayTimetable table;
    table.Result.Report.FirstSeconds = c.First;
    table.Result.Report.LastSeconds = c.Last;
    EXPECT_EQ(gtfs::NeededDayStartHour({table}, c.Current), c.Expected) << c.First << "-" << c.Last;
  }
}

}  // namespace
}  // namespace v42
