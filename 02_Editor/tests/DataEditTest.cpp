#include <QLineEdit>

#include "EditorFixture.h"
#include "frmGridColor.h"
#include "frmSetType.h"
#include "frmTime.h"

namespace v42::test {
namespace {

// Hours 6..11; row 0 holds "5" and "45", row 1 a departure of type "a", row 2 one of "z".
TimetableRecord Sample() {
  TimetableRecord record =
      Timetable("平日", 6, {{{5}, {45}}, {{10, 'a'}}, {{20, 'z'}}, {}, {}, {}});
  record.Types[0] = {"普通", 0x0000FF, 0xFFFFC0, true, false};
  record.Types[1] = {"快速", 0x008000, 0xC0FFC0, false, true};
  record.Types[2] = {"急行", 0x800000, 0xC0C0FF, true, true};
  record.GridColors.BaseBackColor = 0xE0E0E0;
  return record;
}

class DataEdit : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    Open({Sample(), Timetable("土休日", 7, {{{0}}})});
    editor_ = Edit(0);
    ASSERT_NE(editor_, nullptr);
    grid_ = editor_->Grid();
    input_ = Child<QLineEdit>(editor_, "txtInput");
    ASSERT_NE(input_, nullptr);
  }
  QString Text(int row, int col) const { return grid_->TextMatrix(row, col); }
  std::uint8_t Letter(int row, int col) const {
    return context_->WorkRecord.Departures[row][col].TypeLetter;
  }
  void TypeInto(int row, int col, const char* keys) {
    ClickCell(grid_, row, col);
    QTest::keyClicks(grid_, QByteArray(keys).left(1));  // the first digit opens the box
    QTest::keyClicks(input_, keys + 1);
    QTest::keyClick(input_, Qt::Key_Return);
  }
  std::string LastMessage() const { return Messages().empty() ? "" : Messages().back().Text; }

  QPointer<frmDataEdit> editor_;
  FlexGrid* grid_ = nullptr;
  QLineEdit* input_ = nullptr;
};

TEST_F(DataEdit, OpensWithTheTimetableInItsLooks) {
  EXPECT_EQ(Child<QLineEdit>(editor_, "txtTitle")->text(), QStringLiteral("平日"));
  EXPECT_EQ(grid_->Rows(), 24);
  EXPECT_EQ(grid_->Cols(), 31);
  EXPECT_EQ(Text(0, 0), "6");
  EXPECT_EQ(Text(5, 0), "11");
  EXPECT_EQ(Text(6, 0), "");
  EXPECT_EQ(Text(0, 2), "45");
  EXPECT_EQ(grid_->CellBackColorAt(0, 1), 0xE0E0E0);  // no type: the base background
  EXPECT_EQ(grid_->CellForeColorAt(1, 1), 0x0000FF);
  EXPECT_TRUE(grid_->CellFontBoldAt(1, 1));
  EXPECT_EQ(grid_->CellAlignmentAt(1, 1), flexAlignRightCenter);
  EXPECT_EQ(grid_->CellAlignmentAt(2, 1), flexAlignRightCenter);
  EXPECT_EQ(grid_->Row(), 0);
  EXPECT_EQ(grid_->Col(), 1);
}

TEST_F(DataEdit, TypedDigitsAreStoredByEnterAndAMinuteAboveFiftyNineIsRefusedAtOk) {
  ClickCell(grid_, 0, 3);
  QTest::keyClick(grid_, Qt::Key_7);
  ASSERT_TRUE(input_->isVisible());
  EXPECT_EQ(input_->text(), "7");
  EXPECT_FALSE(input_->hasSelectedText());
  EXPECT_EQ(input_->cursorPosition(), 1);
  QTest::keyClicks(input_, "5x1");  // a letter is swallowed, a third digit refused
  EXPECT_EQ(input_->text(), "75");
  QTest::keyClick(input_, Qt::Key_Return);
  EXPECT_FALSE(input_->isVisible());
  EXPECT_EQ(Text(0, 3), "75");
  EXPECT_EQ(grid_->Row(), 0);
  EXPECT_EQ(grid_->Col(), 3);

  const auto before = Store().Records;
  Press(editor_, 0);
  EXPECT_EQ(LastMessage(), "6時の分データ「75」は、0～59の範囲で入力してください。");
  EXPECT_EQ(Messages().back().Caption, "入力エラー");
  EXPECT_EQ(Messages().back().Icon, MsgIcon::Critical);
  EXPECT_TRUE(editor_->isVisible());
  EXPECT_EQ(Store().Records, before);
}

