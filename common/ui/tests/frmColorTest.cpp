#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>

#include "FlexGrid.h"
#include "Twips.h"
#include "frmColor.h"

namespace v42 {
namespace {

// Runs the real picker modally; drive() gets it once it is up, as a user would.
Color RunPicker(Color start, ColorFormPos pos, const std::function<void(frmColor&)>& drive) {
  QTimer::singleShot(0, [&] {
    auto* picker = qobject_cast<frmColor*>(QApplication::activeModalWidget());
    ASSERT_NE(picker, nullptr);
    drive(*picker);
  });
  // Never hang the suite on a picker left open by a failing test.
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] {
    if (auto* w = QApplication::activeModalWidget()) {
      ADD_FAILURE() << "picker left open";
      w->close();
    }
  });
  guard.start(5000);
  return PickColor(nullptr, start, pos);
}

void Keys(frmColor& picker, std::initializer_list<Qt::Key> keys) {
  for (Qt::Key key : keys) QTest::keyClick(picker.Grid(), key);
}

TEST(frmColorTest, CursorStartsOnTheCallersColour) {
  struct Case {
    Color color;
    int row, col;
  } cases[] = {
      {0x8080FF, 1, 1}, {0x400040, 5, 7},
      {0x010101, 5, 0}, {0x000000, 0, 0},  // black is not offered: top-left
      {0x123456, 0, 0},                    // outside the palette: top-left
  };
  for (const Case& c : cases) {
    frmColor picker(c.color, {0, 0});
    EXPECT_EQ(picker.Grid()->Row(), c.row) << std::hex << c.color;
    EXPECT_EQ(picker.Grid()->Col(), c.col) << std::hex << c.color;
    EXPECT_EQ(picker.Grid()->CellBackColorAt(2, 5), 0xFFFF00);
  }
}

TEST(frmColorTest, EscAfterMovingGivesBackTheStartColour) {
  const Color picked = RunPicker(0xC0FFC0, {1500, 1500}, [](frmColor& p) {
    Keys(p, {Qt::Key_Down, Qt::Key_Right, Qt::Key_Escape});
  });
  EXPECT_EQ(picked, 0xC0FFC0);
}

TEST(frmColorTest, EnterAndDoubleClickPick) {
  EXPECT_EQ(RunPicker(0x0000FF, {0, 0}, [](frmColor& p) { Keys(p, {Qt::Key_Return}); }), 0x0000FF);
  EXPECT_EQ(RunPicker(0x0000FF, {0, 0},
                      [](frmColor& p) {
                        Keys(p, {Qt::Key_Down, Qt::Key_Left, Qt::Key_Enter});
                      }),
            0x808080);
  // Black in: the cursor is on white; the bottom-left cell gives 0x010101, never 0.
  EXPECT_EQ(RunPicker(0, {0, 0},
                      [](frmColor& p) {
                        FlexGrid* g = p.Grid();
                        const QPoint at = g->CellRect(5, 0).center() - g->viewport()->pos();
                        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, at);
                      }),
            0x010101);
}

TEST(frmColorTest, EachOpeningStartsFromItsOwnColourAndPosition) {
  std::vector<std::pair<int, int>> cursors;
  std::vector<QPoint> places;
  auto note = [&](frmColor& p) {
    cursors.emplace_back(p.Grid()->Row(), p.Grid()->Col());
    places.push_back(p.pos());
    Keys(p, {Qt::Key_Down, Qt::Key_Down, Qt::Key_Escape});
  };
  RunPicker(0xFF0000, {1500, 600}, note);
  RunPicker(0xFFC0FF, {3000, 900}, note);
  EXPECT_EQ(cursors, (std::vector<std::pair<int, int>>{{2, 6}, {0, 7}}));
  EXPECT_EQ(places, (std::vector<QPoint>{TwipsPoint(1500, 600), TwipsPoint(3000, 900)}));
}

TEST(frmColorTest, PopupStaysOnScreen) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  for (ColorFormPos pos : {ColorFormPos{1000000, 1000000}, ColorFormPos{-5000, -5000}}) {
    frmColor picker(0xFFFFFF, pos);
    EXPECT_TRUE(area.contains(picker.geometry())) << pos[0];
  }
}

TEST(frmColorTest, SeamAnswersWithoutShowing) {
  ColorPickerSeam::Reset();
  ColorPickerSeam::QueueAnswer(0x00FF00);
  ColorPickerSeam::QueueAnswer(std::nullopt);
  EXPECT_EQ(PickColor(nullptr, 0xFFFFFF, {10, 20}), 0x00FF00);
  EXPECT_EQ(PickColor(nullptr, 0x808080, {30, 40}), 0x808080);
  ASSERT_EQ(ColorPickerSeam::Calls().size(), 2u);
  EXPECT_EQ(ColorPickerSeam::Calls()[1].Pos, (ColorFormPos{30, 40}));
  ColorPickerSeam::Reset();
}

}  // namespace
}  // namespace v42
