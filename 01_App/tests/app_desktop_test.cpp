// The clock window's tray icon, its desktop dialog and the dimming of passed departures.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <fstream>
#include <iterator>

#include "AppFixture.h"
#include "Autostart.h"
#include "ClockTray.h"
#include "DataFile.h"
#include "FeedRefresh.h"
#include "FlexGrid.h"
#include "ImportCommand.h"
#include "LoopbackServer.h"
#include "OleColor.h"
#include "SaveWatcher.h"
#include "TestFeed.h"
#include "frmDesktop.h"
#include "frmMsg.h"

namespace v42::apptest {
namespace {

using DesktopTest = AppFixture;

constexpr Color kFore = 0x0000FF, kBack = 0x00FFFF;  // red on yellow

// How many pixels of the icon at 32 pixels have each of the two colours.
std::pair<int, int> ColourCounts(const QIcon& icon) {
  const QImage image = icon.pixmap(32).toImage();
  int fore = 0, back = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      fore += image.pixelColor(x, y) == ToQColor(kFore);
      back += image.pixelColor(x, y) == ToQColor(kBack);
    }
  return {fore, back};
}

TEST_F(DesktopTest, TrayCountsDownInTheClocksColoursAndRedrawsOnlyWhenTheMinuteChanges) {
  settings_.ApplicationFontColor = kFore;
  settings_.ApplicationBackColor = kBack;
  Open({DayService(), NightService()}, QTime(8, 12, 58));
  ClockTray* tray = window_->Tray();
  ASSERT_NE(tray, nullptr);
  EXPECT_EQ(tray->Number(), "3");
  EXPECT_EQ(tray->ToolTip(), "平日\n1st  8:15  3分前\n2nd  8:20  8分前\nSet  なし");
  const auto [fore, back] = ColourCounts(tray->Icon());
  EXPECT_GT(fore, 10);       // the digits
  EXPECT_GT(back, 32 * 16);  // the ground around them
  const qint64 drawn = tray->Icon().cacheKey();
  TickAt(QTime(8, 12, 59));
  EXPECT_EQ(tray->Icon().cacheKey(), drawn);
  TickAt(QTime(8, 13, 0));
  EXPECT_EQ(tray->Number(), "2");
  EXPECT_NE(tray->Icon().cacheKey(), drawn);

  // The menu's timetables switch the window's, and follow it.
  QMenu* timetables = tray->Menu()->findChild<QMenu*>("trayTimetables");
  ASSERT_NE(timetables, nullptr);
  ASSERT_EQ(timetables->actions().size(), 2);
  EXPECT_EQ(timetables->actions()[0]->text(), "平日");
  EXPECT_TRUE(timetables->actions()[0]->isChecked());
  timetables->actions()[1]->trigger();
  EXPECT_EQ(Find<QComboBox>("Combo")->currentIndex(), 1);
  EXPECT_EQ(tray->Number(), "13h");  // the night service starts at 22:10
  EXPECT_TRUE(tray->ToolTip().startsWith("深夜\n"));
  Find<QComboBox>("Combo")->setCurrentIndex(0);
  EXPECT_TRUE(timetables->actions()[0]->isChecked());

  // A left click hides the window and the next one brings it back.
  tray->Activated(QSystemTrayIcon::Trigger);
  EXPECT_FALSE(window_->isVisible());
  tray->Activated(QSystemTrayIcon::Context);  // the menu's click leaves it
  EXPECT_FALSE(window_->isVisible());
  tray->Activated(QSystemTrayIcon::Trigger);
  EXPECT_TRUE(window_->isVisible());
}

TEST_F(DesktopTest, DialogSwitchesTheTrayOffAndDimmingOnAndWritesOnlyOnOk) {
  Open({DayService()}, QTime(8, 16, 59));
  auto* grid = Find<FlexGrid>("FGrid");
  EXPECT_EQ(grid->CellForeColorAt(3, 1), 0);  // 8:15 has gone, but dimming is off
  auto* menu = Find<QAction>("menuOptionDesktop");
  const auto dialog = [&] { return window_->findChild<frmDesktop*>("frmDesktop"); };
  const auto fileText = [&] {
    std::ifstream in(Folder() / kIniFileName, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string before = fileText();

  menu->trigger();
  ASSERT_NE(dialog(), nullptr);
  EXPECT_TRUE(dialog()->findChild<QCheckBox*>("chkTrayIcon")->isChecked());
  EXPECT_TRUE(dialog()->findChild<QRadioButton*>("optAlert_2")->isChecked());
  dialog()->findChild<QCheckBox*>("chkDimPassed")->setChecked(true);
  QTest::mouseClick(dialog()->findChild<QPushButton*>("comCancel"), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialog() == nullptr; }, 5000));
  EXPECT_EQ(fileText(), before);
  EXPECT_EQ(grid->CellForeColorAt(3, 1), 0);

  // Hidden from the tray, the window comes back when the tray goes.
  window_->Tray()->Activated(QSystemTrayIcon::Trigger);
  ASSERT_FALSE(window_->isVisible());
  menu->trigger();
  dialog()->findChild<QCheckBox*>("chkTrayIcon")->setChecked(false);
  dialog()->findChild<QRadioButton*>("optAlert_1")->setChecked(true);
  dialog()->findChild<QCheckBox*>("chkDimPassed")->setChecked(true);
  QTest::mouseClick(dialog()->findChild<QPushButton*>("comOK"), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialog() == nullptr; }, 5000));
  EXPECT_EQ(fileText(), before + "TrayIcon=OFF\r\nAlertStyle=NOTIFY\r\nDimPassed=ON\r\n");
  EXPECT_EQ(window_->Tray(), nullptr);
  EXPECT_TRUE(window_->isVisible());

  // Passed cells fade, the 1st keeps its colours, and the minute moves the line on.
  EXPECT_EQ(grid->CellForeColorAt(3, 1), 0x999999);
  EXPECT_EQ(grid->CellBackColorAt(3, 2), 0x0000FF);
  EXPECT_EQ(grid->CellForeColorAt(3, 2), kBlack);
  TickAt(QTime(8, 20));
  EXPECT_EQ(grid->CellForeColorAt(3, 2), 0x999999);
  EXPECT_EQ(grid->CellBackColorAt(3, 2), 0);
  EXPECT_EQ(grid->CellBackColorAt(3, 3), 0x0000FF);
  EXPECT_EQ(grid->CellForeColorAt(5, 1), 0);  // 10:05 still to come
}

