// The three dialogs of the departure editor: service types, hour range, grid colours.
#include <QLabel>
#include <QLineEdit>

#include "EditorFixture.h"
#include "OleColor.h"
#include "frmGridColor.h"
#include "frmSetType.h"
#include "frmTime.h"

namespace v42::test {
namespace {

class EditorDialogs : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    TimetableRecord record = Timetable("平日", 6, std::vector<std::vector<Minute>>(18));
    record.Types[0] = {"普通", 0x0000FF, 0xFFFFC0, false, false};
    record.Types[1] = {"快速", 0x008000, 0xC0FFC0, true, false};
    record.Types[2] = {"急行", 0x800000, 0xC0C0FF, true, true};
    record.Types[3] = {"", 0x010101, 0xFFFFFF, false, true};
    record.GridColors = {0x202020, 0xF0F0F0, 0x303030, 0x00FFFF, 0x404040, 0xFFFF00};
    Open({record});
    editor_ = Edit(0);
    ASSERT_NE(editor_, nullptr);
  }
  TimetableRecord& Work() { return context_->WorkRecord; }

  QPointer<frmDataEdit> editor_;
};

// --- service types ---------------------------------------------------------------------------

class SetType : public EditorDialogs {
 protected:
  void SetUp() override {
    EditorDialogs::SetUp();
    dialog_ = OpenDialog<frmSetType>(editor_, 4);
    ASSERT_NE(dialog_, nullptr);
    grid_ = dialog_->Grid();
  }
  QPointer<frmSetType> dialog_;
  FlexGrid* grid_ = nullptr;
};

TEST_F(SetType, OkWithoutChangesKeepsEveryType) {
  EXPECT_EQ(grid_->TextMatrix(2, 0), "c");
  EXPECT_EQ(grid_->TextMatrix(2, 1), QStringLiteral("急行"));
  EXPECT_EQ(grid_->TextMatrix(2, 4), "B&I");
  EXPECT_EQ(grid_->TextMatrix(3, 4), "I");
  EXPECT_EQ(grid_->CellBackColorAt(1, 2), 0x008000);
  EXPECT_TRUE(grid_->CellFontBoldAt(1, 1));
  EXPECT_EQ(grid_->Row(), 0);
  EXPECT_EQ(grid_->Col(), 1);
  const auto before = Work().Types;
  Press(dialog_, 0);
  EXPECT_EQ(Work().Types, before);
}

TEST_F(SetType, DoubleClicksOnTheMarkCycleTheStyles) {
  std::vector<QString> marks;
  for (int i = 0; i < 4; ++i) {
    DoubleClickCell(grid_, 0, 4);
    marks.push_back(grid_->TextMatrix(0, 4));
    if (i == 2) {
      EXPECT_TRUE(grid_->CellFontBoldAt(0, 1));
      EXPECT_TRUE(grid_->CellFontItalicAt(0, 1));
    }
  }
  EXPECT_EQ(marks, (std::vector<QString>{"B", "I", "B&I", ""}));
  EXPECT_FALSE(grid_->CellFontBoldAt(0, 1));
}

TEST_F(SetType, ColourPicksMoveTheCurrentCellOnAndEscChangesNothing) {
  ColorPickerSeam::QueueAnswer(0x00FF00);
  DoubleClickCell(grid_, 1, 2);
  ASSERT_EQ(ColorPickerSeam::Calls().size(), 1u);
  EXPECT_EQ(ColorPickerSeam::Calls()[0].SelectColor, 0x008000);
  EXPECT_EQ(grid_->CellBackColorAt(1, 2), 0x00FF00);
  EXPECT_EQ(grid_->CellForeColorAt(1, 1), 0x00FF00);
  EXPECT_EQ(grid_->Col(), 3);

  ColorPickerSeam::QueueAnswer(std::nullopt);  // Esc in the picker
  QTest::keyClick(grid_, Qt::Key_Return);
  EXPECT_EQ(grid_->CellBackColorAt(1, 3), 0xC0FFC0);
  EXPECT_EQ(grid_->CellBackColorAt(1, 1), 0xC0FFC0);
  EXPECT_EQ(grid_->TextMatrix(1, 1), QStringLiteral("快速"));
  EXPECT_EQ(grid_->Col(), 4);
  Press(dialog_, 0);
  EXPECT_EQ(Work().Types[1].ForeColor, 0x00FF00);
  EXPECT_EQ(Work().Types[1].BackColor, 0xC0FFC0);
}

