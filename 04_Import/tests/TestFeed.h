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
