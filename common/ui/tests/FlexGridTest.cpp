#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "FlexGrid.h"
#include "OleColor.h"
#include "Twips.h"

namespace v42 {
namespace {

// A grid shaped like the clock's: 5 rows, 7 columns, the hour column fixed.
class FlexGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.SetRows(5);
    grid.SetCols(7);
    grid.SetFixedRows(0);
    grid.SetFixedCols(1);
    grid.SetAllColWidths(330);
    grid.SetCurrentCell(0, 1);
    grid.resize(TwipsToPixelsX(7 * 330 + 90), TwipsToPixelsY(5 * 240 + 90));
  }
  void Show() {
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    QCoreApplication::processEvents();
  }
  QPoint Centre(int row, int col) const { return grid.CellRect(row, col).center(); }
  QColor Pixel(int row, int col) { return grid.grab().toImage().pixelColor(Centre(row, col)); }

  FlexGrid grid;
};

TEST_F(FlexGridTest, FixedColumnIsNeverCurrent) {
  EXPECT_EQ(grid.Col(), 1);
  grid.SetCol(0);
  EXPECT_EQ(grid.Col(), 1);
  grid.SetCurrentCell(3, 4);
  Show();
  grid.setFocus();
  QTest::keyClick(&grid, Qt::Key_Left);
  QTest::keyClick(&grid, Qt::Key_Left);
  QTest::keyClick(&grid, Qt::Key_Left);
  QTest::keyClick(&grid, Qt::Key_Left);
  EXPECT_EQ(grid.Col(), 1);
  QTest::keyClick(&grid, Qt::Key_Home);
  EXPECT_EQ(grid.Col(), 1);

  // Neither a click nor a double-click on the hour column chooses anything.
  QSignalSpy dbl(&grid, &FlexGrid::DblClick);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, Centre(2, 0) - grid.viewport()->pos());
  QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, Centre(2, 0) - grid.viewport()->pos());
  EXPECT_EQ(grid.Row(), 3);
  EXPECT_EQ(grid.Col(), 1);
  EXPECT_EQ(dbl.count(), 0);
}

TEST_F(FlexGridTest, ShrinkingKeepsCellsAndCurrentInside) {
  grid.SetTextMatrix(1, 2, "45");
  grid.SetCellBackColorAt(1, 2, 0x0000FF);
  grid.SetCurrentCell(4, 6);
  grid.SetRows(3);
  grid.SetCols(4);
  EXPECT_EQ(grid.Row(), 2);
  EXPECT_EQ(grid.Col(), 3);
  EXPECT_EQ(grid.TextMatrix(1, 2), "45");
  EXPECT_EQ(grid.CellBackColorAt(1, 2), 0x0000FF);
  EXPECT_EQ(grid.TextMatrix(4, 6), "");  // outside: empty, no crash
  grid.SetTextMatrix(9, 9, "x");
  grid.SetCols(7);
  EXPECT_EQ(grid.TextMatrix(1, 6), "");
}

TEST_F(FlexGridTest, TextMatrixAndClearLeaveCurrentCellAndStyles) {
  grid.SetCurrentCell(2, 3);
  QSignalSpy moved(&grid, &FlexGrid::RowColChange);
  grid.SetTextMatrix(0, 0, "6");
  grid.SetTextMatrix(4, 6, "59");
  grid.SetCellFontBold(true);
  EXPECT_EQ(grid.Row(), 2);
  EXPECT_EQ(grid.Col(), 3);
  EXPECT_EQ(moved.count(), 0);
  EXPECT_TRUE(grid.CellFontBoldAt(2, 3));
  EXPECT_FALSE(grid.CellFontBoldAt(4, 6));
  grid.Clear();
  EXPECT_EQ(grid.TextMatrix(4, 6), "");
  EXPECT_TRUE(grid.CellFontBoldAt(2, 3));
}

TEST_F(FlexGridTest, CellColourZeroShowsTheGridsOwnColour) {
  grid.SetForeColor(0x00FF00);
  grid.SetBackColor(0xFF0000);
  grid.SetCurrentCell(1, 1);
  grid.SetCellBackColor(0x0000FF);
  grid.SetCellForeColor(0x010101);
  grid.SetCurrentCell(1, 2);
  grid.SetCellBackColor(0x010101);  // black, held as 0x010101
  grid.SetCurrentCell(1, 3);
  grid.SetCellBackColor(0);
  Show();
  struct Case {
    int col;
    QColor back;
  } cases[] = {
      {1, QColor(255, 0, 0)}, {2, QColor(1, 1, 1)}, {3, QColor(0, 0, 255)}, {4, QColor(0, 0, 255)}};
  for (const Case& c : cases) {
    EXPECT_EQ(Pixel(1, c.col), c.back) << "column " << c.col;
  }
  EXPECT_EQ(grid.ShownForeColor(1, 1), QColor(1, 1, 1));
  EXPECT_EQ(grid.ShownForeColor(1, 3), QColor(0, 255, 0));
  EXPECT_NE(Pixel(1, 0), QColor(0, 0, 255));  // the header keeps its own look
}

