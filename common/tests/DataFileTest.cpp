#include <gtest/gtest.h>

#include <random>
#include <string>

#include "DataFile.h"
#include "DataFormat.h"
#include "TestFiles.h"

namespace v42 {
namespace {

using test::TempFolder;

constexpr const char* kHeaders =
    "******[JikokuData]******\r\n******[TypeData]******\r\n******[GridColor]******\r\n";

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// Reads UTF-8 text, written as CP932, into the store.
void ReadInto(const std::string& utf8, TimetableStore& store) {
  TempFolder folder;
  test::WriteCp932(folder / kDataFileName, utf8);
  ReadDataFile(store, folder.path());
}

TimetableStore ReadText(const std::string& utf8, TimetableStore store = {}) {
  ReadInto(utf8, store);
  return store;
}

void SetRow(TimetableRecord& record, int row, std::initializer_list<DepartureCell> cells) {
  int slot = 0;
  for (const DepartureCell& cell : cells) record.Departures[row][slot++] = cell;
}

TEST(DataFile, WorkedExampleReadsIntoTheStoreItDescribesAndWritesBackTheSameBytes) {
  TempFolder folder;
  const std::string golden = test::Golden("worked_example.dat");
  test::WriteBytes(folder / kDataFileName, golden);

  TimetableStore store;
  ReadDataFile(store, folder.path());

  TimetableStore expected;
  expected.Count = 1;
  TimetableRecord& r = expected.Records[0];
  r.Title = "駅前";
  SetRow(r, 0, {{6, 0}, {10, 'a'}, {40, 0}});
  SetRow(r, 1, {{7, 0}, {5, 0}, {35, 'b'}, {50, 0}});
  r.Types[0] = {"快速", 255, kWhite, true, false};
  r.Types[1] = {"最終", kBlack, 8454143, true, true};
  EXPECT_EQ(store.Count, 1);
  EXPECT_EQ(store.MaxSlot, 3);
  EXPECT_EQ(store.MaxRows, 2);
  EXPECT_EQ(store.Records, expected.Records);

  std::filesystem::remove(folder / kDataFileName);
  WriteDataFile(store, folder.path());
  EXPECT_EQ(test::ReadBytes(folder / kDataFileName), golden);
}

TEST(DataFile, MissingFileIsTheExistenceError) {
  TempFolder folder;
  TimetableStore store;
  for (bool asFolder : {false, true}) {
    if (asFolder) std::filesystem::create_directory(folder / kDataFileName);
    try {
      ReadDataFile(store, folder.path());
      ADD_FAILURE() << "no error";
    } catch (const FileError& e) {
      EXPECT_STREQ(e.what(), "velkan42.datが見つかりません。");
      EXPECT_EQ(e.Caption, "ファイル存在エラー");
      EXPECT_TRUE(e.EndsProgram);
    }
  }
}

TEST(DataFile, FormatErrorsLeaveTheStoreAsItWas) {
  const std::string type = "a,,Normal,1,1\r\n";
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"tenth title", Repeat("t>\r\n<\r\n", 10)},
      {"tenth title without end lines", Repeat("t>\r\n", 10)},
      {"25th row line", "t>\r\n" + Repeat("6\r\n", 25) + "<\r\n"},
      {"32nd cell", "t>\r\n6" + Repeat(",1", 31) + "\r\n<\r\n"},
      {"27th type line", "t>\r\n<\r\n******[TypeData]******\r\n>\r\n" + Repeat(type, 27)},
      {"tenth type block", "******[TypeData]******\r\n" + Repeat(">\r\n" + type + "<\r\n", 10)},
      {"tenth colour block", "******[GridColor]******\r\n" + Repeat(">\r\n1,2\r\n<\r\n", 10)},
      {"27th colour line", "******[GridColor]******\r\n>\r\n" + Repeat("1,2\r\n", 27)},
      {"value above 255", "t>\r\n6,256\r\n<\r\n"},
      {"negative value", "t>\r\n-1\r\n<\r\n"},
      {"cell ending in a double-byte character", "t>\r\n6,10快\r\n<\r\n"},
      {"type colour beyond 32 bits", "******[TypeData]******\r\n>\r\na,,Normal,4294967296,1\r\n"},
      {"back colour beyond 32 bits", "******[TypeData]******\r\n>\r\na,,Normal,1,-2147483649\r\n"},
      {"grid colour beyond 32 bits", "******[GridColor]******\r\n>\r\n1,2,3,9999999999,5,6\r\n"},
  };
  TimetableStore before;
  before.Count = 1;
  before.Records[0].Title = "元のまま";
  before.Records[0].Departures[0][0] = {8, 0};
  for (const auto& c : cases) {
    TimetableStore store = before;
    try {
      ReadInto(std::string(kHeaders).substr(0, 26) + c.text, store);
      ADD_FAILURE() << c.what << ": no error";
    } catch (const FileError& e) {
      EXPECT_STREQ(e.what(), "velkan42.datのファイル形式が不正です。") << c.what;
      EXPECT_EQ(e.Caption, "ファイル形式エラー") << c.what;
    }
    EXPECT_EQ(store.Records, before.Records) << c.what;
    EXPECT_EQ(store.Count, 1) << c.what;
  }
}

