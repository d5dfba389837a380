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

// Once the day's timetable has nothing left, the next day's shows: after midnight the first
// departure of the right day is the one counted down.
TEST_F(DayTableTest, StartsOnTheDaysTimetableAndMovesOnWhenItHasNothingLeft) {
  OpenOn(kSaturday, QTime(1, 0));  // still Friday's service, whose last bus has gone
  EXPECT_EQ(Shown(), 1);
  EXPECT_EQ(Tip(), "次のダイヤ: 土曜");
  EXPECT_EQ(Text("lblTime_1"), "22:10");
  TickOn(kSaturday, QTime(3, 0));
  EXPECT_EQ(Shown(), 1);
  EXPECT_EQ(Find<FlexGrid>("FGrid")->TextMatrix(0, 0), "22");
  EXPECT_EQ(Tip(), "今日のダイヤ: 土曜");

  // The user's own pick holds through the night, until Saturday's last bus (1:00) has gone.
  Find<QComboBox>("Combo")->setCurrentIndex(0);
  TickOn(kSaturday, QTime(23, 59, 59));
  TickOn(kSunday, QTime(0, 59, 59));
  EXPECT_EQ(Shown(), 0);
  TickOn(kSunday, QTime(1, 0));
  EXPECT_EQ(Shown(), 1);
  EXPECT_EQ(Tip(), "次のダイヤ: 休日");
  TickOn(kSunday, QTime(3, 0));
  EXPECT_EQ(Tip(), "今日のダイヤ: 休日");

  // The system clock jumping to another day chooses again.
  TickOn(kMonday.addDays(2), QTime(12, 0));
  EXPECT_EQ(Shown(), 0);
  TickOn(QDate(2026, 11, 23), QTime(12, 0));
  EXPECT_EQ(Shown(), 1);
  EXPECT_EQ(Tip(), "今日のダイヤ: 休日 (勤労感謝の日)");
}

// A pick made in the small hours for the morning stays through the start hour; one that has
// gone, or that a jump of the clock left behind, is released with the reason, and its alert
// closes.
TEST_F(DayTableTest, APickSurvivesTheNewDayOnlyWhileItIsStillAhead) {
  settings_.DayTables = {{0, 0, 0}, 3, false};
  settings_.MessageTimes_Min = 400;  // the alert is on show from the pick on
  OpenOn(kMonday, QTime(2, 59), false);
  auto* grid = Find<FlexGrid>("FGrid");
  grid->SetCurrentCell(1, 2);  // 6:15
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(Text("lblTime_0"), "6:15");
  TickOn(kMonday, QTime(3, 0));
  EXPECT_EQ(Text("lblTime_0"), "6:15");
  EXPECT_EQ(Text("lblMinute_0"), "3:15");
  ASSERT_TRUE(QTest::qWaitFor([this] { return window_->Alert() != nullptr; }));

  TickOn(kMonday.addDays(1), QTime(6, 10));  // a day later: that 6:15 has long gone
  EXPECT_EQ(Text("lblTime_0"), "");
  EXPECT_EQ(Text("lblComment_0"), "発車済みで選択解除");
  EXPECT_EQ(Text("Label_5"), "分前");
  ASSERT_TRUE(QTest::qWaitFor([this] { return window_->Alert() == nullptr; }));
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