TEST_F(DataEdit, DoubleClickSelectsTheMinuteAndADigitReplacesIt) {
  DoubleClickCell(grid_, 0, 2);
  ASSERT_TRUE(input_->isVisible());
  EXPECT_EQ(input_->selectedText(), "45");
  QTest::keyClick(input_, Qt::Key_0);
  EXPECT_EQ(input_->text(), "0");
  QTest::keyClick(input_, Qt::Key_Escape);  // Esc keeps the old minute
  EXPECT_FALSE(input_->isVisible());
  EXPECT_EQ(Text(0, 2), "45");
  QTest::keyClick(grid_, Qt::Key_Return);  // Enter opens like a double-click
  EXPECT_EQ(input_->selectedText(), "45");
}

TEST_F(DataEdit, ClickingElsewhereOrScrollingDropsTheTyping) {
  ClickCell(grid_, 0, 3);
  QTest::keyClick(grid_, Qt::Key_3);
  ClickCell(grid_, 1, 2);
  EXPECT_FALSE(input_->isVisible());
  EXPECT_EQ(Text(0, 3), "");

  QTest::keyClick(grid_, Qt::Key_4);
  ASSERT_TRUE(input_->isVisible());
  grid_->EnsureVisible(23, 30);
  EXPECT_FALSE(input_->isVisible());
  EXPECT_EQ(Text(1, 2), "");
}

TEST_F(DataEdit, RightClickCyclesTheTypeOfTheCurrentCell) {
  ClickCell(grid_, 1, 1);                   // type "a"
  ClickCell(grid_, 4, 5, Qt::RightButton);  // the pointer's cell does not matter
  EXPECT_EQ(Letter(1, 1), 'b');
  EXPECT_EQ(Letter(4, 5), 0);
  EXPECT_TRUE(grid_->CellFontItalicAt(1, 1));
  EXPECT_EQ(grid_->CellBackColorAt(1, 1), 0xC0FFC0);
  EXPECT_EQ(Text(1, 1), "10");

  ClickCell(grid_, 2, 1);  // type "z"
  ClickCell(grid_, 2, 1, Qt::RightButton);
  EXPECT_EQ(Letter(2, 1), 0);
  ClickCell(grid_, 2, 1, Qt::RightButton);
  EXPECT_EQ(Letter(2, 1), 'a');
}

TEST_F(DataEdit, LetterSpaceAndDeleteKeys) {
  ClickCell(grid_, 0, 1);
  QTest::keyClick(grid_, Qt::Key_C);
  EXPECT_EQ(Letter(0, 1), 'c');
  EXPECT_EQ(grid_->CellAlignmentAt(0, 1), flexAlignCenterCenter);  // bold italic
  EXPECT_EQ(grid_->CellForeColorAt(0, 1), 0x800000);
  QTest::keyClick(grid_, Qt::Key_C, Qt::ShiftModifier);  // upper case does nothing
  EXPECT_EQ(Letter(0, 1), 'c');
  QTest::keyClick(grid_, Qt::Key_Space);
  EXPECT_EQ(Letter(0, 1), 0);
  EXPECT_EQ(Text(0, 1), "5");
  EXPECT_EQ(grid_->CellBackColorAt(0, 1), 0xE0E0E0);

  ClickCell(grid_, 1, 1);
  QTest::keyClick(grid_, Qt::Key_Delete);
  EXPECT_EQ(Text(1, 1), "");
  EXPECT_EQ(Letter(1, 1), 0);
  EXPECT_FALSE(grid_->CellFontBoldAt(1, 1));
}

