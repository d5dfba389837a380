// Small feeds written by the tests themselves, as a folder or a zip.
#pragma once

#include <zip.h>

#include <map>
#include <string>

#include "GtfsImport.h"
#include "TestFiles.h"

namespace v42::test {

// A weekday service through 2026, two stops and one route; a test replaces the files its
// rule needs. 2026-12-07 is a Monday.
struct TestFeed {
  std::map<std::string, std::string> Files{
      {"agency.txt",
       "agency_id,agency_name,agency_url,agency_timezone\n"
       "A,テストバス,https://example.jp,Asia/Tokyo\n"},
      {"stops.txt",
       "stop_id,stop_name,parent_station,location_type\n"
       "S1,駅前,,0\nS2,終点,,0\n"},
      {"routes.txt",
       "route_id,agency_id,route_short_name,route_long_name,route_type\n"
       "R1,A,1番,,3\n"},
      {"calendar.txt",
       "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,end_date\n"
       "WK,1,1,1,1,1,0,0,20260101,20261231\n"},
      {"trips.txt",
       "route_id,service_id,trip_id,trip_headsign,direction_id\n"
       "R1,WK,T1,終点行,0\n"},
      {"stop_times.txt",
       "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
       "T1,08:10:00,08:10:00,S1,1\nT1,08:30:00,08:30:00,S2,2\n"},
  };

  void WriteFolder(const std::filesystem::path& folder) const {
    std::filesystem::create_directories(folder);
    for (const auto& [name, text] : Files) WriteBytes(folder / name, text);
  }

  // Files under prefix inside the zip (e.g. "feed/" as some operators pack them); stored
  // uncompressed when a test wants to damage a file's bytes where it can find them.
  void WriteZip(const std::filesystem::path& file, const std::string& prefix = {},
                bool stored = false) const {
    int error = 0;
    zip_t* zip = zip_open(file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(zip, nullptr);
    for (const auto& [name, text] : Files) {
      zip_source_t* source = zip_source_buffer(zip, text.data(), text.size(), 0);
      const zip_int64_t index =
          zip_file_add(zip, (prefix + name).c_str(), source, ZIP_FL_ENC_UTF_8);
      ASSERT_GE(index, 0);
      if (stored) zip_set_file_compression(zip, index, ZIP_CM_STORE, 0);
    }
    ASSERT_EQ(zip_close(zip), 0);
  }

  // Opens it from a fresh folder under dir.
  gtfs::Feed Open(const TempFolder& dir, const gtfs::Progress& progress = {}) const {
    static int opened = 0;  // a fresh folder each time, so a removed file is really gone
    const auto folder = dir / ("feed" + std::to_string(++opened));
    WriteFolder(folder);
    return gtfs::Feed::Open(folder, progress);
  }
};

// A GTFS-JP shaped feed: one stop name for a station and its three poles, each pole with its
// own routes; a weekday, a Saturday and a Sunday service through 2027, and a bus at 27:10 on
// weekdays, past the clock's usual 3:00 start of a day.
inline TestFeed CommuterFeed() {
  TestFeed feed;
  feed.Files["stops.txt"] =
      "stop_id,stop_name,location_type,parent_station,platform_code,stop_code\n"
      "ST,東京駅丸の内南口,1,,,\n"
      "P1,東京駅丸の内南口,0,ST,1,\nP2,東京駅丸の内南口,0,ST,2,\nP3,東京駅丸の内南口,0,ST,,0712\n"
      "E,東京駅八重洲口,0,,,\n";
  feed.Files["routes.txt"] =
      "route_id,agency_id,route_short_name,route_long_name,route_type\n"
      "R1,A,都01,,3\nR2,A,都02,,3\nR3,A,東98,,3\nR4,A,深夜01,,3\n";
  feed.Files["calendar.txt"] =
      "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,end_date\n"
      "WK,1,1,1,1,1,0,0,20260101,20991231\nSA,0,0,0,0,0,1,0,20260101,20991231\n"
      "SU,0,0,0,0,0,0,1,20260101,20991231\n";
  feed.Files["trips.txt"] =
      "route_id,service_id,trip_id,trip_headsign,direction_id\n"
      "R1,WK,W1,渋谷駅,0\nR4,WK,W2,深夜 品川駅,0\nR2,SA,A1,新橋,0\nR3,SU,U1,目黒,1\n"
      "R1,SU,U2,渋谷駅,0\n";
  feed.Files["stop_times.txt"] =
      "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
      "W1,07:05:00,07:05:00,P1,1\nW1,07:30:00,07:30:00,E,2\n"
      "W2,27:10:00,27:10:00,P1,1\nW2,27:30:00,27:30:00,E,2\n"
      "A1,08:15:00,08:15:00,P2,1\nA1,08:40:00,08:40:00,E,2\n"
      "U1,09:20:00,09:20:00,P3,1\nU1,09:50:00,09:50:00,E,2\n"
      "U2,10:00:00,10:00:00,P1,1\nU2,10:30:00,10:30:00,E,2\n";
  return feed;
}

// The grid as text, one line per used row: "8: 10a 25b".
inline std::string GridText(const TimetableRecord& record) {
  std::string text;
  for (const DepartureRow& row : record.Departures) {
    if (row[0].Value == kEmptyValue) break;
    text += std::to_string(row[0].Value) + ":";
    for (int s = 1; s < kSlotCount && row[s].Value != kEmptyValue; ++s) {
      text += " " + std::to_string(row[s].Value);
      if (row[s].TypeLetter != 0) text += static_cast<char>(row[s].TypeLetter);
    }
    text += "\n";
  }
  return text;
}

// The message of the FileError that act throws; fails the test when it throws none.
template <class Act>
std::string ImportError(const Act& act) {
  try {
    act();
  } catch (const FileError& e) {
    EXPECT_EQ(e.Caption, gtfs::kImportErrorCaption);
    return e.what();
  }
  ADD_FAILURE() << "no error";
  return {};
}

}  // namespace v42::test