TEST_F(DesktopTest, TheLoginBoxWritesTheAutostartEntryOnlyOnOkAndRemovesIt) {
  QTemporaryDir config;
  const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  const std::filesystem::path entry = AutostartFile();
  Open({DayService()}, QTime(8, 0));
  const auto setLoginBox = [&](bool on, const char* button) {
    Find<QAction>("menuOptionDesktop")->trigger();
    auto* dialog = window_->findChild<frmDesktop*>("frmDesktop");
    EXPECT_EQ(dialog->findChild<QCheckBox*>("chkStartAtLogin")->isChecked(), StartsAtLogin());
    dialog->findChild<QCheckBox*>("chkStartAtLogin")->setChecked(on);
    QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window_->findChild<frmDesktop*>(); }, 5000));
  };
  setLoginBox(true, "comCancel");
  EXPECT_FALSE(std::filesystem::exists(entry));
  setLoginBox(true, "comOK");
  ASSERT_TRUE(std::filesystem::exists(entry));
  std::ifstream in(entry, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
            AutostartEntry(QCoreApplication::applicationFilePath().toStdString()));
  setLoginBox(false, "comOK");
  EXPECT_FALSE(std::filesystem::exists(entry));
  if (savedConfig.isNull()) {
    qunsetenv("XDG_CONFIG_HOME");
  } else {
    qputenv("XDG_CONFIG_HOME", savedConfig);
  }
}

