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

// Opens the departure editor on a timetable with hours 6 to 23, some types and grid colours,
// then the dialog T through the editor's button.
template <class T, int kButton>
class DialogFixture : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    TimetableRecord record = Timetable("平日", 6, std::vector<std::vector<DepartureCell>>(18));
    record.Types[0] = {"普通", 0x0000FF, 0xFFFFC0, false, false};
    record.Types[1] = {"快速", 0x008000, 0xC0FFC0, true, false};
    record.Types[2] = {"急行", 0x800000, 0xC0C0FF, true, true};
    record.Types[3] = {"各駅停車の区間快速", 0x010101, 0xFFFFFF, false, false};  // 9 chars
    record.GridColors = {0x202020, 0xF0F0F0, 0x303030, 0x00FFFF, 0x404040, 0xFFFF00};
    Open({record});
    ASSERT_NE(Edit(0), nullptr);
    Reopen();
  }
  void Reopen() {
    dialog_ = OpenDialog<T>(kButton);
    ASSERT_NE(dialog_, nullptr);
  }
  TimetableRecord& Work() { return context_->WorkRecord; }

  QPointer<T> dialog_;
};

// --- service types ---------------------------------------------------------------------------

class SetType : public DialogFixture<frmSetType, 4> {
 protected:
  FlexGrid* Grid() { return dialog_->Grid(); }
};

TEST_F(SetType, ColumnsHaveHeadingsThatFit) {
  for (int c = 1; c < 5; ++c) {
    auto* heading = Child<QLabel>(dialog_, QStringLiteral("lblHeading_%1").arg(c));
    ASSERT_NE(heading, nullptr);
    EXPECT_FALSE(heading->text().isEmpty());
    EXPECT_LE(heading->fontMetrics().horizontalAdvance(heading->text()), heading->width()) << c;
    EXPECT_LE(heading->geometry().bottom(), Grid()->geometry().top());
  }
}

TEST_F(SetType, CancelAfterChangesAndOkWithoutChangesKeepEveryType) {
  EXPECT_EQ(Grid()->TextMatrix(2, 4), "B&I");
  EXPECT_TRUE(Grid()->CellFontBoldAt(1, 1));
  const auto before = Work().Types;
  DoubleClickCell(Grid(), 0, 4);
  ClickCell(Grid(), 2, 1);
  QTest::keyClick(Grid(), Qt::Key_Delete);
  Press(dialog_, 1);
  EXPECT_TRUE(Gone(dialog_));
  EXPECT_EQ(Work().Types, before);

  Reopen();
  Press(dialog_, 0);
  EXPECT_EQ(Work().Types, before);
}

TEST_F(SetType, DoubleClicksCycleTheMarkAndDeleteOnB_And_ISavesAPlainType) {
  std::vector<QString> marks;
  for (int i = 0; i < 4; ++i) {
    DoubleClickCell(Grid(), 0, 4);
    marks.push_back(Grid()->TextMatrix(0, 4));
    EXPECT_EQ(Grid()->CellFontItalicAt(0, 1), i == 1 || i == 2) << i;
  }
  EXPECT_EQ(marks, (std::vector<QString>{"B", "I", "B&I", ""}));
  EXPECT_FALSE(Grid()->CellFontBoldAt(0, 1));

  ClickCell(Grid(), 2, 4);
  QTest::keyClick(Grid(), Qt::Key_Delete);
  EXPECT_EQ(Grid()->TextMatrix(2, 4), "");
  Press(dialog_, 0);
  EXPECT_FALSE(Work().Types[2].Bold);
  EXPECT_FALSE(Work().Types[2].Italic);
}

TEST_F(SetType, ColourPicksMoveTheCurrentCellOnAndEscChangesNothing) {
  ColorPickerSeam::QueueAnswer(0x00FF00);
  DoubleClickCell(Grid(), 1, 2);
  ASSERT_EQ(ColorPickerSeam::Calls().size(), 1u);
  EXPECT_EQ(ColorPickerSeam::Calls()[0].SelectColor, 0x008000);
  EXPECT_EQ(Grid()->CellBackColorAt(1, 2), 0x00FF00);
  EXPECT_EQ(Grid()->CellForeColorAt(1, 1), 0x00FF00);
  EXPECT_EQ(Grid()->Col(), 3);

  ColorPickerSeam::QueueAnswer(std::nullopt);  // Esc in the picker
  QTest::keyClick(Grid(), Qt::Key_Return);
  EXPECT_EQ(Grid()->CellBackColorAt(1, 3), 0xC0FFC0);
  EXPECT_EQ(Grid()->CellBackColorAt(1, 1), 0xC0FFC0);
  EXPECT_EQ(Grid()->Col(), 4);
  Press(dialog_, 0);
  EXPECT_EQ(Work().Types[1].ForeColor, 0x00FF00);
}

