#include <gtest/gtest.h>

#include <random>
#include <string>

#include "DataFile.h"
#include "DataFormat.h"
#include "TestFiles.h"

namespace v42 {
namespace {

using test::TempFolder;

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// Reads UTF-8 text, written as CP932, into the store; text that is not UTF-8 is written as it is.
// The departures' section line goes first unless the text has it.
void ReadInto(std::string utf8, TimetableStore& store) {
  TempFolder folder;
  if (utf8.find("[JikokuData]") == std::string::npos) utf8 = test::kDeparturesLine + utf8;
  test::WriteBytes(folder / kDataFileName, Utf8ToCp932(utf8).value_or(utf8));
  ReadDataFile(store, folder.path());
}

TimetableStore ReadText(const std::string& utf8, TimetableStore store = {}) {
  ReadInto(utf8, store);
  return store;
}

// Reads the file and checks that writing what was read gives the same bytes back.
TimetableStore ReadAndRewrite(const std::filesystem::path& file) {
  TempFolder folder;
  std::filesystem::copy_file(file, folder / kDataFileName);
  TimetableStore store;
  ReadDataFile(store, folder.path());
  std::filesystem::remove(folder / kDataFileName);
  WriteDataFile(store, folder.path());
  EXPECT_EQ(test::ReadBytes(folder / kDataFileName), test::ReadBytes(file)) << file;
  return store;
}

TEST(DataFile, WorkedExampleAndSampleReadAndWriteBackTheSameBytes) {
  const TimetableStore store = ReadAndRewrite(V42_GOLDEN_DIR "/worked_example.dat");
  TimetableStore expected;
  TimetableRecord& r = expected.Records[0];
  r.Title = "駅前";
  r.Departures[0] = {{{6, 0}, {10, 'a'}, {40, 0}}};
  r.Departures[1] = {{{7, 0}, {5, 0}, {35, 'b'}, {50, 0}}};
  r.Types[0] = {"快速", 255, kWhite, true, false};
  r.Types[1] = {"最終", kBlack, 8454143, true, true};
  EXPECT_EQ(store.Count, 1);
  EXPECT_EQ(store.MaxSlot, 3);
  EXPECT_EQ(store.MaxRows, 2);
  EXPECT_EQ(store.Records, expected.Records);

  EXPECT_EQ(ReadAndRewrite(V42_EXAMPLES_DIR "/velkan42.dat").Count, 3);
}

TEST(DataFile, MissingFileIsTheExistenceError) {
  TimetableStore store;
  test::ExpectFileError([&] { ReadDataFile(store, TempFolder().path()); }, "ファイル存在エラー",
                        "velkan42.datが見つかりません。");
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
      {"tenth colour block", "******[GridColor]******\r\n" + Repeat(">\r\n1,2\r\n<\r\n", 10)},
      {"cell ending in a double-byte character", "t>\r\n6,10快\r\n<\r\n"},
      {"type colour beyond 32 bits", "******[TypeData]******\r\n>\r\na,,Normal,4294967296,1\r\n"},
      {"grid colour beyond 32 bits", "******[GridColor]******\r\n>\r\n1,2,3,4,5,-2147483649\r\n"},
      {"bytes that are not CP932", "\x80\x80>\r\n<\r\n"},
      {"a cut character after a byte order mark", "\xEF\xBB\xBFt>\r\n6,\xE6\x9D\r\n<\r\n"},
  };
  const TimetableStore before = ReadText("元のまま>\r\n8\r\n<\r\n");
  for (const auto& c : cases) {
    TimetableStore store = before;
    test::ExpectFileError([&] { ReadInto(c.text, store); }, "ファイル形式エラー",
                          "velkan42.datのファイル形式が不正です。", c.what);
    EXPECT_EQ(store.Records, before.Records) << c.what;
    EXPECT_EQ(store.Count, 1) << c.what;
  }
}

// A timetable saved as UTF-8 by a Linux text editor reads as the CP932 file it came from.
TEST(DataFile, UnicodeFilesReadLikeTheirCp932Original) {
  const std::string cp932 = test::ReadBytes(V42_GOLDEN_DIR "/worked_example.dat");
  const std::string utf8 = Cp932ToUtf8(cp932).value();
  ASSERT_NE(utf8, cp932);  // the example holds Japanese text
  TimetableStore original;
  ReadInto(utf8, original);
  for (const std::string& bytes : {utf8, "\xEF\xBB\xBF" + utf8}) {
    TempFolder folder;
    test::WriteBytes(folder / kDataFileName, bytes);
    TimetableStore store;
    ReadDataFile(store, folder.path());
    EXPECT_EQ(store.Records, original.Records);
    EXPECT_EQ(store.Count, original.Count);
  }
}

// Half-width katakana before a kanji or another katakana can form valid UTF-8 ("ﾐｱ" is "б",
// "ﾂｧ" is "§"); what the editor saved must still read back as typed.
TEST(DataFile, HalfWidthKatakanaThatLookLikeUtf8ReadBackAsSaved) {
  TempFolder folder;
  TimetableStore saved = ReadText("ﾐｱ>\r\n6,5\r\n<\r\nﾂｧ ﾌ前>\r\n7,5\r\n<\r\n");
  ASSERT_EQ(saved.Count, 2);
  EXPECT_EQ(saved.Records[0].Title, "ﾐｱ");
  WriteDataFile(saved, folder.path());
  TimetableStore back;
  ReadDataFile(back, folder.path());
  EXPECT_EQ(back.Records, saved.Records);
}

// What a UTF-8 file holds beyond CP932 reads as the geta mark, so the timetable saves again.
TEST(DataFile, AUnicodeTitleBeyondTheFileReadsAsTheGetaMarkAndSaves) {
  TempFolder folder;
  test::WriteBytes(folder / kDataFileName,
                   "\xEF\xBB\xBF" + std::string(test::kDeparturesLine) + "🚌駅前>\r\n6,5\r\n<\r\n");
  TimetableStore store;
  ReadDataFile(store, folder.path());
  ASSERT_EQ(store.Count, 1);
  EXPECT_EQ(store.Records[0].Title, "〓駅前");
  EXPECT_NO_THROW(WriteDataFile(store, folder.path()));
}

TEST(DataFile, ReadingResetsSkipsEmptyLinesAndDropsAnUnfinishedLastLine) {
  TimetableStore old;
  old.Count = 3;
  old.MaxSlot = 1;
  old.MaxRows = 5;
  for (TimetableRecord& r : old.Records) {
    r.Departures[0] = {{{9, 0}, {9, 0}}};
    r.Types[4] = {"old", 1234, 5678, true, true};
    r.GridColors.NextBackColor = 42;
  }
  // Without the first header, with empty lines around blocks and no line break at the end.
  const TimetableStore store = ReadText(
      "\r\n  駅 前 >\r\n23\r\n\r\n0,5,10\r\n<\r\n\r\nt>\r\n<\r\n******[TypeData]******\r\n>\r\n"
      "\r\na,快,Normal,1,2\r\n<\r\n******[GridColor]******\r\n>\r\n\r\n1,2,3\r\n<\r\n>\r\n9,8,7",
      old);
  EXPECT_EQ(store.Count, 2);
  EXPECT_EQ(store.MaxSlot, 2);  // maxima only rise
  EXPECT_EQ(store.MaxRows, 5);
  const TimetableRecord& first = store.Records[0];
  EXPECT_EQ(first.Title, "  駅 前 ");
  EXPECT_EQ(first.Departures[0][1].Value, kEmptyValue);
  EXPECT_EQ(first.Departures[1][2].Value, 10);
  EXPECT_EQ(first.Types[0], (TypeEntry{"快", 1, 2, false, false}));
  EXPECT_EQ(first.GridColors.BaseBackColor, 3);
  // The unfinished line keeps only the fields before its last ",".
  EXPECT_EQ(store.Records[1].GridColors, (GridColorSet{kBlack, kWhite, 9, 8, kBlack, 0xFF8080}));
  // Every record is reset; names and styles stay for the blocks that follow to overwrite.
  const TimetableRecord& last = store.Records[kTimetableCount - 1];
  EXPECT_EQ(last.Departures[0][0].Value, kEmptyValue);
  EXPECT_EQ(last.GridColors, GridColorSet{});
  EXPECT_EQ(last.Types[4], (TypeEntry{"old", kBlack, kWhite, true, true}));
}

TEST(DataFile, TypeLinesStyleWordsAndColourFallbacks) {
  const struct {
    const char* line;
    TypeEntry type;  // read over an entry that was {"前", 7, 8, true, false}
  } cases[] = {
      {"a,  快 速 ,Bold  ,255,16777215", {"  快 速 ", 255, kWhite, true, false}},
      {"a,x,Normal,1,2", {"x", 1, 2, false, false}},
      {"a,x,Italic,1,2", {"x", 1, 2, false, true}},
      {"a,x,B + I ,1,2", {"x", 1, 2, true, true}},
      {"a,x,B + I,1,2", {"x", 1, 2, true, false}},  // no style word: style kept
      {"a,x,normal,1,2", {"x", 1, 2, true, false}},
      {"a,x,255,16777215", {"x", kBlack, kWhite, true, false}},  // four fields
      {"a,x,Normal,0,0", {"x", kBlack, kWhite, false, false}},
      {"a", {"前", kBlack, kWhite, true, false}},
      {"a,x,Normal,1,2,3,4", {"x", 1, 4, false, false}},  // the last field is the back colour
  };
  for (const auto& c : cases) {
    TimetableStore store;
    store.Records[0].Types[0] = {"前", 7, 8, true, false};
    store = ReadText(std::string("******[TypeData]******\r\n>\r\n") + c.line + "\r\n<\r\n", store);
    EXPECT_EQ(store.Records[0].Types[0], c.type) << c.line;
  }
}

TEST(DataFile, GridColourLinesFallBackToBlackAndEndWithTheBaseBackColour) {
  const TimetableStore store =
      ReadText("******[GridColor]******\r\n>\r\n0,0,0,0,0,0\r\n<\r\n>\r\n1,2,3,4,5,6,7\r\n<\r\n");
  EXPECT_EQ(store.Records[0].GridColors,
            (GridColorSet{kBlack, kBlack, kBlack, kBlack, kBlack, kBlack}));
  EXPECT_EQ(store.Records[1].GridColors, (GridColorSet{5, 7, 1, 2, 3, 4}));
}

TEST(DataFile, WriterLeavesOutLettersOutsideAToZ) {
  TimetableStore store;
  store.Count = 2;
  store.Records[0].Title = "空";
  store.Records[1].Title = "深夜";
  store.Records[1].Departures[0] = {{{0, 0}, {10, '5'}, {20, 'A'}, {30, 'c'}}};
  EXPECT_EQ(FormatDepartureBlocks(store), "空>\r\n<\r\n深夜>\r\n0,10,20,30c\r\n<\r\n");
}

// A departure of 255 in a file is an empty cell; the row it sits in stays one row when saved,
// where a line break at the gap would add a row (and a 25th would make the file unreadable).
TEST(DataFile, AnEmptyCellBetweenDeparturesStaysInItsRow) {
  const TimetableStore read = ReadText("題>\r\n6,10,255,40a\r\n7,5\r\n<\r\n");
  EXPECT_EQ(FormatDepartureBlocks(read), "題>\r\n6,10,40a\r\n7,5\r\n<\r\n");
}

// Any store the editor can hold: rows passing midnight, letters, names; the first timetable has
// all 24 rows and a full first row.
TimetableStore RandomStore(std::mt19937& rng, int count) {
  const auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(rng); };
  const auto color = [&] { return static_cast<Color>(rng() | 1); };  // 0 is no colour
  const char* words[] = {"", "快速", "各停", "ﾊﾞｽ", "急行 A", "最終", "始発便", "Local"};
  TimetableStore store;
  store.Count = static_cast<std::uint8_t>(count);
  for (int t = 0; t < count; ++t) {
    TimetableRecord& r = store.Records[t];
    r.Title = std::string(words[pick(0, 7)]) + " 時刻表" + std::to_string(t);
    const int start = pick(0, 23);
    for (int row = 0, rows = t == 0 ? kRowCount : pick(0, kRowCount); row < rows; ++row) {
      r.Departures[row][0].Value = static_cast<std::uint8_t>((start + row) % 24);
      const bool full = (t == 0 && row == 0) || pick(0, 4) == 0;
      for (int s = 1, n = full ? kSlotCount - 1 : pick(0, 8); s <= n; ++s) {
        r.Departures[row][s] = {static_cast<std::uint8_t>(pick(0, 59)),
                                static_cast<std::uint8_t>(pick(0, 2) == 0 ? pick('a', 'z') : 0)};
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
    TimetableStore back;
    ReadDataFile(back, folder.path());
    EXPECT_EQ(back.Count, store.Count);
    EXPECT_EQ(back.Records, store.Records) << "count " << count;
  }
}

}  // namespace
}  // namespace v42