// The editor saves while the clock runs: once switched on, the clock shows what was saved,
// but never under a departure whose alert the user is waiting for.
TEST_F(DesktopTest, SavedTimetablesAreShownOnceSwitchedOnButWaitForTheChosenDeparturesAlert) {
  Open({DayService(), NightService()}, QTime(8, 0));
  const auto watcher = [&] { return window_->findChild<SaveWatcher*>("SaveWatcher"); };
  EXPECT_EQ(watcher(), nullptr);  // off unless switched on: nothing watches the folder
  Find<QAction>("menuOptionDesktop")->trigger();
  auto* dialog = window_->findChild<frmDesktop*>("frmDesktop");
  ASSERT_NE(dialog, nullptr);
  dialog->findChild<QCheckBox*>("chkFollowSaves")->setChecked(true);
  QTest::mouseClick(dialog->findChild<QPushButton*>("comOK"), Qt::LeftButton);
  ASSERT_NE(watcher(), nullptr);

  auto* combo = Find<QComboBox>("Combo");
  auto* grid = Find<FlexGrid>("FGrid");
  combo->setCurrentIndex(1);
  const auto save = [&](std::initializer_list<TimetableRecord> records) {
    TimetableStore store;
    for (const auto& record : records) store.Records[store.Count++] = record;
    WriteDataFile(store, Folder());
  };
  save({Titled(v42::test::Record({{8, {5}}}), "臨時"), NightService(), DayService()});
  ASSERT_TRUE(QTest::qWaitFor([&] { return combo->count() == 3; }, 5000));
  EXPECT_EQ(combo->itemText(0), "臨時");
  EXPECT_EQ(combo->currentText(), "深夜");  // what was on show stays on show
  EXPECT_EQ(grid->TextMatrix(0, 0), "22");

  combo->setCurrentIndex(2);
  grid->SetCurrentCell(3, 1);  // 8:15, its alert due at 8:12
  QTest::keyClick(grid, Qt::Key_Return);
  ASSERT_TRUE(window_->Clock().AlertArmed());
  save({DayService()});
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->SavesWaiting(); }, 5000));
  TickAt(QTime(8, 11));
  EXPECT_EQ(combo->count(), 3);
  EXPECT_EQ(Text("lblTime_0"), "8:15");

  TickAt(QTime(8, 12));
  auto* alert = window_->findChild<frmMsg*>();
  ASSERT_NE(alert, nullptr);
  TickAt(QTime(8, 12, 30));
  EXPECT_EQ(combo->count(), 3);  // not under the alert either
  alert->close();
  TickAt(QTime(8, 13));
  EXPECT_EQ(combo->count(), 1);
  EXPECT_EQ(Text("lblTime_0"), "");
  EXPECT_EQ(Text("lblTime_1"), "8:15");

  // An open dialog works on what it was opened with: the saved files wait for it to close.
  Find<QAction>("menuOptionIni")->trigger();
  save({DayService(), NightService()});
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->SavesWaiting(); }, 5000));
  TickAt(QTime(8, 14));
  EXPECT_EQ(combo->count(), 1);
  QTest::mouseClick(window_->findChild<QDialog*>("frmOption")->findChild<QPushButton*>("comCancel"),
                    Qt::LeftButton);
  TickAt(QTime(8, 15));
  EXPECT_EQ(combo->count(), 2);
}

