#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <random>

#include "EditorList.h"
#include "IniFile.h"
#include "TableOrigins.h"
#include "TestFiles.h"

namespace v42 {
namespace {

// The file's timetable i is titled "T<i>", so its place in the list can be looked up.
TimetableStore Titled(int count) {
  TimetableStore store;
  for (int i = 0; i < count; ++i) store.Records[i].Title = "T" + std::to_string(i);
  store.Count = static_cast<std::uint8_t>(count);
  return store;
}

int PlaceOf(const TimetableStore& store, int saved) {
  for (int i = 0; i < store.Count; ++i)
    if (store.Records[i].Title == "T" + std::to_string(saved)) return i;
  return -1;
}

// Long runs of the list window's operations, each followed as the window follows it: after
// every step each of the file's timetables is found where the list really has it.
TEST(TableOrigins, FollowTheListThroughMovesDeletesAndAdds) {
  std::mt19937 random(42);
  for (int run = 0; run < 20; ++run) {
    const int count = 1 + run % kTimetableCount;
    TimetableStore store = Titled(count);
    TableOrigins origins;
    origins.Reset(count);
    for (int step = 0; step < 60; ++step) {
      const int op = static_cast<int>(random() % 20);
      const int sel = store.Count == 0 ? -1 : static_cast<int>(random() % store.Count);
      if (op < 14) {
        const int to = op < 7 ? MoveUp(store, sel) : MoveDown(store, sel);
        if (to != sel) origins.Swap(sel, to);
      } else if (op < 17) {
        if (sel >= 0) origins.Erase(sel);
        DeleteAt(store, sel);
      } else if (op < 19) {
        if (AddNew(store)) origins.Insert(store.Count - 1);
      } else if (random() % 4 == 0) {
        AllDelete(store);
        origins.Reset(0);
      }
      for (int saved = 0; saved < kTimetableCount; ++saved)
        ASSERT_EQ(origins.Current(saved, store.Count), PlaceOf(store, saved))
            << "run " << run << " step " << step << " timetable " << saved;
    }
  }
}

TEST(TableOrigins, InsertedAndUnknownTimetablesAreNone) {
  TableOrigins origins;
  origins.Reset(3);   // 平日, 土曜, 休日
  origins.Insert(1);  // a copy between the first two is no timetable of the file
  origins.Swap(3, 0);
  EXPECT_EQ(origins.Current(0, 4), 3);
  EXPECT_EQ(origins.Current(1, 4), 2);
  EXPECT_EQ(origins.Current(2, 4), 0);
  EXPECT_EQ(origins.Current(3, 4), -1);  // past the file's list
  EXPECT_EQ(origins.Current(-1, 4), -1);
  EXPECT_EQ(origins.Current(0, 3), -1);  // beyond the list the caller has
  origins.Erase(0);
  EXPECT_EQ(origins.Current(2, 3), -1);
  EXPECT_EQ(origins.Current(0, 3), 2);
}

// --- the settings file -----------------------------------------------------------------------

IniSettings DayChoiceOn(std::array<int, 3> tables) {
  IniSettings settings;
  SetIniDefaults(settings);
  settings.Comments[1] = {"まもなく発車", 0x00FF00};
  settings.MoveTimes_Min = 4;
  settings.DayTables = {tables, 5, true};
  return settings;
}

IniSettings ReadBack(const std::filesystem::path& folder) {
  IniSettings settings;
  SetIniDefaults(settings);
  ReadIniFile(settings, folder);
  return settings;
}

// 休日 goes to the top and 土曜 is deleted: [休日, 平日].
TableOrigins HolidayFirstSaturdayGone() {
  TableOrigins origins;
  origins.Reset(3);
  origins.Swap(2, 1);
  origins.Swap(1, 0);
  origins.Erase(2);
  return origins;
}

TEST(FollowDayTables, NumbersFollowTheirTimetablesAndTheRestIsKept) {
  test::TempFolder folder;
  WriteIniFile(DayChoiceOn({0, 1, 2}), folder.path());
  TableOrigins origins = HolidayFirstSaturdayGone();
  FollowDayTables(origins, 2, folder.path());
  EXPECT_EQ(ReadBack(folder.path()), DayChoiceOn({1, -1, 0}));

  // The saved list is where the next changes count from.
  origins.Swap(0, 1);
  FollowDayTables(origins, 2, folder.path());
  EXPECT_EQ(ReadBack(folder.path()), DayChoiceOn({0, -1, 1}));

  // A file with only the day table: what it lacks is written as the clock took it.
  test::WriteBytes(folder / kIniFileName, "DayTable_Weekday=0\r\n");
  origins.Reset(3);
  origins.Swap(0, 2);
  FollowDayTables(origins, 3, folder.path());
  IniSettings expected;
  SetIniDefaults(expected);
  expected.DayTables.Tables = {2, -1, -1};
  EXPECT_EQ(ReadBack(folder.path()), expected);

  // A number past the file's list meant none, and must not come to mean an added timetable.
  WriteIniFile(DayChoiceOn({8, 0, 0}), folder.path());
  origins.Reset(2);
  FollowDayTables(origins, 2, folder.path());
  EXPECT_EQ(ReadBack(folder.path()), DayChoiceOn({-1, 0, 0}));
}

TEST(FollowDayTables, FilesItMustNotChangeStayByteForByte) {
  test::TempFolder folder;
  const auto unchanged = [&](const std::string& bytes, TableOrigins origins, int count,
                             const char* why) {
    test::WriteBytes(folder / kIniFileName, bytes);
    FollowDayTables(origins, count, folder.path());
    EXPECT_EQ(test::ReadBytes(folder / kIniFileName), bytes) << why;
  };
  IniSettings off;
  SetIniDefaults(off);
  WriteIniFile(off, folder.path());
  unchanged(test::ReadBytes(folder / kIniFileName), HolidayFirstSaturdayGone(), 2,
            "day choice off");
  // Only timetables the numbers do not name moved: a line of the user's own survives.
  TableOrigins swapped;
  swapped.Reset(3);
  swapped.Swap(0, 1);
  unchanged("# mine\r\nDayTable_Holiday=2\r\n", swapped, 3, "numbers still right");

  std::filesystem::remove(folder / kIniFileName);
  TableOrigins origins = HolidayFirstSaturdayGone();
  FollowDayTables(origins, 2, folder.path());
  EXPECT_FALSE(std::filesystem::exists(folder / kIniFileName));
}

// Imported day timetables are marked in the list and named in the settings at the save, where
// they then stand; a file the clock could not read is still never replaced.
TEST(FollowDayTables, MarkedImportsAreNamedWhereTheyEndUp) {
  test::TempFolder folder;
  TableOrigins origins;
  origins.Reset(1);
  origins.Insert(1);
  origins.Insert(2);
  origins.MarkDayKind(1, DayKind::Weekday);
  origins.MarkDayKind(2, DayKind::Saturday);
  origins.MarkDayKind(2, DayKind::Holiday);
  origins.DayStartHour = 4;
  origins.Swap(0, 2);  // the shared one to the top
  origins.Erase(1);    // the weekday one deleted: its mark goes with it
  FollowDayTables(origins, 2, folder.path());
  IniSettings expected;
  SetIniDefaults(expected);
  expected.DayTables = {{-1, 0, 0}, 4, false};
  EXPECT_EQ(ReadBack(folder.path()), expected);  // made, as none was there

  // Marks over the file's own numbers; the user's other keys stay; marks last one save.
  IniSettings mine = DayChoiceOn({0, 1, 1});
  mine.MoveTimes_Min = 7;
  WriteIniFile(mine, folder.path());
  origins.Reset(2);
  origins.Insert(2);
  origins.MarkDayKind(2, DayKind::Holiday);
  FollowDayTables(origins, 3, folder.path());
  mine.DayTables.Tables = {0, 1, 2};
  EXPECT_EQ(ReadBack(folder.path()), mine);
  origins.Swap(1, 2);
  FollowDayTables(origins, 3, folder.path());
  mine.DayTables.Tables = {0, 2, 1};
  EXPECT_EQ(ReadBack(folder.path()), mine);

  const std::string damaged = "DayTable_Weekday=0\r\n\xFF\xFF";
  test::WriteBytes(folder / kIniFileName, damaged);
  std::filesystem::permissions(folder / kIniFileName, std::filesystem::perms::none);
  if (::access((folder / kIniFileName).c_str(), R_OK) != 0) {  // not as root
    origins.Reset(3);
    origins.MarkDayKind(0, DayKind::Weekday);
    FollowDayTables(origins, 3, folder.path());
    std::filesystem::permissions(folder / kIniFileName, std::filesystem::perms::owner_all);
    EXPECT_EQ(test::ReadBytes(folder / kIniFileName), damaged);
  }
}

// The file keeps the old numbers when it cannot be written, so the next save must still
// count from the order they refer to.
TEST(FollowDayTables, AFailedWriteIsRetriedFromTheOldOrder) {
  test::TempFolder folder;
  WriteIniFile(DayChoiceOn({0, 1, 2}), folder.path());
  const std::string before = test::ReadBytes(folder / kIniFileName);
  TableOrigins origins = HolidayFirstSaturdayGone();

  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  const rlimit small{64, saved.rlim_max};  // the settings text is about 300 bytes
  ::setrlimit(RLIMIT_FSIZE, &small);
  bool threw = false;
  try {
    FollowDayTables(origins, 2, folder.path());
  } catch (const FileError& error) {
    threw = true;
    EXPECT_EQ(error.Caption, "ファイル書込エラー");
  }
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(threw);
  EXPECT_EQ(test::ReadBytes(folder / kIniFileName), before);

  FollowDayTables(origins, 2, folder.path());
  EXPECT_EQ(ReadBack(folder.path()), DayChoiceOn({1, -1, 0}));
}

}  // namespace
}  // namespace v42