TEST_F(DataEdit, MinutesMustBeLeftPacked) {
  TypeInto(0, 3, "50");
  ClickCell(grid_, 0, 2);
  QTest::keyClick(grid_, Qt::Key_Delete);  // the second of three
  Press(editor_, 0);
  EXPECT_EQ(LastMessage(), "分データの入力は、左詰にしてください。");
  EXPECT_TRUE(editor_->isVisible());

  TypeInto(0, 2, "50");  // move the third minute left by hand
  ClickCell(grid_, 0, 3);
  QTest::keyClick(grid_, Qt::Key_Delete);
  const std::size_t messages = Messages().size();
  Press(editor_, 0);
  EXPECT_EQ(Messages().size(), messages);
  const auto& row = Store().Records[0].Departures[0];
  EXPECT_EQ(row[1].Value, 5);
  EXPECT_EQ(row[2].Value, 50);
  EXPECT_EQ(row[3].Value, 255);
}

TEST_F(DataEdit, OkStoresTitleMinutesAndTypes) {
  auto* title = Child<QLineEdit>(editor_, "txtTitle");
  title->setFocus();
  TypeText(title, QStringLiteral("通勤,<>"));  // reserved characters never get in
  EXPECT_EQ(title->text(), QStringLiteral("通勤"));
  TypeInto(3, 1, "05");
  QTest::keyClick(grid_, Qt::Key_B);
  Press(editor_, 0);
  EXPECT_TRUE(Gone(editor_));
  const TimetableRecord& stored = Store().Records[0];
  EXPECT_EQ(stored.Title, "通勤");
  EXPECT_EQ(stored.Departures[3][1], (DepartureCell{5, 'b'}));
  EXPECT_EQ(ListTexts().front(), "通勤");
  EXPECT_TRUE(List()->selectedItems().isEmpty());
}

TEST_F(DataEdit, TitleHoldsTwentyCharacters) {
  auto* title = Child<QLineEdit>(editor_, "txtTitle");
  title->setFocus();
  EXPECT_EQ(title->selectedText(), QStringLiteral("平日"));
  TypeText(title, QStringLiteral("一二三四五六七八九十一二三四五六七八九十一"));
  EXPECT_EQ(title->text().size(), 20);
  EXPECT_EQ(title->text().back(), QChar(u'十'));
}

TEST_F(DataEdit, ReducingTheHoursEmptiesTheRowsThatLeft) {
  TypeInto(5, 1, "30");
  auto* time = OpenDialog<frmTime>(editor_, 2);
  ASSERT_NE(time, nullptr);
  auto* count = Child<QLineEdit>(time, "txtHour_1");
  count->setFocus();
  QTest::keyClick(count, Qt::Key_4);
  Press(time, 0);
  EXPECT_EQ(Text(3, 0), "9");
  EXPECT_EQ(Text(0, 2), "45");
  for (int r = 4; r < 6; ++r)
    for (int c = 0; c < 31; ++c) EXPECT_EQ(Text(r, c), "") << r << "," << c;
  Press(editor_, 0);
  for (int r = 4; r < 24; ++r) EXPECT_EQ(Store().Records[0].Departures[r][0].Value, 255);
  EXPECT_EQ(Store().Records[0].Departures[5][1].Value, 255);
}