TEST_F(FlexGridTest, TextFollowsColumnAndCellAlignment) {
  grid.SetColAlignment(1, flexAlignRightCenter);
  grid.SetCurrentCell(2, 1);
  grid.SetCellAlignment(flexAlignCenterCenter);
  for (int r = 0; r < 3; ++r) grid.SetTextMatrix(r, 1, "1");
  grid.SetTextMatrix(0, 2, "a");  // general: text left, numbers right
  grid.SetTextMatrix(1, 2, "7");
  Show();
  const QImage shot = grid.grab().toImage();
  // Where the ink of a cell's text lies, as a fraction of the cell's width.
  auto inkCentre = [&](int row, int col) {
    const QRect cell = grid.CellRect(row, col).adjusted(1, 1, -2, -2);
    int sum = 0, count = 0;
    for (int x = cell.left(); x <= cell.right(); ++x) {
      for (int y = cell.top(); y <= cell.bottom(); ++y) {
        if (shot.pixelColor(x, y).lightness() < 128) sum += x - cell.left(), ++count;
      }
    }
    return count ? double(sum) / count / cell.width() : -1.0;
  };
  EXPECT_GT(inkCentre(0, 1), 0.6);
  EXPECT_NEAR(inkCentre(2, 1), 0.5, 0.15);
  EXPECT_LT(inkCentre(0, 2), 0.4);
  EXPECT_GT(inkCentre(1, 2), 0.6);
}

TEST_F(FlexGridTest, BulkRestyleWithRedrawOffPaintsOnce) {
  grid.SetRows(24);
  grid.SetCols(31);
  Show();
  for (bool byHiding : {false, true}) {
    const int before = grid.PaintCount();
    if (byHiding) {
      grid.setVisible(false);
    } else {
      grid.SetRedraw(false);
    }
    for (int r = 0; r < 24; ++r) {
      for (int c = 1; c < 31; ++c) {
        grid.SetCurrentCell(r, c);
        grid.SetCellBackColor(0x00FFFF + r + c);
        grid.SetCellFontItalic(true);
        QCoreApplication::processEvents();  // nothing may reach the screen meanwhile
      }
    }
    EXPECT_EQ(grid.PaintCount(), before);
    if (byHiding) {
      grid.setVisible(true);
    } else {
      grid.SetRedraw(true);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(grid.PaintCount(), before + 1) << (byHiding ? "hidden" : "redraw off");
  }
}

TEST_F(FlexGridTest, KeysReachHandlersWhichMaySwallowThem) {
  Show();
  grid.setFocus();
  std::vector<int> typed, down;
  QObject::connect(&grid, &FlexGrid::KeyPress, [&](int& key) {
    typed.push_back(key);
    if (key == 'a') key = 0;
  });
  QObject::connect(&grid, &FlexGrid::KeyDown, [&](int& key, Qt::KeyboardModifiers) {
    down.push_back(key);
    if (key == Qt::Key_Down) key = 0;  // a handler that takes the arrow for itself
  });
  QTest::keyClick(&grid, Qt::Key_A);
  QTest::keyClick(&grid, Qt::Key_Return);
  QTest::keyClick(&grid, Qt::Key_Delete);
  QTest::keyClick(&grid, Qt::Key_Down);
  QTest::sendKeyEvent(QTest::Click, &grid, Qt::Key_unknown, QStringLiteral("ｱ"), {});
  EXPECT_EQ(typed, (std::vector<int>{'a', 13, 0xFF71}));
  ASSERT_GE(down.size(), 4u);
  EXPECT_EQ(down[2], Qt::Key_Delete);
  EXPECT_EQ(grid.Row(), 0);  // the swallowed Down did not move
  QTest::keyClick(&grid, Qt::Key_Right);
  EXPECT_EQ(grid.Col(), 2);
}

TEST_F(FlexGridTest, MouseButtonsAndDoubleClick) {
  Show();
  std::vector<Qt::MouseButton> buttons;
  QObject::connect(&grid, &FlexGrid::MouseDown,
                   [&](Qt::MouseButton b, Qt::KeyboardModifiers, QPoint) { buttons.push_back(b); });
  int dblRow = -1, dblCol = -1;
  QObject::connect(&grid, &FlexGrid::DblClick, [&] {
    dblRow = grid.Row();
    dblCol = grid.Col();
  });
  const QPoint offset = grid.viewport()->pos();
  QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, Centre(3, 5) - offset);
  EXPECT_EQ(grid.Row(), 0);  // the right button leaves the current cell
  EXPECT_EQ(grid.Col(), 1);
  QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, Centre(3, 5) - offset);
  EXPECT_EQ(dblRow, 3);
  EXPECT_EQ(dblCol, 5);
  EXPECT_EQ(grid.MouseRow(), 3);
  ASSERT_FALSE(buttons.empty());
  EXPECT_EQ(buttons.front(), Qt::RightButton);
}

TEST_F(FlexGridTest, ScrollingKeepsFixedColumnAndReportsIt) {
  grid.SetRows(24);
  grid.SetCols(31);
  grid.SetAllColWidths(330);
  Show();
  grid.setFocus();
  QSignalSpy scrolled(&grid, &FlexGrid::Scroll);
  QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(grid.Row(), 23);
  EXPECT_EQ(grid.Col(), 30);
  EXPECT_GT(scrolled.count(), 0);
  EXPECT_FALSE(grid.CellRect(23, 30).isEmpty());  // brought into view
  EXPECT_FALSE(grid.CellRect(23, 0).isEmpty());   // the hour column stays
  EXPECT_TRUE(grid.CellRect(0, 1).isEmpty());     // scrolled away
  // The rectangle for laying a text box over the current cell.
  EXPECT_EQ(grid.CellWidth(), 330);
  EXPECT_EQ(TwipsToPixelsX(grid.CellLeft()), grid.CellRect(23, 30).left());
}

}  // namespace
}  // namespace v42
