#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

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

// As long as the title box lets a user type.
const std::string kLongTitle = "土休日・祝日および年末年始の特別ダイヤ表";

class DataEdit : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    Open({Sample(), Timetable(kLongTitle, 7, {{{0}, {120}}})});
    OpenEditor(0);
  }
  void OpenEditor(int entry) {
    ASSERT_NE(Edit(entry), nullptr);
    grid_ = editor_->Grid();
    input_ = Child<QLineEdit>(editor_, "txtInput");
  }
  QString Text(int row, int col) const { return grid_->TextMatrix(row, col); }
  bool InView(int row, int col) const {
    const QRect cell = grid_->CellRect(row, col);
    return !cell.isEmpty() && grid_->viewport()->geometry().contains(cell);
  }
  std::uint8_t Letter(int row, int col) const {
    return context_->WorkRecord.Departures[row][col].TypeLetter;
  }
  void TypeInto(int row, int col, const char* keys) {
    ClickCell(grid_, row, col);
    QTest::keyClicks(grid_, QByteArray(keys).left(1));  // the first digit opens the box
    QTest::keyClicks(input_, keys + 1);
    QTest::keyClick(input_, Qt::Key_Return);  // stores and goes on to the next cell
    QTest::keyClick(grid_, Qt::Key_Left);     // back onto the typed one
  }
  // Opens the box on a cell with the first digit and types the rest, without storing it.
  void StartTyping(int row, int col, const char* keys) {
    ClickCell(grid_, row, col);
    QTest::keyClicks(grid_, QByteArray(keys).left(1));
    ASSERT_TRUE(input_->isVisible());
    QTest::keyClicks(input_, keys + 1);
  }
  void ExpectInputError(const std::string& text) {
    ExpectMessage(text, "入力エラー", MsgIcon::Critical);
    EXPECT_TRUE(editor_->isVisible());
  }
  // Types into one box of the hour range dialog (0 start, 1 count) and presses OK; returns
  // what the boxes showed on opening, as "start/count".
  QString SetHours(int box, const char* text) {
    auto* time = OpenDialog<frmTime>(2);
    const QString shown = Child<QLineEdit>(time, "txtHour_0")->text() + "/" +
                          Child<QLineEdit>(time, "txtHour_1")->text();
    auto* edit = Child<QLineEdit>(time, QStringLiteral("txtHour_%1").arg(box));
    edit->setFocus();  // selects what the box holds
    QTest::keyClicks(edit, text);
    Press(time, 0);
    return shown;
  }

  FlexGrid* grid_ = nullptr;
  QLineEdit* input_ = nullptr;
};

TEST_F(DataEdit, OpensWithTheTimetableInItsLooks) {
  EXPECT_EQ(grid_->Rows(), 24);
  EXPECT_EQ(grid_->Cols(), 31);
  EXPECT_EQ(Text(0, 0), "6");
  EXPECT_EQ(Text(6, 0), "");
  EXPECT_EQ(grid_->CellBackColorAt(0, 1), 0xE0E0E0);  // no type: the base background
  EXPECT_EQ(grid_->CellForeColorAt(1, 1), 0x0000FF);
  EXPECT_TRUE(grid_->CellFontBoldAt(1, 1));
  EXPECT_EQ(grid_->CellAlignmentAt(1, 1), flexAlignRightCenter);
  EXPECT_EQ(grid_->Row(), 0);
  EXPECT_EQ(grid_->Col(), 1);
}

// The line under the grid names every key of the grid and is read whole.
TEST_F(DataEdit, TheKeysLineTellsTheGridsKeysAndFits) {
  auto* keys = editor_->findChild<QLabel*>("lblKeys");
  ASSERT_NE(keys, nullptr);
  EXPECT_TRUE(keys->isVisible());
  for (const char* word : {"数字", "Enter", "分", "a～z", "種別", "Space", "Delete", "右クリック"})
    EXPECT_TRUE(keys->text().contains(QString::fromUtf8(word))) << word;
  for (const QString& line : keys->text().split('\n'))
    EXPECT_LE(keys->fontMetrics().horizontalAdvance(line), keys->contentsRect().width());
  EXPECT_LE(keys->fontMetrics().lineSpacing() * 2, keys->contentsRect().height());
  EXPECT_LE(keys->geometry().bottom(), editor_->rect().bottom());
  EXPECT_GE(keys->geometry().top(), grid_->geometry().bottom());
}

