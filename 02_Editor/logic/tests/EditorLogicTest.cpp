#include <gtest/gtest.h>

#include "DepartureGrid.h"
#include "EditorList.h"
#include "HourRange.h"
#include "InputRules.h"

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
      {"minute without hour", withoutHour, "分データの入力は、左詰にしてください。", 3, 1},
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