TEST(DataFile, BytesThatAreNotCp932AreTheFormatError) {
  TempFolder folder;
  test::WriteBytes(folder / kDataFileName, "******[JikokuData]******\r\n\x80\x80>\r\n<\r\n");
  TimetableStore store;
  EXPECT_THROW(ReadDataFile(store, folder.path()), FileError);
}

TEST(DataFile, RowsSlotsLimitsAndTheMaximaThatOnlyRise) {
  TimetableStore preset;
  preset.MaxSlot = 7;
  preset.MaxRows = 5;
  const TimetableStore store =
      ReadText("t>\r\n23\r\n0,5,10\r\n<\r\nleer>\r\n<\r\n  駅 前 (平日) >\r\n1,2\r\n<\r\n", preset);
  EXPECT_EQ(store.Count, 3);
  EXPECT_EQ(store.MaxSlot, 7);
  EXPECT_EQ(store.MaxRows, 5);
  const auto& rows = store.Records[0].Departures;
  EXPECT_EQ(rows[0][0].Value, 23);
  for (int s = 1; s < kSlotCount; ++s) EXPECT_EQ(rows[0][s].Value, kEmptyValue);
  EXPECT_EQ(rows[1][0].Value, 0);  // midnight follows 23, in service order
  EXPECT_EQ(rows[1][2].Value, 10);
  EXPECT_EQ(rows[2][0].Value, kEmptyValue);
  EXPECT_EQ(store.Records[1].Departures[0][0].Value, kEmptyValue);
  EXPECT_EQ(store.Records[2].Title, "  駅 前 (平日) ");

  const TimetableStore low = ReadText("t>\r\n23\r\n<\r\n");
  EXPECT_EQ(low.MaxSlot, 0);  // an hour alone does not widen the grid
  EXPECT_EQ(low.MaxRows, 1);

  // Nine blocks, 24 rows and 31 cells are the most the format holds.
  const TimetableStore nine = ReadText(Repeat("t>\r\n<\r\n", 9));
  EXPECT_EQ(nine.Count, 9);
  std::string hours;
  for (int h = 0; h < 23; ++h) hours += std::to_string(h) + "\r\n";
  const TimetableStore full = ReadText("t>\r\n" + hours + "6" + Repeat(",1", 30) + "\r\n<\r\n");
  EXPECT_EQ(full.MaxRows, 24);
  const TimetableStore wide = ReadText("t>\r\n6" + Repeat(",59z", 30) + "\r\n<\r\n");
  EXPECT_EQ(wide.MaxSlot, 30);
  EXPECT_EQ(wide.Records[0].Departures[0][30], (DepartureCell{59, 'z'}));
}

TEST(DataFile, ReadingResetsEveryRecordButKeepsNamesAndStyles) {
  TimetableStore store;
  store.Count = 3;
  for (TimetableRecord& r : store.Records) {
    r.Title = "old";
    r.Departures[0][0] = {9, 0};
    r.Types[4] = {"old", 1234, 5678, true, true};
    r.GridColors.NextBackColor = 42;
  }
  store = ReadText("t>\r\n6\r\n<\r\n", store);
  EXPECT_EQ(store.Count, 1);
  for (int t = 1; t < kTimetableCount; ++t) {
    const TimetableRecord& r = store.Records[t];
    EXPECT_EQ(r.Departures[0][0].Value, kEmptyValue);
    EXPECT_EQ(r.GridColors, GridColorSet{});
    EXPECT_EQ(r.Types[4], (TypeEntry{"old", kBlack, kWhite, true, true}));
  }
}