TEST_F(SetType, NamesHoldNineStorableCharacters) {
  DoubleClickCell(grid_, 4, 1);
  auto* input = Child<QLineEdit>(dialog_, "txtInput");
  ASSERT_TRUE(input->isVisible());
  TypeText(input, QStringLiteral("各駅,停車<>する列車です"));
  EXPECT_EQ(input->text(), QStringLiteral("各駅停車する列車で"));
  input->selectAll();
  TypeText(input, QStringLiteral("特"));
  EXPECT_EQ(input->text(), QStringLiteral("特"));
  QTest::keyClick(input, Qt::Key_Return);
  EXPECT_EQ(grid_->TextMatrix(4, 1), QStringLiteral("特"));

  DoubleClickCell(grid_, 0, 1);
  TypeText(input, QStringLiteral("X"));
  ClickCell(grid_, 5, 1);  // focus lost: the typing is dropped
  EXPECT_EQ(grid_->TextMatrix(0, 1), QStringLiteral("普通"));
  Press(dialog_, 0);
  EXPECT_EQ(Work().Types[4].Name, "特");
}

TEST_F(SetType, DeleteOnTheMarkSavesAPlainType) {
  ClickCell(grid_, 2, 4);
  QTest::keyClick(grid_, Qt::Key_Delete);
  EXPECT_EQ(grid_->TextMatrix(2, 4), "");
  Press(dialog_, 0);
  EXPECT_FALSE(Work().Types[2].Bold);
  EXPECT_FALSE(Work().Types[2].Italic);
}

TEST_F(SetType, CancelKeepsTheTypes) {
  const auto before = Work().Types;
  DoubleClickCell(grid_, 0, 4);
  ClickCell(grid_, 2, 1);
  QTest::keyClick(grid_, Qt::Key_Delete);
  Press(dialog_, 1);
  EXPECT_TRUE(Gone(dialog_));
  EXPECT_EQ(Work().Types, before);
}

// --- hour range ------------------------------------------------------------------------------

class Time : public EditorDialogs {
 protected:
  frmTime* OpenTime() {
    auto* dialog = OpenDialog<frmTime>(editor_, 2);
    start_ = Child<QLineEdit>(dialog, "txtHour_0");
    count_ = Child<QLineEdit>(dialog, "txtHour_1");
    return dialog;
  }
  void Enter(const char* start, const char* count) {
    start_->clear();
    QTest::keyClicks(start_, start);
    count_->clear();
    QTest::keyClicks(count_, count);
  }
  std::vector<int> Hours() {
    std::vector<int> hours;
    for (const auto& row : Work().Departures) hours.push_back(row[0].Value);
    return hours;
  }
  QLineEdit* start_ = nullptr;
  QLineEdit* count_ = nullptr;
};

TEST_F(Time, OpensWithTheRangeAndSelectsBothDigits) {
  QPointer<frmTime> dialog = OpenTime();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(start_->text(), "6");
  EXPECT_EQ(count_->text(), "18");
  count_->setFocus();
  EXPECT_EQ(count_->selectedText(), "18");
  QTest::keyClicks(count_, "2a45");  // a letter is swallowed, a third digit refused
  EXPECT_EQ(count_->text(), "24");
}

