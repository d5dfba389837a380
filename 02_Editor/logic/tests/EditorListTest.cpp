#include <gtest/gtest.h>

#include "EditorList.h"

namespace v42 {
namespace {

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

std::vector<std::string> Titles(const TimetableStore& store) {
  std::vector<std::string> titles;
  for (int i = 0; i < store.Count; ++i) titles.push_back(store.Records[i].Title);
  return titles;
}

void ExpectFreeSlotsEmpty(const TimetableStore& store) {
  for (int i = store.Count; i < kTimetableCount; ++i)
    EXPECT_EQ(store.Records[i], EmptyRecord()) << "slot " << i;
}

TEST(EditorList, EmptyRecordHoldsTheReaderDefaults) {
  const TimetableRecord empty = EmptyRecord();
  EXPECT_TRUE(empty.Title.empty());
  for (const auto& row : empty.Departures)
    for (const auto& cell : row) EXPECT_EQ(cell, (DepartureCell{255, 0}));
  for (const auto& type : empty.Types) EXPECT_EQ(type, (TypeEntry{"", 0x010101, 0xFFFFFF}));
  EXPECT_EQ(empty.GridColors,
            (GridColorSet{0x010101, 0xFFFFFF, 0x010101, 0x0000FF, 0x010101, 0xFF8080}));
}

TEST(EditorList, ButtonStatesFollowTheTable) {
  using S = std::array<bool, 6>;  // ALL DELETE, DELETE, ADD NEW, Edit, ▲, ▼
  struct Case {
    int n, sel;
    S expected;
  };
  const Case cases[] = {
      {0, -1, S{false, false, true, false, false, false}},
      {3, -1, S{true, false, true, false, false, false}},
      {9, -1, S{true, false, false, false, false, false}},
      {3, 0, S{true, true, true, true, false, true}},
      {1, 0, S{true, true, true, true, false, false}},
      {3, 1, S{true, true, true, true, true, true}},
      {3, 2, S{true, true, true, true, true, false}},
      {9, 8, S{true, true, false, true, true, false}},
      {9, 4, S{true, true, false, true, true, true}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ButtonStates(c.n, c.sel), c.expected) << "n=" << c.n << " sel=" << c.sel;
}

TEST(EditorList, AddNewEightTimesFillsTheStoreThenRefuses) {
  TimetableStore store = StoreOf(1);
  for (int i = 0; i < 8; ++i) EXPECT_TRUE(AddNew(store));
  EXPECT_EQ(store.Count, 9);
  for (int i = 1; i < 9; ++i) {
    TimetableRecord expected = EmptyRecord();
    expected.Title = kNewTitle;
    EXPECT_EQ(store.Records[i], expected);
  }
  const TimetableStore full = store;
  EXPECT_FALSE(AddNew(store));
  EXPECT_EQ(store.Count, 9);
  EXPECT_EQ(store.Records, full.Records);
}

TEST(EditorList, DeleteMovesTheLaterTimetablesUp) {
  TimetableStore store = StoreOf(9);
  DeleteAt(store, 8);
  EXPECT_EQ(Titles(store),
            (std::vector<std::string>{"T0", "T1", "T2", "T3", "T4", "T5", "T6", "T7"}));
  ExpectFreeSlotsEmpty(store);

  store = StoreOf(9);
  const TimetableStore before = store;
  DeleteAt(store, 0);
  EXPECT_EQ(store.Count, 8);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(store.Records[i], before.Records[i + 1]);
  ExpectFreeSlotsEmpty(store);

  DeleteAt(store, 8);  // outside the list
  DeleteAt(store, -1);
  EXPECT_EQ(store.Count, 8);
}

TEST(EditorList, AddAfterDeleteGivesAFreshTimetable) {
  TimetableStore store = StoreOf(3);
  DeleteAt(store, 2);
  ASSERT_TRUE(AddNew(store));
  TimetableRecord expected = EmptyRecord();
  expected.Title = kNewTitle;
  EXPECT_EQ(store.Records[2], expected);
}

}  // namespace
}  // namespace v42