TEST_F(DataEdit, TypedDigitsAreStoredByEnterAndAMinuteAboveFiftyNineIsRefusedAtOk) {
  ClickCell(grid_, 0, 3);
  QTest::keyClick(grid_, Qt::Key_7);
  ASSERT_TRUE(input_->isVisible());
  EXPECT_EQ(input_->text(), "7");
  QTest::keyClicks(input_, "5x1");  // a letter is swallowed, a third digit refused
  EXPECT_EQ(input_->text(), "75");
  QTest::keyClick(input_, Qt::Key_Return);
  EXPECT_FALSE(input_->isVisible());
  EXPECT_EQ(Text(0, 3), "75");

  const auto before = Store().Records;
  Press(editor_, 0);
  ExpectInputError("6時の分データ「75」は、0～59の範囲で入力してください。");
  EXPECT_EQ(Store().Records, before);
}

TEST_F(DataEdit, TheMinuteBoxOpensByDoubleClickEnterOrDigitAndOnlyEscDropsTheTyping) {
  DoubleClickCell(grid_, 0, 2);
  ASSERT_TRUE(input_->isVisible());
  EXPECT_EQ(input_->selectedText(), "45");
  QTest::keyClick(input_, Qt::Key_0);
  EXPECT_EQ(input_->text(), "0");
  QTest::keyClick(input_, Qt::Key_Escape);  // Esc keeps the old minute
  EXPECT_FALSE(input_->isVisible());
  EXPECT_TRUE(grid_->hasFocus());
  EXPECT_EQ(Text(0, 2), "45");
  QTest::keyClick(grid_, Qt::Key_Return);  // Enter opens like a double-click
  EXPECT_EQ(input_->selectedText(), "45");
  QTest::keyClick(input_, Qt::Key_Return);
  EXPECT_EQ(Text(0, 2), "45");
  EXPECT_TRUE(grid_->hasFocus());
}

// Whatever takes the box's place stores the typing into the cell the box was opened over.
TEST_F(DataEdit, TheTypingIsStoredWhenTheBoxLosesItsPlace) {
  StartTyping(0, 3, "3");
  ClickCell(grid_, 1, 2);  // another cell, in another row: the row left is put in order
  EXPECT_FALSE(input_->isVisible());
  EXPECT_EQ(Text(0, 1), "3");
  EXPECT_EQ(Text(0, 3), "45");
  EXPECT_EQ(grid_->Row(), 1);
  EXPECT_EQ(grid_->Col(), 2);
  EXPECT_TRUE(grid_->hasFocus());

  StartTyping(1, 2, "4");
  ClickCell(grid_, 5, 0);  // the hour column: nothing becomes current there
  EXPECT_EQ(Text(1, 2), "4");

  StartTyping(1, 3, "12");
  QTest::keyClick(input_, Qt::Key_Tab);
  EXPECT_FALSE(input_->isVisible());
  EXPECT_EQ(Text(1, 3), "12");

  StartTyping(1, 4, "5");
  auto* title = Child<QLineEdit>(editor_, "txtTitle");
  QTest::mouseClick(title, Qt::LeftButton);
  EXPECT_EQ(Text(1, 4), "5");
  EXPECT_TRUE(title->hasFocus());  // the click's target keeps the focus

  StartTyping(1, 5, "6");
  auto* bar = grid_->horizontalScrollBar();
  ASSERT_TRUE(bar->isVisible());
  QTest::mouseClick(bar, Qt::LeftButton, {},
                    QPoint(bar->width() - bar->height() - 4, bar->height() / 2));
  EXPECT_GT(bar->value(), 0);
  EXPECT_FALSE(input_->isVisible());
  EXPECT_EQ(Text(1, 5), "6");
  EXPECT_TRUE(grid_->hasFocus());
}

TEST_F(DataEdit, TheTypingIsStoredWhenTheWindowLosesTheFocus) {
  StartTyping(2, 2, "8");
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitFor([this] { return !input_->isVisible(); }));
  EXPECT_EQ(Text(2, 2), "8");
  editor_->activateWindow();
  // The cursor is back on the grid, not on a hidden box.
  EXPECT_TRUE(QTest::qWaitFor([this] { return grid_->hasFocus(); }));
}