// An imported timetable's validity from the source record: a line under the clock from a
// week before it ends, and the mark of an expired one in the list, the line and the tray.
TEST_F(DesktopTest, ExpiringAndExpiredTimetablesAreMarked) {
  std::ofstream(Folder() / "velkan42.feeds.json")
      << R"({"format":1,"timetables":[{"timetable":0,"calendarUntil":"2026-12-13"},)"
         R"({"timetable":1,"calendarUntil":"2026-12-05","feedEnd":"2026-12-31"}]})";
  Open({DayService(), NightService()}, QTime(8, 12));
  auto* line = Find("lblValidity");
  EXPECT_TRUE(line->isVisible());
  EXPECT_EQ(line->text(), "時刻表は 2026/12/13 まで有効です");  // seven days ahead
  auto* list = Find<QComboBox>("Combo");
  EXPECT_EQ(list->itemText(0), "平日");
  EXPECT_EQ(list->itemText(1), "期限切れ 深夜");
  EXPECT_TRUE(window_->Tray()->ToolTip().endsWith("\n時刻表は 2026/12/13 まで有効です"));
  const int height = window_->height();

  list->setCurrentIndex(1);
  EXPECT_EQ(line->text(), "時刻表の有効期限（2026/12/05）を過ぎています");
  EXPECT_TRUE(
      window_->Tray()->ToolTip().endsWith("\n時刻表の有効期限（2026/12/05）を過ぎています"));
  EXPECT_EQ(window_->height(), height);
  EXPECT_GE(line->geometry().top(), Find("lblNowTime")->geometry().bottom());

  // A day earlier the first is more than a week from its end: no line, the window as usual.
  list->setCurrentIndex(0);
  date_ = date_.addDays(-1);
  TickAt(QTime(8, 13));
  EXPECT_TRUE(line->isHidden());
  EXPECT_LT(window_->height(), height);
}

// Switched on, the daily check refreshes a timetable imported from a URL in the background and
// the clock shows it; the next check on the same day asks nothing.
TEST_F(DesktopTest, TheDailyCheckRefreshesUrlTimetablesAndTheClockTakesThem) {
  test::TempFolder work;
  qputenv("XDG_CACHE_HOME", QByteArray::fromStdString((work / "cache").string()));
  test::TestFeed feed;
  std::string served;
  test::LoopbackServer server([&](const test::HttpRequest&) {
    return test::HttpResponse{200, {{"ETag", std::to_string(served.size())}}, served, false};
  });
  feed.WriteZip(work / "a.zip");
  served = test::ReadBytes(work / "a.zip");
  std::filesystem::create_directory(work / "import");
  std::ostringstream out, err;
  ASSERT_EQ(gtfs::RunImportCommand({server.Url("/feed.zip"), "--stop", "S1", "--date", "2026-12-07",
                                    "--folder", (work / "import").string()},
                                   {{2026, 12, 6}, {}}, out, err),
            0)
      << err.str();
  TimetableStore imported;
  ReadDataFile(imported, work / "import");
  std::filesystem::copy_file(work / "import" / feeds::kFeedsFileName,
                             Folder() / feeds::kFeedsFileName);

  // The next season is out before the clock starts.
  feed.Files["stop_times.txt"] += "T2,08:40:00,08:40:00,S1,1\nT2,09:00:00,09:00:00,S2,2\n";
  feed.Files["trips.txt"] += "R1,WK,T2,終点行,0\n";
  feed.WriteZip(work / "b.zip");
  served = test::ReadBytes(work / "b.zip");
  settings_.Desktop.DailyRefresh = true;
  Open({imported.Records[0]}, QTime(7, 0));
  ASSERT_NE(window_->Refresher(), nullptr);
  std::optional<QStringList> told;
  QObject::connect(window_->Refresher(), &FeedRefresher::Finished,
                   [&](const QStringList& lines, bool) { told = lines; });
  QTRY_VERIFY_WITH_TIMEOUT(told.has_value(), 20000);
  EXPECT_EQ(*told, QStringList{"1件目「駅前 平日」: 更新しました"});
  QTRY_COMPARE(context_.Store.Records[0].Departures[0][2].Value, 40);
  EXPECT_EQ(Find<FlexGrid>("FGrid")->TextMatrix(0, 2), "40");

  const auto asked = server.Requests().size();
  window_->Refresher()->CheckNow();
  EXPECT_FALSE(window_->Refresher()->Running());
  EXPECT_EQ(server.Requests().size(), asked);
  qunsetenv("XDG_CACHE_HOME");
}

}  // namespace
}  // namespace v42::apptest
