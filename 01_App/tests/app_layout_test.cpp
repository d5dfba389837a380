// The clock and its dialogs in the Japanese font fontconfig gives this run and at this run's
// scale factor (ctest runs the binary once per font and scale): no text is cut by its box.
#include <gtest/gtest.h>

#include <QTest>

#include "AppFixture.h"
#include "FlexGrid.h"
#include "Fonts.h"
#include "TextFit.h"
#include "frmDayTable.h"
#include "frmDesktop.h"
#include "frmMsg.h"
#include "frmOption.h"
#include "frmVersion.h"

namespace v42::apptest {
namespace {

class LayoutTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    if (!test::InTheExpectedFont()) GTEST_SKIP() << "the font of this run is not installed here";
  }
  // The dialog a menu entry opened, then closed again.
  template <class T>
  void ExpectWholeDialog(void (frmVelkan42::*open)()) {
    (window_.get()->*open)();
    T* dialog = window_->findChild<T*>();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    test::ExpectWhole(dialog);
    dialog->close();
  }
};

TEST_F(LayoutTest, TheClockAndItsDialogsShowEveryTextWhole) {
  // Wide digits in every panel: 10:05 and 10:30 ahead, 18:00 chosen, a 4-digit year.
  Open({Titled(Record({{10, {5, 30}}, {18, {0}}, {20, {0}}}), "平日ダイヤ")}, QTime(10, 1, 58));
  auto* grid = Find<FlexGrid>("FGrid");
  grid->SetCurrentCell(1, 1);
  QTest::keyClick(grid, Qt::Key_Return);
  TickAt(QTime(10, 1, 59));
  test::ExpectWhole(window_.get());

  ExpectWholeDialog<frmOption>(&frmVelkan42::menuOptionIni_Click);
  ExpectWholeDialog<frmDesktop>(&frmVelkan42::menuOptionDesktop_Click);
  ExpectWholeDialog<frmDayTable>(&frmVelkan42::menuOptionDayTable_Click);
  ExpectWholeDialog<frmVersion>(&frmVelkan42::menuHelpVersion_Click);

  grid->SetCurrentCell(0, 1);
  QTest::keyClick(grid, Qt::Key_Return);
  TickAt(QTime(10, 2));  // the alert for 10:05
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->Alert() != nullptr; }));
  test::ExpectWhole(window_->Alert());
}

}  // namespace
}  // namespace v42::apptest