TEST(DataFile, TypeLinesStyleWordsAndColourFallbacks) {
  const struct {
    const char* line;
    TypeEntry type;  // read over an entry that was {"前", 7, 8, true, false}
  } cases[] = {
      {"a,快速,Bold  ,255,16777215", {"快速", 255, kWhite, true, false}},
      {"a,x,Normal,1,2", {"x", 1, 2, false, false}},
      {"a,x,Italic,1,2", {"x", 1, 2, false, true}},
      {"a,x,B + I ,1,2", {"x", 1, 2, true, true}},
      {"a,x,Bold,1,2", {"x", 1, 2, true, false}},  // no style word: style kept
      {"a,x,normal,1,2", {"x", 1, 2, true, false}},
      {"a,x,255,16777215", {"x", kBlack, kWhite, true, false}},  // four fields
      {"a,x,Normal,0,0", {"x", kBlack, kWhite, false, false}},
      {"a,x,Normal,65793,", {"x", kBlack, kWhite, false, false}},
      {"a", {"前", kBlack, kWhite, true, false}},
      {"a,x,Normal,1,2,3,4", {"x", 1, 4, false, false}},  // the last field is the back colour
      {"Q,  名 前 ,Normal,1,2", {"  名 前 ", 1, 2, false, false}},
  };
  for (const auto& c : cases) {
    TimetableStore store;
    store.Records[0].Types[0] = {"前", 7, 8, true, false};
    store = ReadText(std::string("******[TypeData]******\r\n>\r\n") + c.line + "\r\n<\r\n", store);
    EXPECT_EQ(store.Records[0].Types[0], c.type) << c.line;
  }
}

TEST(DataFile, GridColourLines) {
  const struct {
    const char* line;
    GridColorSet colors;
  } cases[] = {
      {"65793,255,65793,16744576,65793,16777215", GridColorSet{}},
      {"1,2,3,4,5,6", {5, 6, 1, 2, 3, 4}},
      {"255,65280", {kBlack, 65280, 255, 0x0000FF, kBlack, 0xFF8080}},
      {"0,0,0,0,0,0", {kBlack, kBlack, kBlack, kBlack, kBlack, kBlack}},
      {"1,2,3,4,5,6,7", {5, 7, 1, 2, 3, 4}},
  };
  for (const auto& c : cases) {
    const TimetableStore store =
        ReadText(std::string("******[GridColor]******\r\n>\r\n") + c.line + "\r\n<\r\n");
    EXPECT_EQ(store.Records[0].GridColors, c.colors) << c.line;
  }
}

TEST(DataFile, EmptyLinesAndAnUnfinishedLastLine) {
  // Without the first header, with empty lines around blocks and a stray line break at the end.
  const TimetableStore store = ReadText(
      "\r\n駅>\r\n6,10\r\n\r\n7\r\n<\r\n\r\n******[TypeData]******\r\n>\r\n\r\na,快,Normal,1,2\r\n"
      "b,x,Normal,3,4\r\n<\r\n******[GridColor]******\r\n>\r\n\r\n1,2,3\r\n<\r\n\r\n>\r\n9,8,7");
  EXPECT_EQ(store.Count, 1);
  EXPECT_EQ(store.MaxRows, 2);
  EXPECT_EQ(store.Records[0].Departures[1][0].Value, 7);
  EXPECT_EQ(store.Records[0].Types[0], (TypeEntry{"快", 1, 2, false, false}));
  EXPECT_EQ(store.Records[0].Types[1].Name, "x");
  EXPECT_EQ(store.Records[0].GridColors.BaseBackColor, 3);
  // The unfinished line of a block beyond Count keeps only the fields before its last ",".
  EXPECT_EQ(store.Records[1].GridColors.NextForeColor, 9);
  EXPECT_EQ(store.Records[1].GridColors.ChosenForeColor, kBlack);
  EXPECT_EQ(store.Records[1].GridColors.BaseBackColor, kWhite);
}