// 17 typed after 5 and 45 (a forgotten bus added at the end) is saved in its place.
TEST_F(DataEdit, OkRightAfterTypingKeepsTheMinuteInTheSavedFileInOrder) {
  StartTyping(0, 3, "17");
  Press(editor_, 0);
  EXPECT_TRUE(Messages().empty());
  ASSERT_TRUE(Gone(editor_));
  Menu("menuFileSave");
  TimetableStore read;
  ReadDataFile(read, Folder());
  EXPECT_EQ(read.Records[0].Departures[0][2].Value, 17);
  EXPECT_EQ(read.Records[0].Departures[0][3].Value, 45);

  OpenEditor(0);  // a minute above 59 typed before OK is refused there like any other
  StartTyping(0, 4, "75");
  Press(editor_, 0);
  MessageBoxSeam::ClearCalls();
  EXPECT_EQ(Text(0, 4), "75");
  EXPECT_TRUE(editor_->isVisible());
}

TEST_F(DataEdit, RightClickCyclesTheTypeOfTheCellUnderThePointer) {
  ClickCell(grid_, 4, 5);
  ClickCell(grid_, 1, 1, Qt::RightButton);  // type "a", not the current cell
  EXPECT_EQ(Letter(1, 1), 'b');
  EXPECT_EQ(Letter(4, 5), 0);
  EXPECT_EQ(grid_->CellBackColorAt(1, 1), 0xC0FFC0);
  EXPECT_EQ(grid_->Row(), 1);
  EXPECT_EQ(grid_->Col(), 1);

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
  QTest::keyClick(grid_, Qt::Key_C, Qt::ShiftModifier);            // upper case does nothing
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
  ExpectInputError("6時の分データの入力は、左詰にしてください。");

  TypeInto(0, 2, "50");  // move the third minute left by hand
  ClickCell(grid_, 0, 3);
  QTest::keyClick(grid_, Qt::Key_Delete);
  Press(editor_, 0);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Store().Records[0].Departures[0][2].Value, 50);
  EXPECT_EQ(Store().Records[0].Departures[0][3].Value, 255);
}

// The cursor is on the offending cell, scrolled into view and drawn: the grid has the focus.
TEST_F(DataEdit, ErrorsPutTheCursorOnTheirCell) {
  const auto expectCursorOn = [this](int row, int col) {
    EXPECT_EQ(grid_->Row(), row);
    EXPECT_EQ(grid_->Col(), col);
    EXPECT_TRUE(InView(row, col));
    EXPECT_TRUE(grid_->hasFocus());
  };
  ClickCell(grid_, 0, 3);
  QTest::keyClick(grid_, Qt::Key_End);
  TypeInto(0, 30, "9");
  QTest::keyClick(grid_, Qt::Key_Home);  // the far cell leaves the view
  ASSERT_FALSE(InView(0, 30));
  Press(editor_, 0);
  ExpectInputError("6時の分データの入力は、左詰にしてください。");
  expectCursorOn(0, 30);

  QTest::keyClick(grid_, Qt::Key_Delete);
  QTest::keyClick(grid_, Qt::Key_Home);
  TypeInto(4, 1, "75");
  QTest::keyClick(grid_, Qt::Key_End);
  Press(editor_, 0);
  ExpectInputError("10時の分データ「75」は、0～59の範囲で入力してください。");
  expectCursorOn(4, 1);
}

TEST_F(DataEdit, OkStoresTitleMinutesAndTypes) {
  auto* title = Child<QLineEdit>(editor_, "txtTitle");
  EXPECT_EQ(title->text(), QStringLiteral("平日"));
  title->setFocus();  // selects the title: typing replaces it
  // Reserved characters never get in; a 21st character is refused.
  TypeText(title, QStringLiteral("通勤,<>三四五六七八九十一二三四五六七八九十一"));
  const QString twenty = QStringLiteral("通勤三四五六七八九十一二三四五六七八九十");
  EXPECT_EQ(title->text(), twenty);
  TypeInto(3, 1, "05");
  QTest::keyClick(grid_, Qt::Key_B);
  Press(editor_, 0);
  EXPECT_TRUE(Gone(editor_));
  const TimetableRecord& stored = Store().Records[0];
  EXPECT_EQ(stored.Title, twenty.toStdString());
  EXPECT_EQ(stored.Departures[3][1], (DepartureCell{5, 'b'}));
  EXPECT_EQ(ListTexts().front(), twenty.toStdString());
  EXPECT_TRUE(List()->selectedItems().isEmpty());
}