TEST_F(SetType, NamesHoldNineStorableCharacters) {
  auto* input = Child<QLineEdit>(dialog_, "txtInput");
  DoubleClickCell(Grid(), 3, 1);  // a name as long as the box allows cannot grow
  input->end(false);
  TypeText(input, QStringLiteral("だ"));
  QTest::keyClick(input, Qt::Key_Return);
  EXPECT_EQ(Grid()->TextMatrix(3, 1), QStringLiteral("各駅停車の区間快速"));

  DoubleClickCell(Grid(), 4, 1);
  ASSERT_TRUE(input->isVisible());
  TypeText(input, QStringLiteral("各駅,停車<>する列車です"));
  EXPECT_EQ(input->text(), QStringLiteral("各駅停車する列車で"));
  input->selectAll();
  TypeText(input, QStringLiteral("特"));
  QTest::keyClick(input, Qt::Key_Return);
  EXPECT_EQ(Grid()->TextMatrix(4, 1), QStringLiteral("特"));
  Press(dialog_, 0);
  EXPECT_EQ(Work().Types[4].Name, "特");
}

// --- hour range ------------------------------------------------------------------------------

class Time : public DialogFixture<frmTime, 2> {
 protected:
  QLineEdit* Box(int i) { return Child<QLineEdit>(dialog_, QStringLiteral("txtHour_%1").arg(i)); }
  std::vector<int> Hours() {
    std::vector<int> hours;
    for (const auto& row : Work().Departures) hours.push_back(row[0].Value);
    return hours;
  }
};

TEST_F(Time, OpensWithTheRangeAndOkWritesItOrRefusesIt) {
  EXPECT_EQ(Box(0)->text(), "6");
  Box(1)->setFocus();
  EXPECT_EQ(Box(1)->selectedText(), "18");
  QTest::keyClicks(Box(1), "2a45");  // a letter is swallowed, a third digit refused
  EXPECT_EQ(Box(1)->text(), "24");
  Press(dialog_, 1);

  struct Case {
    const char *start, *count;
    int firstHour, rows;  // rows 0: refused, the dialog stays open
  };
  const Case cases[] = {
      {"22", "4", 22, 4}, {"0", "24", 0, 24}, {"", "5", 0, 5}, {"24", "1", 0, 0},
      {"0", "0", 0, 0},   {"0", "25", 0, 0},  {"5", "", 0, 0},
  };
  for (const auto& c : cases) {
    Reopen();
    const auto before = Hours();
    for (int i = 0; i < 2; ++i) {
      Box(i)->clear();
      QTest::keyClicks(Box(i), i == 0 ? c.start : c.count);
    }
    QTest::keyClick(Box(1), Qt::Key_Return);  // Enter is OK
    if (c.rows == 0) {
      EXPECT_TRUE(dialog_->isVisible()) << c.start << "/" << c.count;
      ExpectMessage("開始時間は0～23、時間数は1～24の範囲で入力してください。", "入力エラー",
                    MsgIcon::Warning);
      EXPECT_EQ(Hours(), before);
      Press(dialog_, 1);
      continue;
    }
    std::vector<int> expected(24, 255);
    for (int i = 0; i < c.rows; ++i) expected[i] = (c.firstHour + i) % 24;
    EXPECT_EQ(Hours(), expected) << c.start << "/" << c.count;
    EXPECT_TRUE(Gone(dialog_));
  }
}

// --- grid colours ----------------------------------------------------------------------------

class GridColor : public DialogFixture<frmGridColor, 3> {
 protected:
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
};

TEST_F(GridColor, DefaultThenCancelChangesNothingDefaultThenOkStoresTheDefaults) {
  const GridColorSet before = Work().GridColors;
  EXPECT_EQ(Previews(), ColorsOf(before));
  Press(dialog_, 2);
  EXPECT_EQ(Previews(), ColorsOf(GridColorSet{}));
  Press(dialog_, 1);
  EXPECT_TRUE(Gone(dialog_));
  EXPECT_EQ(Work().GridColors, before);

  Reopen();
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
    if (i % 2)  // one click is enough
      ClickCell(Sample(i), 0, 0);
    else
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