TEST_F(Time, OkWritesTheRangeOrRefusesIt) {
  struct Case {
    const char *start, *count;
    int firstHour, rows;  // rows 0: refused, the dialog stays open
  };
  const Case cases[] = {
      {"22", "4", 22, 4}, {"0", "24", 0, 24}, {"", "5", 0, 5}, {"24", "1", 0, 0},
      {"0", "0", 0, 0},   {"0", "25", 0, 0},  {"5", "", 0, 0},
  };
  for (const auto& c : cases) {
    QPointer<frmTime> dialog = OpenTime();
    ASSERT_NE(dialog, nullptr);
    const auto before = Hours();
    Enter(c.start, c.count);
    Press(dialog, 0);
    if (c.rows == 0) {
      EXPECT_TRUE(dialog->isVisible()) << c.start << "/" << c.count;
      EXPECT_EQ(Hours(), before);
      Press(dialog, 1);
      continue;
    }
    std::vector<int> expected(24, 255);
    for (int i = 0; i < c.rows; ++i) expected[i] = (c.firstHour + i) % 24;
    EXPECT_EQ(Hours(), expected) << c.start << "/" << c.count;
    EXPECT_TRUE(Gone(dialog));
  }
}

// --- grid colours ----------------------------------------------------------------------------

class GridColor : public EditorDialogs {
 protected:
  void SetUp() override {
    EditorDialogs::SetUp();
    dialog_ = OpenDialog<frmGridColor>(editor_, 3);
    ASSERT_NE(dialog_, nullptr);
  }
  FlexGrid* Sample(int i) {
    return dialog_->findChild<FlexGrid*>(QStringLiteral("FGridColor_%1").arg(i));
  }
  std::array<Color, 6> Previews() {
    std::array<Color, 6> colors{};
    for (int k = 0; k < 3; ++k) {
      const QPalette palette =
          dialog_->findChild<QLabel*>(QStringLiteral("lblPrev_%1").arg(k))->palette();
      colors[2 * k] = FromQColor(palette.color(QPalette::WindowText));
      colors[2 * k + 1] = FromQColor(palette.color(QPalette::Window));
    }
    return colors;
  }
  QPointer<frmGridColor> dialog_;
};

TEST_F(GridColor, DefaultThenCancelChangesNothing) {
  const GridColorSet before = Work().GridColors;
  EXPECT_EQ(Previews(), ColorsOf(before));
  Press(dialog_, 2);
  EXPECT_EQ(Previews(), ColorsOf(GridColorSet{}));
  Press(dialog_, 1);
  EXPECT_TRUE(Gone(dialog_));
  EXPECT_EQ(Work().GridColors, before);
}

TEST_F(GridColor, DefaultThenOkStoresTheSixDefaults) {
  Press(dialog_, 2);
  Press(dialog_, 0);
  EXPECT_EQ(Work().GridColors,
            (GridColorSet{0x010101, 0xFFFFFF, 0x010101, 0x0000FF, 0x010101, 0xFF8080}));
  EXPECT_EQ(editor_->Grid()->BackColor(), 0xFFFFFF);
}

TEST_F(GridColor, EachPickChangesOnlyItsOwnPreview) {
  auto expected = ColorsOf(Work().GridColors);
  for (int i = 0; i < 6; ++i) {
    const Color picked = 0x100000 * (i + 1) + 0x80;
    ColorPickerSeam::QueueAnswer(picked);
    DoubleClickCell(Sample(i), 0, 0);
    expected[i] = picked;
    EXPECT_EQ(Sample(i)->CellBackColorAt(0, 0), picked);
    EXPECT_EQ(Previews(), expected) << "sample " << i;
  }
  ColorPickerSeam::QueueAnswer(std::nullopt);  // Esc in the picker
  Sample(3)->setFocus();
  QTest::keyClick(Sample(3), Qt::Key_Return);
  EXPECT_EQ(Previews(), expected);
  ASSERT_EQ(ColorPickerSeam::Calls().size(), 7u);
  EXPECT_EQ(ColorPickerSeam::Calls()[6].SelectColor, expected[3]);
  EXPECT_GT(ColorPickerSeam::Calls()[6].Pos[1], ColorPickerSeam::Calls()[0].Pos[1]);
  Press(dialog_, 0);
  EXPECT_EQ(ColorsOf(Work().GridColors), expected);
}

}  // namespace
}  // namespace v42::test