TEST_F(DataEdit, ATitleAtItsBoxLimitCannotGrow) {
  Press(editor_, 1);
  OpenEditor(1);
  DoubleClickCell(grid_, 0, 2);
  QTest::keyClick(input_, Qt::Key_Return);
  EXPECT_EQ(Text(0, 2), "120");
  QTest::keyClick(grid_, Qt::Key_Left);  // Enter went on to the next cell
  QTest::keyClick(grid_, Qt::Key_Delete);
  auto* title = Child<QLineEdit>(editor_, "txtTitle");
  EXPECT_EQ(title->text().toStdString(), kLongTitle);
  title->setFocus();
  title->end(false);
  TypeText(title, QStringLiteral("X"));  // 21 characters are too many
  QTest::keyClick(title, Qt::Key_Backspace);
  TypeText(title, QStringLiteral("X"));
  Press(editor_, 0);
  EXPECT_EQ(QString::fromStdString(Store().Records[1].Title),
            QString::fromStdString(kLongTitle).chopped(1) + "X");
}

TEST_F(DataEdit, ReducingTheHoursEmptiesTheRowsThatLeft) {
  TypeInto(5, 1, "30");
  EXPECT_EQ(SetHours(1, "4"), "6/6");
  EXPECT_EQ(Text(3, 0), "9");
  EXPECT_EQ(Text(0, 2), "45");
  for (int r = 4; r < 6; ++r)
    for (int c = 0; c < 31; ++c) EXPECT_EQ(Text(r, c), "") << r << "," << c;
  Press(editor_, 0);
  for (int r = 4; r < 24; ++r) EXPECT_EQ(Store().Records[0].Departures[r][0].Value, 255);
  EXPECT_EQ(Store().Records[0].Departures[5][1].Value, 255);
}

TEST_F(DataEdit, ANewTimetableTakesMinutesOnlyOnceItHasHours) {
  Press(editor_, 1);
  Act(2);  // ADD NEW
  OpenEditor(2);
  EXPECT_EQ(Text(0, 0), "");
  ClickCell(grid_, 0, 1);
  QTest::keyClick(grid_, Qt::Key_5);
  ExpectMessage(
      "この行には時間が設定されていません。先に「Time」で開始時間と時間数を設定してください。",
      "入力エラー", MsgIcon::Information);
  EXPECT_FALSE(input_->isVisible());
  MessageBoxSeam::ClearCalls();

  EXPECT_EQ(SetHours(1, "2"), "/");  // both boxes open empty; an empty start is hour 0
  TypeInto(0, 1, "5");
  Press(editor_, 0);
  EXPECT_TRUE(Gone(editor_));
  EXPECT_EQ(Store().Records[2].Departures[1][0].Value, 1);
  EXPECT_EQ(Store().Records[2].Departures[0][1].Value, 5);
}

TEST_F(DataEdit, CancelAfterEveryKindOfChangeLeavesTheStore) {
  const auto before = Store().Records;
  QTest::keyClicks(Child<QLineEdit>(editor_, "txtTitle"), "X");
  TypeInto(0, 3, "59");
  QTest::keyClick(grid_, Qt::Key_D);

  auto* colors = OpenDialog<frmGridColor>(3);
  Press(colors, 2);  // Default
  Press(colors, 0);
  EXPECT_EQ(grid_->BackColor(), 0xFFFFFF);
  auto* types = OpenDialog<frmSetType>(4);
  DoubleClickCell(types->Grid(), 0, 4);
  Press(types, 0);
  SetHours(0, "22");
  EXPECT_EQ(Text(0, 0), "22");

  Press(editor_, 1);
  EXPECT_TRUE(Gone(editor_));
  EXPECT_EQ(Store().Records, before);
}

