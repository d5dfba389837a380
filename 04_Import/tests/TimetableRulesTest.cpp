// The rules from a stop's rows to the grid: which trips run, which rows count, hours, the
// 30 a row holds, the 26 kinds, names, colours and the title.
#include <gtest/gtest.h>

#include "DataFile.h"
#include "TestFeed.h"

namespace v42 {
namespace {

using gtfs::ImportChoice;
using gtfs::ImportResult;
using test::GridText;
using test::TestFeed;

constexpr CivilDate kMonday{2026, 12, 7};
constexpr CivilDate kWednesday{2026, 12, 9};
constexpr CivilDate kSaturday{2026, 12, 12};

// stop_times rows "trip,time,stop,sequence" with the departure equal to the arrival.
std::string StopTimes(const std::vector<std::string>& rows) {
  std::string text = "trip_id,stop_id,stop_sequence,arrival_time,departure_time,pickup_type\n";
  for (const std::string& row : rows) text += row + "\n";
  return text;
}

class Rules : public ::testing::Test {
 protected:
  ImportResult Build(const std::string& stop, ImportChoice choice = {}) {
    if (choice.Date == CivilDate{}) choice.Date = kMonday;
    return feed.Open(dir).ReadStop(stop).Build(choice);
  }
  std::string Grid(const std::string& stop, ImportChoice choice = {}) {
    return GridText(Build(stop, std::move(choice)).Record);
  }
  TestFeed feed;
  test::TempFolder dir;
};

TEST_F(Rules, CalendarExceptionsAddAndRemoveDates) {
  feed.Files["calendar_dates.txt"] =
      "service_id,date,exception_type\nWK,20261209,2\nWK,20261212,1\nEX,20261213,1\n";
  feed.Files["trips.txt"] = "route_id,service_id,trip_id\nR1,WK,T1\nR1,EX,T2\n";
  feed.Files["stop_times.txt"] = StopTimes({"T1,S1,1,08:10:00,08:10:00,", "T1,S2,2,08:30:00,,",
                                            "T2,S1,1,09:10:00,09:10:00,", "T2,S2,2,09:30:00,,"});
  EXPECT_EQ(Grid("S1", {.Date = kMonday}), "8: 10a\n");
  EXPECT_EQ(Grid("S1", {.Date = kWednesday}), "");
  EXPECT_EQ(Grid("S1", {.Date = kSaturday}), "8: 10a\n");
  EXPECT_EQ(Grid("S1", {.Date = {2026, 12, 13}}), "9: 10a\n");  // a service of one date only
  EXPECT_EQ(Grid("S1", {.Date = {2027, 1, 4}}), "");            // after the calendar's end
}

TEST_F(Rules, DaysOfAKindAreFoundWithinTheFeed) {
  feed.Files["calendar.txt"] =
      "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,end_date\n"
      "WK,1,1,1,1,1,0,0,20261120,20261130\nSU,0,0,0,0,0,0,1,20261120,20261130\n";
  const gtfs::Feed f = feed.Open(dir);
  EXPECT_EQ(f.FirstDate(), (CivilDate{2026, 11, 20}));
  EXPECT_EQ(f.LastDate(), (CivilDate{2026, 11, 30}));
  // 23 November 2026 is a Monday and Labour Thanksgiving Day.
  EXPECT_EQ(f.DateOfKind(DayKind::Holiday, {2026, 11, 23}, false), (CivilDate{2026, 11, 23}));
  EXPECT_EQ(f.DateOfKind(DayKind::Weekday, {2026, 11, 23}, false), (CivilDate{2026, 11, 24}));
  EXPECT_EQ(f.DateOfKind(DayKind::Weekday, {2026, 1, 1}, false), (CivilDate{2026, 11, 20}));
  // Nothing runs on Saturdays, and nothing at all after the 30th.
  EXPECT_EQ(f.DateOfKind(DayKind::Saturday, {2026, 11, 1}, false), std::nullopt);
  EXPECT_EQ(f.DateOfKind(DayKind::Weekday, {2026, 12, 1}, false), std::nullopt);

  // Removed dates at both ends, an added date removed again, and a service over ten thousand
  // years that never runs: the first and last dates are days something really runs.
  feed.Files["calendar.txt"] =
      "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,end_date\n"
      "WK,1,1,1,1,1,0,0,20261120,20261130\nNO,0,0,0,0,0,0,0,00000101,99991231\n";
  feed.Files["calendar_dates.txt"] =
      "service_id,date,exception_type\nWK,20261120,2\nWK,20261130,2\nWK,20261127,2\n"
      "EX,20261201,1\nEX,20261201,2\nNO,20261115,1\n";
  const gtfs::Feed g = feed.Open(dir);
  EXPECT_EQ(g.FirstDate(), (CivilDate{2026, 11, 15}));
  EXPECT_EQ(g.LastDate(), (CivilDate{2026, 11, 26}));
  EXPECT_EQ(g.DateOfKind(DayKind::Saturday, {2026, 11, 1}, false), std::nullopt);
  feed.Files["calendar_dates.txt"] = "service_id,date,exception_type\nNO,20261115,2\n";
  feed.Files["calendar.txt"] =
      "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,end_date\n"
      "WK,0,0,0,0,0,0,0,20261120,20261130\nNO,0,0,0,0,0,0,0,00000101,99991231\n";
  EXPECT_EQ(feed.Open(dir).FirstDate(), std::nullopt);
}

TEST_F(Rules, FrequenciesStandForOneTripPerHeadwayShiftedToTheStop) {
  feed.Files["frequencies.txt"] =
      "trip_id,start_time,end_time,headway_secs\nT1,08:00:00,09:00:00,1200\n"
      "T1,22:00:00,22:30:00,1800\n";
  feed.Files["stop_times.txt"] = StopTimes(
      {"T1,S2,1,07:00:00,07:00:00,", "T1,S1,2,07:05:00,07:05:00,", "T1,S2,3,07:30:00,07:30:00,"});
  EXPECT_EQ(Grid("S1"),
            "8: 5a 25a 45a\n9:\n10:\n11:\n12:\n13:\n14:\n15:\n16:\n17:\n18:\n19:\n"
            "20:\n21:\n22: 5a\n");
}

TEST_F(Rules, HoursAfterMidnightFollowInServiceOrder) {
  feed.Files["trips.txt"] = "route_id,service_id,trip_id\nR1,WK,T1\nR1,WK,T2\nR1,WK,T3\n";
  feed.Files["stop_times.txt"] = StopTimes(
      {"T1,S1,1,23:50:00,23:50:00,", "T1,S2,2,23:59:00,23:59:00,", "T2,S1,1,25:05:59,25:05:59,",
       "T2,S2,2,25:30:00,25:30:00,", "T3,S1,1,24:10:00,24:10:00,", "T3,S2,2,24:20:00,24:20:00,"});
  EXPECT_EQ(Grid("S1"), "23: 50a\n0: 10a\n1: 5a\n");
}

TEST_F(Rules, RoundTheClockServiceSharesRowsBetweenHourAndHourPlus24) {
  std::string trips = "route_id,service_id,trip_id\n";
  std::vector<std::string> rows;
  const std::vector<std::string> times = {"04:40:00", "28:10:00", "04:05:00", "29:15:00",
                                          "05:50:00"};
  for (std::size_t i = 0; i < times.size(); ++i) {
    const std::string t = "T" + std::to_string(i);
    trips += "R1,WK," + t + "\n";
    rows.push_back(t + ",S1,1," + times[i] + "," + times[i] + ",");
    rows.push_back(t + ",S2,2,30:00:00,30:00:00,");
  }
  feed.Files["trips.txt"] = trips;
  feed.Files["stop_times.txt"] = StopTimes(rows);
  const ImportResult r = Build("S1");
  EXPECT_EQ(r.Report.Hours, 24);
  const std::string grid = GridText(r.Record);
  EXPECT_EQ(grid.substr(0, grid.find('\n', grid.find('\n') + 1) + 1),
            "4: 5a 10a 40a\n5: 15a 50a\n");
  EXPECT_EQ(grid.substr(grid.rfind('\n', grid.size() - 2) + 1), "3:\n");
}

TEST_F(Rules, StationTakesItsPlatformsAndAPlatformOnlyItself) {
  feed.Files["stops.txt"] =
      "stop_id,stop_name,parent_station,location_type\n"
      "P,中央駅,,1\nP1,中央駅 1番のりば,P,0\nP2,中央駅 2番のりば,P,0\nS2,終点,,0\n";
  feed.Files["trips.txt"] = "route_id,service_id,trip_id\nR1,WK,T1\nR1,WK,T2\n";
  feed.Files["stop_times.txt"] =
      StopTimes({"T1,P1,1,08:10:00,08:10:00,", "T1,S2,2,08:30:00,08:30:00,",
                 "T2,P2,1,08:20:00,08:20:00,", "T2,S2,2,08:40:00,08:40:00,"});
  EXPECT_EQ(Grid("P"), "8: 10a 20a\n");
  EXPECT_EQ(Grid("P2"), "8: 20a\n");
}

TEST_F(Rules, NoBoardingAtTheLastStopWithPickupOneOrWithoutDepartureTime) {
  feed.Files["trips.txt"] = "route_id,service_id,trip_id\nR1,WK,T1\nR1,WK,T2\n";
  // T1 ends at S1 (rows out of order); T2 passes S1 without pickup, then without a time.
  feed.Files["stop_times.txt"] =
      StopTimes({"T1,S1,3,09:00:00,09:00:00,", "T1,S1,1,08:00:00,08:00:00,0",
                 "T1,S2,2,08:30:00,08:30:00,", "T2,S1,1,10:00:00,10:00:00,1", "T2,S1,2,,,",
                 "T2,S1,3,10:20:00,10:20:00,", "T2,S2,4,10:40:00,,"});
  EXPECT_EQ(Grid("S1"), "8: 0a\n9:\n10: 20a\n");
}

TEST_F(Rules, AnHourHoldsThirtyAndTheLatestBeyondAreReported) {
  std::string trips = "route_id,service_id,trip_id\n";
  std::vector<std::string> rows;
  for (int i = 0; i < 32; ++i) {
    const std::string t = "T" + std::to_string(i), minute = std::to_string(10 + (i * 37) % 32);
    trips += "R1,WK," + t + "\n";
    rows.push_back(t + ",S1,1,08:" + minute + ":00,08:" + minute + ":00,");
    rows.push_back(t + ",S2,2,09:50:00,09:50:00,");
  }
  feed.Files["trips.txt"] = trips;
  feed.Files["stop_times.txt"] = StopTimes(rows);
  const ImportResult r = Build("S1");
  EXPECT_EQ(r.Report.Departures, 30);
  EXPECT_EQ(r.Report.LeftOut, (std::vector<gtfs::HourLeftOut>{{8, 2}}));
  const std::string grid = GridText(r.Record);
  EXPECT_EQ(grid.substr(0, 10), "8: 10a 11a");
  EXPECT_NE(grid.find("39a\n"), std::string::npos);
  EXPECT_EQ(grid.find("40a"), std::string::npos);
  EXPECT_EQ(grid.find("41a"), std::string::npos);
}

TEST_F(Rules, TwentySixKindsAtMostTheBusiestKeepLettersInOrderOfFirstDeparture) {
  std::string routes = "route_id,route_short_name,route_long_name,route_type\n";
  std::string trips = "route_id,service_id,trip_id\n";
  std::vector<std::string> rows;
  int n = 0;
  for (int route = 0; route < 27; ++route) {
    const std::string id = "R" + std::to_string(route);
    routes += id + ",系統" + std::to_string(route) + ",,3\n";
    // Route 0 runs first but only once: it is the one to lose its letter.
    for (int k = 0; k < (route == 0 ? 1 : 2); ++k, ++n) {
      const std::string t = "T" + std::to_string(n);
      const std::string time = (route == 0 ? "05"
                                : k == 0   ? "06"
                                           : "07") +
                               std::string(":") + (route < 10 ? "0" : "") + std::to_string(route) +
                               ":00";
      trips += id + ",WK," + t + "\n";
      rows.push_back(t + ",S1,1," + time + "," + time + ",");
      rows.push_back(t + ",S2,2,23:00:00,23:00:00,");
    }
  }
  feed.Files["routes.txt"] = routes;
  feed.Files["trips.txt"] = trips;
  feed.Files["stop_times.txt"] = StopTimes(rows);
  const ImportResult r = Build("S1");
  EXPECT_EQ(r.Report.Kinds, 26);
  EXPECT_EQ(r.Report.UnletteredKinds, std::vector<std::string>{"系統0"});
  EXPECT_EQ(r.Record.Types[0].Name, "系統1");
  EXPECT_EQ(r.Record.Types[25].Name, "系統26");
  const std::string grid = GridText(r.Record);
  EXPECT_EQ(grid.substr(0, 9), "5: 0\n6: 1");  // no letter on the 27th
  EXPECT_NE(grid.find(" 26z\n7: 1a "), std::string::npos);
}

TEST_F(Rules, FiltersByRouteHeadsignAndDirection) {
  feed.Files["routes.txt"] = "route_id,route_short_name,route_type\nR1,1番,3\nR2,2番,3\n";
  feed.Files["trips.txt"] =
      "route_id,service_id,trip_id,trip_headsign,direction_id\n"
      "R1,WK,T1,東行,0\nR1,WK,T2,西行,1\nR2,WK,T3,東行,0\nR2,WK,T4,,\n";
  feed.Files["stop_times.txt"] =
      "trip_id,stop_id,stop_sequence,departure_time,stop_headsign\n"
      "T1,S1,1,08:01:00,\nT1,S2,2,09:00:00,\nT2,S1,1,08:02:00,\nT2,S2,2,09:00:00,\n"
      "T3,S1,1,08:03:00,\nT3,S2,2,09:00:00,\nT4,S1,1,08:04:00,北行\nT4,S2,2,09:00:00,\n";
  const auto lines = feed.Open(dir).ReadStop("S1").Lines();
  EXPECT_EQ(lines.Routes, (std::vector<gtfs::RouteChoice>{{"R1", "1番"}, {"R2", "2番"}}));
  EXPECT_EQ(lines.Headsigns, (std::vector<std::string>{"北行", "東行", "西行"}));
  EXPECT_EQ(lines.Directions, (std::vector<int>{0, 1}));
  EXPECT_EQ(Grid("S1", {.RouteIds = {"R2"}}), "8: 3a 4a\n");
  EXPECT_EQ(Grid("S1", {.Headsigns = {"東行", "北行"}}), "8: 1a 3b 4b\n");
  EXPECT_EQ(Grid("S1", {.Direction = 1}), "8: 2a\n");
  EXPECT_EQ(Grid("S1", {.RouteIds = {"R1", "R2"}, .Direction = 0}), "8: 1a 3b\n");
  EXPECT_EQ(Grid("S1", {.Types = gtfs::TypeGrouping::Headsign}), "8: 1a 2b 3a 4c\n");
}

TEST_F(Rules, KindNamesColoursAndTitleFitTheirBoxes) {
  feed.Files["routes.txt"] =
      "route_id,route_short_name,route_long_name,route_color,route_text_color,route_type\n"
      "R1,,Airport Limited Express,0080FF,000000,3\nR2,2番,,zz,,3\nR3,𠮷野,,,,3\n";
  feed.Files["translations.txt"] =
      "table_name,field_name,language,translation,record_id\n"
      "routes,route_long_name,ja,空港特急リムジン,R1\n"
      "trips,trip_headsign,ja,空港,T1\n";
  feed.Files["trips.txt"] =
      "route_id,service_id,trip_id,trip_headsign\n"
      "R1,WK,T1,Airport\nR2,WK,T2,\"港<東>,口\"\nR3,WK,T3,\n";
  feed.Files["stop_times.txt"] =
      StopTimes({"T1,S1,1,08:01:00,08:01:00,", "T1,S2,2,09:00:00,,", "T2,S1,1,08:02:00,08:02:00,",
                 "T2,S2,2,09:00:00,,", "T3,S1,1,08:03:00,08:03:00,", "T3,S2,2,09:00:00,,"});
  ImportResult r = Build("S1");
  const auto& types = r.Record.Types;
  EXPECT_EQ(types[0], (TypeEntry{"空港特急リムジン", kBlack, 0xFF8000}));
  EXPECT_EQ(types[1], (TypeEntry{"2番", kBlack, kWhite}));  // an unreadable colour: the default
  EXPECT_EQ(types[2].Name, "〓野");
  EXPECT_EQ(r.Record.Title, "駅前 平日");
  EXPECT_EQ(r.Record.GridColors, GridColorSet{});

  r = Build("S1", {.Date = kSaturday,
                   .Types = gtfs::TypeGrouping::Headsign,
                   .Title = "とても長い題名は二十文字までしか入らないので切れる"});
  EXPECT_EQ(r.Record.Title, "とても長い題名は二十文字までしか入らない");
  r = Build("S1", {.Types = gtfs::TypeGrouping::Headsign});
  EXPECT_EQ(r.Record.Types[0].Name, "空港");
  EXPECT_EQ(r.Record.Types[1].Name, "港＜東＞，口");  // what the data file reserves
  EXPECT_EQ(r.Record.Types[2].Name, "〓野");          // no headsign: the route's name
  EXPECT_EQ(r.Report.Changed,
            (std::vector<gtfs::TextChange>{{"港<東>,口", "港＜東＞，口"}, {"𠮷野", "〓野"}}));
}

TEST_F(Rules, ImportedTextsReadBackTheSameFromTheSavedFile) {
  // CP932 stores the wave dash, the minus sign, the em dash, the yen sign and the double bar
  // as characters that read back as others; the import takes those at once, so the preview
  // shows what the file will hold.
  feed.Files["routes.txt"] = "route_id,route_short_name,route_type\nR1,東京〜大阪−¥—,3\n";
  ImportResult r = Build("S1", {.Title = "〜駅前‖"});
  EXPECT_EQ(r.Record.Types[0].Name, "東京～大阪－\\―");
  EXPECT_EQ(r.Record.Title, "～駅前∥");
  TimetableStore store;
  gtfs::AppendTimetable(store, r.Record);
  WriteDataFile(store, dir.path());
  TimetableStore read;
  ReadDataFile(read, dir.path());
  EXPECT_EQ(read.Records[0], r.Record);
}

TEST(AppendTimetable, AddsAfterTheOthersAndRefusesATenth) {
  TimetableStore store;
  TimetableRecord record;
  record.Title = "取込";
  record.Departures[0][0].Value = 5;
  record.Departures[1][0].Value = 6;
  record.Departures[1][1].Value = 30;
  record.Departures[1][2].Value = 45;
  for (int i = 0; i < kTimetableCount; ++i) gtfs::AppendTimetable(store, record);
  EXPECT_EQ(store.Count, kTimetableCount);
  EXPECT_EQ(store.Records[8], record);
  EXPECT_EQ(store.MaxRows, 2);
  EXPECT_EQ(store.MaxSlot, 2);
  const TimetableStore before = store;
  const std::string message = test::ImportError([&] { gtfs::AppendTimetable(store, record); });
  EXPECT_NE(message.find("9件"), std::string::npos);
  EXPECT_EQ(store.Count, before.Count);
  EXPECT_EQ(store.Records, before.Records);
}

}  // namespace
}  // namespace v42