TEST_F(DataEdit, ANewTimetableRefusesOkUntilItHasHours) {
  Press(editor_, 1);
  Click(Button(2));  // ADD NEW
  editor_ = Edit(2);
  grid_ = editor_->Grid();
  input_ = Child<QLineEdit>(editor_, "txtInput");
  EXPECT_EQ(Text(0, 0), "");
  TypeInto(0, 1, "5");
  Press(editor_, 0);
  EXPECT_EQ(LastMessage(), "分データの入力は、左詰にしてください。");

  auto* time = OpenDialog<frmTime>(editor_, 2);
  ASSERT_NE(time, nullptr);
  EXPECT_EQ(Child<QLineEdit>(time, "txtHour_0")->text(), "");
  EXPECT_EQ(Child<QLineEdit>(time, "txtHour_1")->text(), "");
  QTest::keyClicks(Child<QLineEdit>(time, "txtHour_0"), "23");
  QTest::keyClicks(Child<QLineEdit>(time, "txtHour_1"), "2");
  Press(time, 0);
  EXPECT_EQ(Text(1, 0), "0");
  Press(editor_, 0);
  EXPECT_TRUE(Gone(editor_));
  const auto& stored = Store().Records[2];
  EXPECT_EQ(stored.Departures[0][0].Value, 23);
  EXPECT_EQ(stored.Departures[0][1].Value, 5);
  EXPECT_EQ(stored.Departures[1][0].Value, 0);
}

TEST_F(DataEdit, CancelAfterEveryKindOfChangeLeavesTheStore) {
  const auto before = Store().Records;
  QTest::keyClicks(Child<QLineEdit>(editor_, "txtTitle"), "X");
  TypeInto(0, 3, "59");
  QTest::keyClick(grid_, Qt::Key_D);

  auto* colors = OpenDialog<frmGridColor>(editor_, 3);
  ASSERT_NE(colors, nullptr);
  Press(colors, 2);  // Default
  Press(colors, 0);
  EXPECT_EQ(grid_->BackColor(), 0xFFFFFF);

  auto* types = OpenDialog<frmSetType>(editor_, 4);
  ASSERT_NE(types, nullptr);
  DoubleClickCell(types->Grid(), 0, 4);
  Press(types, 0);

  auto* time = OpenDialog<frmTime>(editor_, 2);
  ASSERT_NE(time, nullptr);
  QTest::keyClicks(Child<QLineEdit>(time, "txtHour_0"), "22");
  Press(time, 0);
  EXPECT_EQ(Text(0, 0), "22");

  Press(editor_, 1);
  EXPECT_TRUE(Gone(editor_));
  EXPECT_EQ(Store().Records, before);
}

TEST_F(DataEdit, RestylingTheWholeGridPaintsItOnce) {
  QCoreApplication::processEvents();
  auto* types = OpenDialog<frmSetType>(editor_, 4);
  ASSERT_NE(types, nullptr);
  QCoreApplication::processEvents();
  const int before = grid_->PaintCount();
  Press(types, 0);  // the grid is restyled in the looks the types now have
  QCoreApplication::processEvents();
  EXPECT_EQ(grid_->PaintCount() - before, 1);
  EXPECT_EQ(grid_->Row(), 5);  // the last restyled cell stays current
  EXPECT_EQ(grid_->Col(), 1);

  TypeInto(4, 1, "12");
  QCoreApplication::processEvents();
  const int typed = grid_->PaintCount();
  TypeInto(4, 2, "13");
  QCoreApplication::processEvents();
  EXPECT_EQ(grid_->PaintCount() - typed, 1);
}

TEST_F(DataEdit, RestylingCoversTheDeparturesTheWindowOpenedWith) {
  TypeInto(0, 3, "30");
  QTest::keyClick(grid_, Qt::Key_A);  // a new departure of type "a"
  auto* types = OpenDialog<frmSetType>(editor_, 4);
  ASSERT_NE(types, nullptr);
  ColorPickerSeam::QueueAnswer(0x00FFFF);
  DoubleClickCell(types->Grid(), 0, 3);  // type "a" gets a new background
  Press(types, 0);
  EXPECT_EQ(grid_->CellBackColorAt(1, 1), 0x00FFFF);
  EXPECT_EQ(grid_->CellBackColorAt(0, 3), 0xFFFFC0);  // typed after opening: not restyled
}

}  // namespace
}  // namespace v42::test