// Type "a" gets a new background: the departures of the opening and those typed since are
// restyled alike, in one repaint, and the cursor stays where it was.
TEST_F(DataEdit, AfterTheTypeDialogEveryCellShowsItsTypeInOneRepaint) {
  TypeInto(0, 3, "30");
  QTest::keyClick(grid_, Qt::Key_A);
  ClickCell(grid_, 4, 2);
  QTest::keyClick(grid_, Qt::Key_A);  // an empty cell can carry a type
  auto* types = OpenDialog<frmSetType>(4);
  ColorPickerSeam::QueueAnswer(0x00FFFF);
  DoubleClickCell(types->Grid(), 0, 3);
  QCoreApplication::processEvents();
  const int before = grid_->PaintCount();
  Press(types, 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(grid_->PaintCount() - before, 1);
  EXPECT_EQ(grid_->Row(), 4);
  EXPECT_EQ(grid_->Col(), 2);
  // 30 typed after 45 went before it, with its type, when its row was left.
  for (const auto& [row, col] : {std::pair{1, 1}, {0, 2}, {4, 2}})
    EXPECT_EQ(grid_->CellBackColorAt(row, col), 0x00FFFF) << row << "," << col;

  const int typed = grid_->PaintCount();
  TypeInto(4, 3, "13");
  QCoreApplication::processEvents();
  EXPECT_EQ(grid_->PaintCount() - typed, 1);
}

// The default grid colours replace the grey: cells without a type follow the grid wherever
// their look was last set, typed ones keep their type.
TEST_F(DataEdit, AfterTheGridColourDialogCellsWithoutATypeShowTheGridsColours) {
  TypeInto(3, 1, "12");
  ClickCell(grid_, 3, 2);
  QTest::keyClick(grid_, Qt::Key_B);
  QTest::keyClick(grid_, Qt::Key_Delete);  // no minute, no type
  TypeInto(3, 3, "40");
  QTest::keyClick(grid_, Qt::Key_A);
  auto* colors = OpenDialog<frmGridColor>(3);
  Press(colors, 2);  // Default
  QCoreApplication::processEvents();
  const int before = grid_->PaintCount();
  Press(colors, 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(grid_->PaintCount() - before, 1);
  ASSERT_EQ(grid_->BackColor(), 0xFFFFFF);
  for (const auto& [row, col] : {std::pair{0, 1}, {3, 1}, {3, 2}})
    EXPECT_EQ(grid_->CellBackColorAt(row, col), 0xFFFFFF) << row << "," << col;
  EXPECT_EQ(grid_->CellBackColorAt(3, 3), 0xFFFFC0);
  EXPECT_EQ(grid_->CellBackColorAt(1, 1), 0xFFFFC0);
}

// Rows that leave the hour range lose their minutes and their types, on screen and in what
// OK stores.
TEST_F(DataEdit, AfterTheHourRangeDialogDroppedRowsShowNoType) {
  TypeInto(5, 1, "30");
  QTest::keyClick(grid_, Qt::Key_B);
  ClickCell(grid_, 4, 4);
  QTest::keyClick(grid_, Qt::Key_C);
  auto* time = OpenDialog<frmTime>(2);
  auto* count = Child<QLineEdit>(time, "txtHour_1");
  count->setFocus();
  QTest::keyClicks(count, "4");
  QCoreApplication::processEvents();
  const int before = grid_->PaintCount();
  Press(time, 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(grid_->PaintCount() - before, 1);
  for (const auto& [row, col] : {std::pair{5, 1}, {4, 4}}) {
    EXPECT_EQ(Text(row, col), "");
    EXPECT_EQ(grid_->CellBackColorAt(row, col), 0xE0E0E0) << row << "," << col;
    EXPECT_FALSE(grid_->CellFontBoldAt(row, col));
    EXPECT_EQ(Letter(row, col), 0);
  }
  EXPECT_EQ(grid_->CellBackColorAt(1, 1), 0xFFFFC0);  // a row in range keeps its types
  Press(editor_, 0);
  EXPECT_EQ(Store().Records[0].Departures[5][1], (DepartureCell{255, 0}));
}

// Keys as in a spreadsheet: what is typed is stored by whichever key moves on, and only Esc
// drops it; full-width digits are digits; Tab stays in the grid until its last cell.
TEST_F(DataEdit, EnterTabAndArrowsStoreAndMoveEscDropsFullWidthDigitsCount) {
  const auto fullWidth = [](QWidget* to, const QString& text) {
    for (const QChar ch : text)
      QTest::sendKeyEvent(QTest::Click, to, Qt::Key_unknown, QString(ch), Qt::NoModifier);
  };
  StartTyping(0, 3, "15");
  QTest::keyClick(input_, Qt::Key_Right);
  EXPECT_EQ(Text(0, 3), "15");
  EXPECT_EQ(grid_->Col(), 4);
  QTest::keyClick(grid_, Qt::Key_3);
  QTest::keyClick(input_, Qt::Key_0);
  QTest::keyClick(input_, Qt::Key_Tab);
  EXPECT_EQ(Text(0, 4), "30");
  EXPECT_EQ(grid_->Col(), 5);
  EXPECT_TRUE(grid_->hasFocus());
  fullWidth(grid_, QStringLiteral("２"));
  ASSERT_TRUE(input_->isVisible());
  fullWidth(input_, QStringLiteral("０"));
  QTest::keyClick(input_, Qt::Key_Enter);
  EXPECT_EQ(Text(0, 5), "20");
  EXPECT_EQ(grid_->Col(), 6);
  QTest::keyClicks(grid_, "7");
  QTest::keyClick(input_, Qt::Key_Escape);
  EXPECT_EQ(Text(0, 6), "");
  EXPECT_EQ(grid_->Col(), 6);
  QTest::keyClick(grid_, Qt::Key_Backtab);
  EXPECT_EQ(grid_->Col(), 5);
  QTest::keyClicks(grid_, "1");
  QTest::keyClick(input_, Qt::Key_Down);  // leaves the row: it is put in order
  EXPECT_EQ(grid_->Row(), 1);
  QStringList row;
  for (int c = 1; c <= 5; ++c) row << Text(0, c);
  EXPECT_EQ(row, (QStringList{"1", "5", "15", "30", "45"}));
  EXPECT_TRUE(editor_->isVisible());

  // Only the last cell lets Tab out, and the title it may reach is not selected to be
  // overwritten.
  auto* title = Child<QLineEdit>(editor_, "txtTitle");
  grid_->SetCurrentCell(23, 30);
  QTest::keyClick(grid_, Qt::Key_Tab);
  QCoreApplication::processEvents();
  EXPECT_FALSE(grid_->hasFocus());
  EXPECT_EQ(title->selectedText(), "");
  grid_->setFocus();
  grid_->SetCurrentCell(0, 1);
  QTest::keyClick(grid_, Qt::Key_Backtab);
  EXPECT_FALSE(grid_->hasFocus());
  EXPECT_EQ(title->text(), "平日");
}

// Ctrl+Z takes back each kind of change in turn, Ctrl+Y brings them again; Cancel and Esc after
// changes still leave the stored timetable as it was.
TEST_F(DataEdit, UndoAndRedoEveryKindOfChange) {
  const GridTexts texts = TextsOf(Store().Records[0]);
  const auto shown = [this] {
    GridState state{{}, context_->WorkRecord};
    for (int r = 0; r < kRowCount; ++r)
      for (int c = 0; c < kSlotCount; ++c) state.Texts[r][c] = Text(r, c).toStdString();
    TakeTexts(state.Work, state.Texts);
    return state;
  };
  std::vector<GridState> states{shown()};
  TypeInto(1, 2, "40");  // typing
  states.push_back(shown());
  QTest::keyClick(grid_, Qt::Key_C);  // a type letter
  states.push_back(shown());
  ClickCell(grid_, 0, 2);
  QTest::keyClick(grid_, Qt::Key_Delete);  // a deletion
  states.push_back(shown());
  ClickCell(grid_, 1, 1, Qt::RightButton);  // the right button's type
  states.push_back(shown());
  SetHours(0, "5");  // the hour range: every row one hour on
  EXPECT_EQ(Text(2, 1), "10");
  states.push_back(shown());
  auto* colors = OpenDialog<frmGridColor>(3);
  Press(colors, 2);  // Default
  Press(colors, 0);
  states.push_back(shown());
  EXPECT_EQ(grid_->BackColor(), 0xFFFFFF);

  grid_->setFocus();
  for (int i = static_cast<int>(states.size()) - 2; i >= 0; --i) {
    QTest::keyClick(grid_, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(shown(), states[i]) << "undo to " << i;
  }
  EXPECT_EQ(grid_->BackColor(), 0xE0E0E0);
  for (std::size_t i = 1; i < states.size(); ++i) {
    QTest::keyClick(grid_, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(shown(), states[i]) << "redo to " << i;
  }
  QTest::keyClick(grid_, Qt::Key_Y, Qt::ControlModifier);  // nothing more to redo
  EXPECT_EQ(shown(), states.back());
  EXPECT_EQ(TextsOf(Store().Records[0]), texts);
}

// The rows keep their minutes when the range starts earlier; rows that would fall out are
// named first, and No keeps them.
TEST_F(DataEdit, TheHourRangeKeepsEveryMinuteInItsHourAndAsksBeforeDroppingRows) {
  EXPECT_EQ(SetHours(0, "5"), "6/6");
  EXPECT_TRUE(Messages().empty());  // 11時 was empty
  EXPECT_EQ(Text(0, 0), "5");
  EXPECT_EQ(Text(1, 0), "6");
  EXPECT_EQ(Text(1, 1), "5");
  EXPECT_EQ(Text(2, 1), "10");
  EXPECT_EQ(Letter(2, 1), 'a');
  EXPECT_EQ(Text(3, 1), "20");

  auto* time = OpenDialog<frmTime>(2);
  auto* count = Child<QLineEdit>(time, "txtHour_1");
  count->setFocus();
  QTest::keyClicks(count, "2");
  MessageBoxSeam::QueueAnswer(QMessageBox::No);
  Press(time, 0);
  ExpectMessage("7時、8時は新しい範囲の外になり、その分データは削除されます。\nよろしいですか？",
                "設定範囲", MsgIcon::Question);
  EXPECT_TRUE(time->isVisible());
  EXPECT_EQ(Text(2, 1), "10");
  Press(time, 0);  // answered yes
  MessageBoxSeam::ClearCalls();
  EXPECT_EQ(Text(2, 1), "");
  EXPECT_EQ(Letter(2, 1), 0);
  Press(editor_, 0);
  EXPECT_EQ(Store().Records[0].Departures[1][2].Value, 45);
  EXPECT_EQ(Store().Records[0].Departures[2][0].Value, 255);
}

// Esc and the close box cancel every dialog of the editor; the edit window asks first when
// something would be lost.
TEST_F(DataEdit, EscAndTheCloseBoxCancelEveryDialog) {
  const TimetableRecord work = context_->WorkRecord;
  const auto cancelled = [this, &work](QDialog* dialog, bool closeBox) {
    QPointer<QDialog> open = dialog;
    if (closeBox)
      dialog->close();
    else
      QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_TRUE(Gone(open)) << closeBox;
    EXPECT_EQ(context_->WorkRecord, work) << closeBox;
  };
  for (bool closeBox : {false, true}) {
    auto* time = OpenDialog<frmTime>(2);
    QTest::keyClicks(Child<QLineEdit>(time, "txtHour_0"), "9");
    cancelled(time, closeBox);
    auto* colors = OpenDialog<frmGridColor>(3);
    Press(colors, 2);
    cancelled(colors, closeBox);
    auto* types = OpenDialog<frmSetType>(4);
    QTest::keyClick(types->Grid(), Qt::Key_Delete);
    cancelled(types, closeBox);
  }
  EXPECT_TRUE(Messages().empty());

  TypeInto(4, 1, "33");
  QPointer<frmDataEdit> open = editor_;
  MessageBoxSeam::QueueAnswer(QMessageBox::No);
  QTest::keyClick(grid_, Qt::Key_Escape);
  ExpectMessage("編集内容を破棄して閉じますか？", "時刻データ編集", MsgIcon::Question);
  EXPECT_TRUE(editor_->isVisible());
  editor_->close();  // answered yes
  MessageBoxSeam::ClearCalls();
  EXPECT_TRUE(Gone(open));
  EXPECT_EQ(Store().Records[0].Departures[4][1].Value, 255);
  ASSERT_NE(Edit(0), nullptr);  // unchanged: no question
  QTest::keyClick(editor_->Grid(), Qt::Key_Escape);
  EXPECT_TRUE(Messages().empty());
}

}  // namespace
}  // namespace v42::test