TEST(DataFile, WriterLines) {
  TimetableStore store;
  store.Count = 3;
  store.Records[0].Title = "空";
  store.Records[1].Title = "深夜";
  SetRow(store.Records[1], 0, {{23, 0}});
  SetRow(store.Records[1], 1, {{0, 0}, {10, '5'}, {20, 'A'}, {30, 'c'}});
  store.Records[2].Title = "満";
  store.Records[2].Departures[0][0] = {6, 0};
  for (int s = 1; s < kSlotCount; ++s) store.Records[2].Departures[0][s] = {59, 'z'};
  EXPECT_EQ(
      FormatDepartureBlocks(store),
      "空>\r\n<\r\n深夜>\r\n23\r\n0,10,20,30c\r\n<\r\n満>\r\n6" + Repeat(",59z", 30) + "\r\n<\r\n");
  store.Count = 0;
  TempFolder folder;
  WriteDataFile(store, folder.path());
  EXPECT_EQ(test::ReadBytes(folder / kDataFileName), kHeaders);
  EXPECT_EQ(ReadText(kHeaders).Count, 0);
}

// Any store the editor can hold: 0 to 9 timetables, rows passing midnight, letters, names.
TimetableStore RandomStore(std::mt19937& rng, int count) {
  const auto pick = [&rng](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
  };
  const auto color = [&] {
    const auto c = static_cast<Color>(rng());
    return c == 0 ? kBlack : c;
  };
  const char* words[] = {"", "快速", "各停", "ﾊﾞｽ", "急行 A", "最終", "始発便", "Local"};
  TimetableStore store;
  store.Count = static_cast<std::uint8_t>(count);
  for (int t = 0; t < count; ++t) {
    TimetableRecord& r = store.Records[t];
    r.Title = std::string(words[pick(0, 7)]) + " 時刻表" + std::to_string(t);
    const int rows = pick(0, 24);
    const int start = pick(0, 23);
    for (int row = 0; row < rows; ++row) {
      r.Departures[row][0].Value = static_cast<std::uint8_t>((start + row) % 24);
      const int n = pick(0, 4) == 0 ? 30 : pick(0, 8);
      for (int s = 1; s <= n; ++s) {
        r.Departures[row][s].Value = static_cast<std::uint8_t>(pick(0, 59));
        if (pick(0, 2) == 0)
          r.Departures[row][s].TypeLetter = static_cast<std::uint8_t>(pick('a', 'z'));
      }
    }
    for (TypeEntry& type : r.Types) {
      type = {words[pick(0, 7)], color(), color(), pick(0, 1) == 1, pick(0, 1) == 1};
    }
    r.GridColors = {color(), color(), color(), color(), color(), color()};
  }
  return store;
}

TEST(DataFile, AnyStoreWrittenAndReadBackIsTheSame) {
  std::mt19937 rng(4242);
  for (int count = 0; count <= kTimetableCount; ++count) {
    const TimetableStore store = RandomStore(rng, count);
    TempFolder folder;
    WriteDataFile(store, folder.path());
    const std::string bytes = test::ReadBytes(folder / kDataFileName);
    TimetableStore back;
    ReadDataFile(back, folder.path());
    EXPECT_EQ(back.Count, store.Count);
    EXPECT_EQ(back.Records, store.Records) << "count " << count;
    WriteDataFile(back, folder.path());
    EXPECT_EQ(test::ReadBytes(folder / kDataFileName), bytes);
  }
}

TEST(DataFile, TheSampleTimetableReads) {
  TimetableStore store;
  ReadDataFile(store, V42_EXAMPLES_DIR);
  EXPECT_EQ(store.Count, 3);
  EXPECT_EQ(store.Records[0].Title, "平日");
  EXPECT_EQ(store.Records[2].Departures[2][0].Value, 0);  // the late table passes midnight
  TempFolder folder;
  WriteDataFile(store, folder.path());
  EXPECT_EQ(test::ReadBytes(folder / kDataFileName),
            test::ReadBytes(std::filesystem::path(V42_EXAMPLES_DIR) / kDataFileName));
}

}  // namespace
}  // namespace v42
