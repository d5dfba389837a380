// The clock selecting the timetable of the service day by itself, and the dialog that sets it.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QTest>

#include "AppFixture.h"
#include "FlexGrid.h"

namespace v42::apptest {
namespace {

class DayTableTest : public AppFixture {
 protected:
  // 平日 on weekdays, 土休日 on Saturdays and holidays; a day starts at 3:00.
  frmVelkan42& OpenOn(const QDate& date, const QTime& at, bool on = true) {
    if (on) settings_.DayTables = {{0, 1, 1}, 3, false};
    date_ = date;
    return Open({DayService(), Titled(v42::test::NightService(), "土休日")}, at);
  }
  void TickOn(const QDate& date, const QTime& at) {
    date_ = date;
    TickAt(at);
  }
  int Shown() { return Find<QComboBox>("Combo")->currentIndex(); }
  QString Tip() { return Find<QComboBox>("Combo")->toolTip(); }
};

const QDate kSaturday(2026, 12, 5), kSunday(2026, 12, 6), kMonday(2026, 12, 7);

TEST_F(DayTableTest, StartsOnTheDaysTimetableAndSwitchesAtTheStartHourOnly) {
  OpenOn(kSaturday, QTime(1, 0));  // still Friday's night
  EXPECT_EQ(Shown(), 0);
  EXPECT_EQ(Tip(), "今日のダイヤ: 平日");
  TickOn(kSaturday, QTime(2, 59, 59));
  EXPECT_EQ(Shown(), 0);
  TickOn(kSaturday, QTime(3, 0));
  EXPECT_EQ(Shown(), 1);
  EXPECT_EQ(Find<FlexGrid>("FGrid")->TextMatrix(0, 0), "22");
  EXPECT_EQ(Tip(), "今日のダイヤ: 土曜");

  // The user's own pick holds through the night, until Sunday begins.
  Find<QComboBox>("Combo")->setCurrentIndex(0);
  TickOn(kSaturday, QTime(23, 59, 59));
  TickOn(kSunday, QTime(0, 0));
  TickOn(kSunday, QTime(2, 59, 59));
  EXPECT_EQ(Shown(), 0);
  TickOn(kSunday, QTime(3, 0));
  EXPECT_EQ(Shown(), 1);
  EXPECT_EQ(Tip(), "今日のダイヤ: 休日");

  // The system clock jumping to another day chooses again.
  TickOn(kMonday.addDays(2), QTime(12, 0));
  EXPECT_EQ(Shown(), 0);
  TickOn(QDate(2026, 11, 23), QTime(12, 0));
  EXPECT_EQ(Shown(), 1);
  EXPECT_EQ(Tip(), "今日のダイヤ: 休日 (勤労感謝の日)");
}

TEST_F(DayTableTest, ANewDayForgetsTheChosenDepartureEvenOnTheSameTimetable) {
  settings_.DayTables = {{1, 1, 1}, 3, false};
  OpenOn(kSunday, QTime(23, 0), false);
  auto* grid = Find<FlexGrid>("FGrid");
  grid->SetCurrentCell(1, 1);  // 23:30
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(Text("lblTime_0"), "23:30");
  TickOn(kMonday, QTime(2, 59, 59));
  EXPECT_EQ(Text("lblTime_0"), "23:30");  // Sunday's night goes on
  TickOn(kMonday, QTime(3, 0));
  EXPECT_EQ(Shown(), 1);
  EXPECT_EQ(Text("lblTime_0"), "");
  EXPECT_EQ(Text("lblTime_1"), "22:10");

  // A clock jumping into a new day close before the old choice raises no alert for it.
  grid->SetCurrentCell(0, 1);  // 22:10
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(Text("lblTime_0"), "22:10");
  TickOn(kMonday.addDays(1), QTime(22, 8));
  EXPECT_EQ(Text("lblTime_0"), "");
  EXPECT_EQ(window_->Alert(), nullptr);
}

TEST_F(DayTableTest, TheDialogSwitchesItOnFromTheTitlesAndTheClockFollowsAtOnce) {
  OpenOn(kSaturday, QTime(12, 0), false);
  window_->findChild<QAction*>("menuOptionDayTable")->trigger();
  auto* dialog = window_->findChild<QDialog*>("frmDayTable");
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->findChild<QComboBox*>("cmbDayTable_Saturday")->currentText(), "土休日");
  QTest::mouseClick(dialog->findChild<QPushButton*>("comOK"), Qt::LeftButton);
  EXPECT_EQ(Shown(), 1);
  EXPECT_EQ(Tip(), "今日のダイヤ: 土曜");
  IniSettings saved;
  ReadIniFile(saved, Folder());
  EXPECT_EQ(saved.DayTables, (DayTableSettings{{0, 1, 1}, 3, false}));
}

// After the editor has saved another list, the clock's numbering no longer matches the file.
TEST_F(DayTableTest, TheDialogWaitsForARestartOnceTheEditorSavedAnotherList) {
  OpenOn(kSaturday, QTime(12, 0), false);
  TimetableStore edited;
  edited.Records[edited.Count++] = Titled(v42::test::NightService(), "土休日");
  edited.Records[edited.Count++] = DayService();
  WriteDataFile(edited, Folder());
  window_->findChild<QAction*>("menuOptionDayTable")->trigger();
  EXPECT_EQ(window_->findChild<QDialog*>("frmDayTable"), nullptr);
  ASSERT_EQ(MessageBoxSeam::Calls().size(), 1u);
  EXPECT_EQ(MessageBoxSeam::Calls()[0].Caption, "曜日ダイヤ設定");
  EXPECT_NE(MessageBoxSeam::Calls()[0].Text.find("起動し直して"), std::string::npos);
  IniSettings saved;
  ReadIniFile(saved, Folder());
  EXPECT_EQ(saved, settings_);
}

TEST_F(DayTableTest, SwitchedOffTheListIsLeftAloneAndSaysNothing) {
  OpenOn(kSaturday, QTime(12, 0), false);
  EXPECT_EQ(Shown(), 0);
  EXPECT_EQ(Tip(), "");
  Find<QComboBox>("Combo")->setCurrentIndex(1);
  TickOn(kMonday, QTime(12, 0));
  EXPECT_EQ(Shown(), 1);
}

}  // namespace
}  // namespace v42::apptest
