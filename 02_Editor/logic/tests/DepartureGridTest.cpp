#include <gtest/gtest.h>

#include "DepartureGrid.h"
#include "InputRules.h"

namespace v42 {
namespace {

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
  GridTexts lateHole = RowFiveWith({{1, "5"}, {2, "15"}, {30, "59"}});
  const Case cases[] = {
      {"columns 1, 2, 4", RowFiveWith({{1, "5"}, {2, "15"}, {4, "45"}}), kLeftPackMessage, 5, 4},
      {"columns 1, 2, 3", RowFiveWith({{1, "5"}, {2, "15"}, {3, "45"}}), std::nullopt},
      {"middle one deleted", RowFiveWith({{1, "5"}, {3, "45"}}), kLeftPackMessage, 5, 3},
      {"minute without hour", withoutHour, kLeftPackMessage, 3, 1},
      {"hole before slot 30", lateHole, kLeftPackMessage, 5, 30},
      {"75", RowFiveWith({{1, "5"}, {2, "75"}}),
       "10時の分データ「75」は、0～59の範囲で入力してください。", 5, 2},
      {"hole wins over 75", RowFiveWith({{1, "75"}, {3, "1"}}), kLeftPackMessage, 5, 3},
      {"0 and 59", RowFiveWith({{1, "0"}, {2, "59"}}), std::nullopt},
      {"nothing", GridTexts{}, std::nullopt},
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
  work.Departures[5][0] = {10, 0};
  work.Departures[5][1] = {20, 'a'};
  work.Departures[5][4] = {30, 'c'};  // emptied in the grid, its letter stays
  work.Types[2].Name = "急行";
  const GridTexts texts = RowFiveWith({{1, "5"}, {2, "15"}, {3, "45"}});

  const TimetableRecord stored = CommitEdit(work, "新しい題", texts);
  EXPECT_EQ(stored.Title, "新しい題");
  EXPECT_EQ(stored.Departures[5][0], (DepartureCell{10, 0}));
  EXPECT_EQ(stored.Departures[5][1], (DepartureCell{5, 'a'}));
  EXPECT_EQ(stored.Departures[5][2], (DepartureCell{15, 0}));
  EXPECT_EQ(stored.Departures[5][3], (DepartureCell{45, 0}));
  EXPECT_EQ(stored.Departures[5][4], (DepartureCell{255, 'c'}));
  EXPECT_EQ(stored.Types, work.Types);
  EXPECT_EQ(TextsOf(stored), texts);
  EXPECT_EQ(CellValue("05"), 5);
  EXPECT_EQ(CellValue("999"), 254);  // never wraps into a minute
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

}  // namespace
}  // namespace v42
