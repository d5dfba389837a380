#include <gtest/gtest.h>

#include "DepartureGrid.h"
#include "EditorList.h"
#include "HourRange.h"
#include "InputRules.h"
#include "TypeStyle.h"
#include "UndoHistory.h"

namespace v42 {
namespace {

// --- list operations -------------------------------------------------------------------------

TimetableStore StoreOf(int count) {
  TimetableStore store;
  for (int i = 0; i < count; ++i) {
    store.Records[i].Title = "T" + std::to_string(i);
    store.Records[i].Departures[0][0].Value = static_cast<std::uint8_t>(i);
    store.Records[i].Types[0].Name = "type" + std::to_string(i);
    store.Records[i].GridColors.BaseBackColor = 0x123456 + i;
  }
  store.Count = static_cast<std::uint8_t>(count);
  return store;
}

TEST(EditorList, ButtonStatesFollowTheTable) {
  using S = std::array<bool, 6>;  // ALL DELETE, DELETE, ADD NEW, Edit, ▲, ▼
  struct Case {
    int n, sel;
    S expected;
  };
  const Case cases[] = {
      {0, -1, S{false, false, true, false, false, false}},
      {9, -1, S{true, false, false, false, false, false}},
      {3, 0, S{true, true, true, true, false, true}},
      {1, 0, S{true, true, true, true, false, false}},
      {3, 1, S{true, true, true, true, true, true}},
      {3, 2, S{true, true, true, true, true, false}},
      {9, 8, S{true, true, false, true, true, false}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ButtonStates(c.n, c.sel), c.expected) << "n=" << c.n << " sel=" << c.sel;
}

// Slot 1 held a timetable that was deleted: it comes back as fresh as a never used slot.
TEST(EditorList, AddNewGivesFreshTimetablesUntilTheStoreIsFull) {
  TimetableStore store = StoreOf(2);
  DeleteAt(store, 1);
  for (int i = 0; i < 8; ++i) EXPECT_TRUE(AddNew(store));
  TimetableRecord fresh;
  fresh.Title = kNewTitle;
  for (int i = 1; i < 9; ++i) EXPECT_EQ(store.Records[i], fresh) << i;
  const TimetableStore full = store;
  EXPECT_FALSE(AddNew(store));
  EXPECT_EQ(store.Count, 9);
  EXPECT_EQ(store.Records, full.Records);
}

TEST(EditorList, DeleteMovesTheLaterTimetablesUp) {
  for (const int sel : {8, 0}) {
    TimetableStore store = StoreOf(9);
    const TimetableStore before = store;
    DeleteAt(store, sel);
    EXPECT_EQ(store.Count, 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(store.Records[i], before.Records[i < sel ? i : i + 1]);
    EXPECT_EQ(store.Records[8], TimetableRecord{}) << sel;
  }
  TimetableStore store = StoreOf(3);
  DeleteAt(store, 3);  // outside the list
  DeleteAt(store, -1);
  EXPECT_EQ(store.Records, StoreOf(3).Records);
}

// Moves swap whole timetables; at either end of the list, or with no timetable selected,
// nothing moves, and never with a free slot behind the list.
TEST(EditorList, MovesSwapWholeTimetablesAndStopAtBothEnds) {
  struct Case {
    int count, sel;
    bool up;
    int to;
  };
  const Case cases[] = {
      {3, 2, true, 1},  {3, 1, true, 0},   {3, 0, true, 0},    {3, 0, false, 1},
      {3, 2, false, 2}, {9, 8, false, 8},  {9, 8, true, 7},    {1, 0, false, 0},
      {1, 0, true, 0},  {3, -1, true, -1}, {3, -1, false, -1}, {3, 3, true, 3},
  };
  for (const auto& c : cases) {
    TimetableStore store = StoreOf(c.count);
    const TimetableStore before = store;
    const int to = c.up ? MoveUp(store, c.sel) : MoveDown(store, c.sel);
    const std::string what =
        std::to_string(c.count) + (c.up ? " up " : " down ") + std::to_string(c.sel);
    EXPECT_EQ(to, c.to) << what;
    EXPECT_EQ(store.Count, before.Count) << what;
    for (int i = 0; i < kTimetableCount; ++i) {
      int from = i;
      if (c.to != c.sel && i == c.sel) from = c.to;
      if (c.to != c.sel && i == c.to) from = c.sel;
      EXPECT_EQ(store.Records[i], before.Records[from]) << what << " slot " << i;
    }
  }
}

// --- departure grid --------------------------------------------------------------------------

// Row 5 is the hour 10 and holds the given minute texts from column 1 on.
GridTexts RowFiveWith(const std::vector<std::pair<int, std::string>>& cells) {
  GridTexts texts;
  texts[5][0] = "10";
  for (const auto& [col, text] : cells) texts[5][col] = text;
  return texts;
}

TEST(DepartureGrid, OkRefusesHolesAndMinutesAboveFiftyNine) {
  struct Case {
    const char* what;
    GridTexts texts;
    std::optional<std::string> message;
    int row = 0, col = 0;
  };
  GridTexts withoutHour;
  withoutHour[3][1] = "5";
  const std::string hole = "10時の分データの入力は、左詰にしてください。";
  const Case cases[] = {
      {"columns 1, 2, 4", RowFiveWith({{1, "5"}, {2, "15"}, {4, "45"}}), hole, 5, 4},
      {"columns 1, 2, 3", RowFiveWith({{1, "5"}, {2, "15"}, {3, "45"}}), std::nullopt},
      {"middle one deleted", RowFiveWith({{1, "5"}, {3, "45"}}), hole, 5, 3},
      {"minute without hour", withoutHour, kSetHoursFirstMessage, 3, 1},
      {"hole before slot 30", RowFiveWith({{1, "5"}, {2, "15"}, {30, "59"}}), hole, 5, 30},
      {"75", RowFiveWith({{1, "5"}, {2, "75"}}),
       "10時の分データ「75」は、0～59の範囲で入力してください。", 5, 2},
      {"hole wins over 75", RowFiveWith({{1, "75"}, {3, "1"}}), hole, 5, 3},
      {"0 and 59", RowFiveWith({{1, "0"}, {2, "59"}}), std::nullopt},
  };
  for (const auto& c : cases) {
    const auto error = CheckDepartureTexts(c.texts);
    ASSERT_EQ(error.has_value(), c.message.has_value()) << c.what;
    if (!error) continue;
    EXPECT_EQ(error->Message, *c.message) << c.what;
    EXPECT_EQ(error->Row, c.row) << c.what;
    EXPECT_EQ(error->Col, c.col) << c.what;
  }
}

TEST(DepartureGrid, TypeLettersCycleThroughZBackToNone) {
  std::uint8_t letter = 0;
  std::string cycle;
  for (int i = 0; i < 27; ++i) {
    letter = NextTypeLetter(letter);
    cycle += letter ? static_cast<char>(letter) : '-';
  }
  EXPECT_EQ(cycle, "abcdefghijklmnopqrstuvwxyz-");
  for (const int stray : {int{'A'}, int{'`'}, int{'{'}, 200})  // never a letter: start again at a
    EXPECT_EQ(NextTypeLetter(static_cast<std::uint8_t>(stray)), 'a') << stray;

  for (const char32_t key : {U'a', U'z'}) EXPECT_EQ(TypeLetterOfKey(key), key);
  // Upper case, the neighbours of a..z, a full-width "ａ" and a code whose low byte is "a".
  for (const char32_t key : {U'A', U'Z', U'`', U'{', U'ａ', char32_t{0x161}, U' '})
    EXPECT_EQ(TypeLetterOfKey(key), 0) << static_cast<unsigned>(key);
}

TEST(DepartureGrid, CommitStoresTheTextsTitleAndKeepsTypeLetters) {
  TimetableRecord work;
  work.Title = "old";
  work.Types[2].Name = "急行";
  work.Departures[5][0] = {10, 0};
  work.Departures[5][1] = {20, 'a'};
  work.Departures[5][4] = {30, 'c'};  // emptied in the grid, its letter stays
  const GridTexts texts = RowFiveWith({{1, "5"}, {2, "15"}, {3, "45"}});

  const TimetableRecord stored = CommitEdit(work, "新しい題", texts);
  EXPECT_EQ(stored.Title, "新しい題");
  EXPECT_EQ(stored.Departures[5][0], (DepartureCell{10, 0}));
  EXPECT_EQ(stored.Departures[5][1], (DepartureCell{5, 'a'}));
  EXPECT_EQ(stored.Departures[5][2], (DepartureCell{15, 0}));
  EXPECT_EQ(stored.Departures[5][3], (DepartureCell{45, 0}));
  EXPECT_EQ(stored.Departures[5][4], (DepartureCell{255, 'c'}));
  EXPECT_EQ(stored.Types, work.Types);
}

// Minutes typed out of order (a forgotten bus added at the end) are put in order with their
// type letters; equal minutes stay side by side; a row with a hole is left for OK to name.
TEST(DepartureGrid, LeavingARowOrOkPutsItsMinutesInOrder) {
  const struct {
    std::vector<std::pair<const char*, std::uint8_t>> row;  // column 1 on
    std::vector<std::pair<const char*, std::uint8_t>> sorted;
    bool moved;
  } cases[] = {
      {{{"7", 'a'}, {"59", 0}, {"45", 'b'}}, {{"7", 'a'}, {"45", 'b'}, {"59", 0}}, true},
      {{{"30", 'a'}, {"10", 0}, {"30", 'b'}, {"10", 'c'}},
       {{"10", 0}, {"10", 'c'}, {"30", 'a'}, {"30", 'b'}},
       true},
      {{{"5", 0}, {"15", 0}}, {{"5", 0}, {"15", 0}}, false},
      {{{"45", 0}, {"", 0}, {"5", 0}}, {{"45", 0}, {"", 0}, {"5", 0}}, false},  // a hole
  };
  for (const auto& c : cases) {
    TimetableRecord work;
    WriteHourRange(work, {9, 1});
    GridTexts texts = TextsOf(work);
    for (std::size_t i = 0; i < c.row.size(); ++i) {
      texts[0][i + 1] = c.row[i].first;
      work.Departures[0][i + 1].TypeLetter = c.row[i].second;
    }
    const TimetableRecord committed = CommitEdit(work, "t", texts);
    EXPECT_EQ(SortRow(texts, work, 0), c.moved) << c.row.front().first;
    for (std::size_t i = 0; i < c.sorted.size(); ++i) {
      EXPECT_EQ(texts[0][i + 1], c.sorted[i].first) << i;
      EXPECT_EQ(work.Departures[0][i + 1].TypeLetter, c.sorted[i].second) << i;
      if (c.sorted[i].first[0] != '\0' && c.moved) {
        EXPECT_EQ(committed.Departures[0][i + 1],
                  (DepartureCell{CellValue(c.sorted[i].first), c.sorted[i].second}));
      }
    }
  }
}

TEST(DepartureGrid, TabAndEnterGoThroughTheMinuteCellsRowByRow) {
  EXPECT_EQ(NextCell(0, 1, false)->Col, 2);
  EXPECT_EQ(NextCell(0, 30, false)->Row, 1);
  EXPECT_EQ(NextCell(0, 30, false)->Col, 1);
  EXPECT_EQ(NextCell(1, 1, true)->Col, 30);
  EXPECT_FALSE(NextCell(23, 30, false));
  EXPECT_FALSE(NextCell(0, 1, true));
  EXPECT_EQ(AsciiDigit(U'\uFF11'), U'1');
  EXPECT_EQ(AsciiDigit(U'a'), U'a');
}

TEST(UndoHistory, UndoAndRedoWalkTheSnapshotsAndANewChangeEndsRedo) {
  UndoHistory<int> history(3);
  int now = 0;
  for (int next : {1, 2, 3, 4}) {  // the limit forgets the oldest
    history.Record(now);
    now = next;
  }
  for (int expected : {3, 2, 1}) {
    EXPECT_EQ(history.Undo(now), expected);
    now = expected;
  }
  EXPECT_FALSE(history.Undo(now));
  EXPECT_EQ(history.Redo(now), 2);
  now = 2;
  history.Record(now);  // a new change
  now = 7;
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.Undo(now), 2);
}

TEST(InputRules, TextsThatWouldBreakTheFileAreRefused) {
  struct Case {
    const char* text;
    bool storable;
  };
  const Case cases[] = {
      {"", true},      {"駅前行き ｶﾞｰﾃﾞﾝ", true},
      {"①～Ⅹ", true},  {"Ⅻ", false},
      {"a>b", false},  {"a<b", false},
      {"a,b", false},  {"a\r\nb", false},
      {"a\nb", false}, {"a\tb", false},
      {"😀", false},    {"한국", false},
      {"\xff", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsStorableText(c.text), c.storable) << c.text;
}

TEST(HourRange, RangesPassMidnight) {
  struct Case {
    HourRange range;
    std::vector<int> hours;  // of the rows in use, from row 0
  };
  const Case cases[] = {
      {{22, 5}, {22, 23, 0, 1, 2}},
      {{23, 1}, {23}},
      {{0, 24},
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}},
      {{5, 24},
       {5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 0, 1, 2, 3, 4}},
  };
  for (const auto& c : cases) {
    TimetableRecord record;
    WriteHourRange(record, {3, 20});  // an earlier, longer range goes entirely
    WriteHourRange(record, c.range);
    for (int r = 0; r < kRowCount; ++r) {
      const int expected = r < static_cast<int>(c.hours.size()) ? c.hours[r] : 255;
      EXPECT_EQ(record.Departures[r][0].Value, expected) << c.range.Start << " row " << r;
    }
    EXPECT_EQ(ReadHourRange(record), c.range);
  }
}

TEST(HourRange, TheBoxesTakeAStartBefore24AndOneTo24Hours) {
  struct Case {
    const char *start, *count;
    std::optional<HourRange> range;
  };
  const Case cases[] = {
      {"22", "5", HourRange{22, 5}},      {"23", "24", HourRange{23, 24}},
      {"", "3", HourRange{0, 3}},         {"0", "1", HourRange{0, 1}},
      {"24", "1", std::nullopt},          {"0", "0", std::nullopt},
      {"0", "25", std::nullopt},          {"", "", std::nullopt},
      {"2x", "1", std::nullopt},          {"-1", "2", std::nullopt},
      {"99999999999", "1", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseHourRange(c.start, c.count), c.range) << c.start << "/" << c.count;
}

// Every minute stays in its hour whichever way the range moves; what falls out is named first.
TEST(HourRange, RowsMoveWithTheirHoursAndTheOnesLeavingAreNamed) {
  TimetableRecord work;
  WriteHourRange(work, {6, 8});            // 6..13
  work.Departures[0][1] = {5, 'a'};        // 6:05 a
  work.Departures[2][1] = {15, 0};         // 8:15
  work.Departures[6][3].TypeLetter = 'c';  // 12時: a type on an empty cell
  const struct {
    HourRange range;
    std::vector<int> leaving;
    int row6, row8;  // where 6時 and 8時 stand after; -1 gone
  } cases[] = {
      {{5, 7}, {12}, 1, 3},  // one hour earlier and shorter: 12時 falls out at the end
      {{7, 2}, {6, 12}, -1, 1},
      {{22, 12}, {12}, 8, 10},  // across midnight
      {{6, 8}, {}, 0, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.range.Start);
    EXPECT_EQ(HoursLeaving(work, c.range), c.leaving);
    TimetableRecord moved = work;
    MoveToHourRange(moved, c.range);
    EXPECT_EQ(ReadHourRange(moved), c.range);
    if (c.row6 >= 0) {
      EXPECT_EQ(moved.Departures[c.row6][1], (DepartureCell{5, 'a'}));
    }
    EXPECT_EQ(moved.Departures[c.row8][0].Value, 8);
    EXPECT_EQ(moved.Departures[c.row8][1].Value, 15);
    int cells = 0;
    for (const auto& row : moved.Departures)
      for (int s = 1; s < kSlotCount; ++s) cells += row[s].Value != kEmptyValue;
    EXPECT_EQ(cells, (c.row6 >= 0) + 1);  // nothing else appeared or stayed behind
  }
  EXPECT_EQ(HourList({5, 23}), "5時、23時");
}

TEST(TypeStyle, DoubleClicksCycleNormalBoldItalicBoth) {
  std::string mark;
  std::vector<std::string> marks;
  for (int i = 0; i < 4; ++i) marks.push_back(mark = StyleMark(NextStyle(mark)));
  EXPECT_EQ(marks, (std::vector<std::string>{"B", "I", "B&I", ""}));
  EXPECT_EQ(NextStyle("X"), 0);  // a mark the editor never writes steps back to normal

  for (int style = 0; style < 4; ++style) {
    const FontStyle font = StyleOfNumber(style);
    EXPECT_EQ(StyleNumber(font.Bold, font.Italic), style);
    EXPECT_EQ(StyleOfMark(StyleMark(style)), font) << style;
  }
  EXPECT_EQ(StyleMark(4), std::string());
  EXPECT_EQ(StyleMark(-1), std::string());
  EXPECT_EQ(StyleOfMark("X"), (FontStyle{true, true}));
}

TEST(HourRange, ReadsTheSpanFromTheFirstToTheLastRowInUse) {
  TimetableRecord record;
  EXPECT_EQ(ReadHourRange(record), std::nullopt);
  WriteHourRange(record, {22, 4});
  EXPECT_EQ(ReadHourRange(record), (HourRange{22, 4}));
  record.Departures[1][0].Value = 255;  // a hand-made file with a gap
  EXPECT_EQ(ReadHourRange(record), (HourRange{22, 4}));
}

}  // namespace
}  // namespace v42
