// The clock's main window under the offscreen platform at set times.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "AppFixture.h"
#include "FlexGrid.h"
#include "OleColor.h"
#include "Twips.h"

namespace v42::apptest {
namespace {

using WindowTest = AppFixture;

void DoubleClickCell(FlexGrid* grid, int row, int col) {
  const QPoint at = grid->CellRect(row, col).center() - grid->viewport()->pos();
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

// The grid's width follows the fullest hour of all timetables; the window follows the grid.
TEST_F(WindowTest, GridColumnsAndWindowWidthFollowTheFullestHour) {
  struct Case {
    std::vector<int> minutes;  // of the 7 o'clock row of a second timetable
    int cols;
  };
  for (const Case& c : {Case{{1, 2, 3, 4, 5, 6}, 7}, Case{{1, 2, 3, 4, 5, 6, 7}, 8},
                        Case{std::vector<int>(20, 0), 21}}) {
    TimetableRecord wide = Titled(Record({{7, {}}}), "wide");
    for (std::size_t i = 0; i < c.minutes.size(); ++i)
      wide.Departures[0][i + 1].Value = static_cast<std::uint8_t>(i * 2);
    Open({DayService(), wide}, QTime(8, 16));
    auto* grid = Find<FlexGrid>("FGrid");
    EXPECT_EQ(grid->Cols(), c.cols);
    const int gridWidth = c.cols * 330 + 90;
    EXPECT_EQ(grid->width(), TwipsToPixelsX(gridWidth));
    EXPECT_EQ(Find<QGroupBox>("frmNext_1")->x(), TwipsToPixelsX(gridWidth + 30));
    EXPECT_EQ(Find<FlexGrid>("FGType")->x(), TwipsToPixelsX(gridWidth + 30));
    EXPECT_EQ(window_->centralWidget()->width(), TwipsToPixelsX(gridWidth - 4590 + 6900 - 90));
  }
}

TEST_F(WindowTest, GridShowsHoursAndMinutesInServiceOrder) {
  Open({NightService()}, QTime(23, 58));
  auto* grid = Find<FlexGrid>("FGrid");
  ASSERT_EQ(grid->Rows(), 4);
  EXPECT_EQ(grid->FixedCols(), 1);
  const char* expected[4][3] = {
      {"22", "10", "40"}, {"23", "30", ""}, {"0", "5", "20"}, {"1", "0", ""}};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(grid->TextMatrix(r, c), expected[r][c]) << r << c;
  EXPECT_EQ(grid->ColWidth(3), 330);
  EXPECT_EQ(grid->ColAlignment(3), 7);
  // After 23:30 the next departure is the first after midnight.
  EXPECT_EQ(Text("lblTime_1"), "0:05");
  EXPECT_EQ(Text("lblMinute_1"), "7");
  EXPECT_EQ(Text("lblTime_2"), "0:20");
}

TEST_F(WindowTest, CellsShowTheClocksColoursAndTheirTypesStyles) {
  TimetableRecord record = DayService();
  record.Departures[3][2].TypeLetter = 'a';  // 8:20, the 1st at 8:16
  record.Departures[3][3].TypeLetter = 'b';  // 8:50
  record.Types[0] = {"快速", 0x0000FF, 0xFFFFFF, true, false};
  record.Types[1] = {"急行", 0xFF0000, 0x00FFFF, false, true};
  record.GridColors.NextBackColor = 0x00FF00;
  Open({record}, QTime(8, 16));
  auto* grid = Find<FlexGrid>("FGrid");
  const DepartureClock& clock = window_->Clock();
  for (int r = 0; r < grid->Rows(); ++r)
    for (int c = 0; c < grid->Cols(); ++c) {
      EXPECT_EQ(grid->CellForeColorAt(r, c), clock.Look(r, c).Fore) << r << "," << c;
      EXPECT_EQ(grid->CellBackColorAt(r, c), clock.Look(r, c).Back) << r << "," << c;
    }
  EXPECT_EQ(grid->CellBackColorAt(3, 2), 0x00FF00);  // the next departure
  EXPECT_EQ(grid->CellBackColorAt(3, 3), 0x00FFFF);  // its type
  EXPECT_TRUE(grid->CellFontBoldAt(3, 2));
  EXPECT_TRUE(grid->CellFontItalicAt(3, 3));
  EXPECT_FALSE(grid->CellFontBoldAt(3, 1));
  EXPECT_EQ(grid->Row(), 3);  // the search leaves the current cell on the 1st
  EXPECT_EQ(grid->Col(), 2);

  auto* legend = Find<FlexGrid>("FGType");
  EXPECT_EQ(legend->Rows(), 26);
  EXPECT_EQ(legend->TextMatrix(0, 0), "●快速");
  EXPECT_EQ(legend->TextMatrix(25, 0), "●");
  EXPECT_EQ(legend->CellForeColorAt(1, 0), 0xFF0000);
  EXPECT_TRUE(legend->CellFontItalicAt(1, 0));
  EXPECT_EQ(Find("lblNextColor")->palette().color(QPalette::Window), ToQColor(0x00FF00));
  EXPECT_EQ(Find("lblSetColor")->palette().color(QPalette::Window), ToQColor(0xFF8080));
}

TEST_F(WindowTest, ApplicationColoursAndCommentColours) {
  settings_.ApplicationBackColor = 0x203040;
  settings_.ApplicationFontColor = 0x00FFFF;
  Open({DayService()}, QTime(11, 0));  // service over: the comments show
  EXPECT_EQ(window_->centralWidget()->palette().color(QPalette::Window), ToQColor(0x203040));
  EXPECT_EQ(Find<QGroupBox>("frmNext_2")->palette().color(QPalette::Window), ToQColor(0x203040));
  for (const char* name : {"lblTime_1", "lblMinute_0", "Label_3", "lblNowTime"})
    EXPECT_EQ(Find(name)->palette().color(QPalette::WindowText), ToQColor(0x00FFFF)) << name;
  EXPECT_EQ(Text("lblComment_1"), "運行は終了しました。");
  EXPECT_EQ(Find("lblComment_1")->palette().color(QPalette::WindowText),
            ToQColor(settings_.Comments[0].Color));
}

TEST_F(WindowTest, TimetableListSwitchesTheGridAndForgetsTheChoice) {
  Open({DayService(), NightService()}, QTime(8, 16));
  auto* combo = Find<QComboBox>("Combo");
  ASSERT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->itemText(1), "深夜");
  auto* grid = Find<FlexGrid>("FGrid");
  DoubleClickCell(grid, 3, 3);
  EXPECT_EQ(Text("lblTime_0"), "8:50");
  combo->setCurrentIndex(1);
  EXPECT_EQ(grid->Rows(), 4);
  EXPECT_EQ(grid->TextMatrix(0, 0), "22");
  EXPECT_EQ(Text("lblTime_0"), "");
  EXPECT_EQ(Text("lblTime_1"), "22:10");
}

TEST_F(WindowTest, ChoosingByDoubleClickAndByEnter) {
  Open({DayService()}, QTime(8, 16));
  auto* grid = Find<FlexGrid>("FGrid");
  DoubleClickCell(grid, 3, 3);  // 8:50
  EXPECT_EQ(Text("lblTime_0"), "8:50");
  EXPECT_EQ(Text("lblMinute_0"), "34");
  EXPECT_EQ(Text("Label_5"), "分前");
  EXPECT_EQ(grid->CellBackColorAt(3, 3), 0xFF8080);

  // Every text in the window fits its label.
  for (QLabel* label : window_->findChildren<QLabel*>())
    EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width())
        << label->objectName().toStdString();

  grid->SetCurrentCell(5, 2);  // 10:30, more than an hour ahead
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(Text("lblTime_0"), "10:30");
  EXPECT_EQ(Text("lblMinute_0"), "2:14");
  EXPECT_EQ(Text("Label_5"), "前");
  EXPECT_EQ(Find("lblMinute_0")->width(), TwipsToPixelsX(555));
  EXPECT_EQ(Find("Label_5")->x(), TwipsToPixelsX(1860));
  EXPECT_EQ(grid->CellBackColorAt(3, 3), 0);  // the old choice lost its colours
  EXPECT_TRUE(window_->Clock().AlertArmed());

  DoubleClickCell(grid, 3, 0);  // the hour column
  EXPECT_EQ(Text("lblTime_0"), "10:30");
}

TEST_F(WindowTest, NothingIsChosenAfterTheLastDeparture) {
  Open({DayService()}, QTime(10, 31));
  auto* grid = Find<FlexGrid>("FGrid");
  DoubleClickCell(grid, 5, 2);
  grid->SetCurrentCell(5, 1);
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(Text("lblTime_0"), "");
  EXPECT_FALSE(window_->Clock().AlertArmed());
}

TEST_F(WindowTest, MinimisedCaptionCountsDownAndRestoreSearchesAgain) {
  Open({DayService()}, QTime(8, 16, 30));
  window_->showMinimized();
  EXPECT_EQ(window_->windowTitle(), "ベルカン 42 (分前) 8:20");  // nothing chosen yet
  window_->showNormal();
  DoubleClickCell(Find<FlexGrid>("FGrid"), 3, 3);  // 8:50
  window_->showMinimized();
  EXPECT_EQ(window_->windowTitle(), "ベルカン 42 (34分前) 8:20");
  TickAt(QTime(8, 17));
  EXPECT_EQ(window_->windowTitle(), "ベルカン 42 (33分前) 8:20");
  TickAt(QTime(8, 20));  // the 1st is reached: searched again
  EXPECT_EQ(window_->windowTitle(), "ベルカン 42 (30分前) 8:50");
  window_->showNormal();
  EXPECT_EQ(window_->windowTitle(), "ベルカン 42");
  EXPECT_EQ(Text("lblTime_1"), "8:50");
}

TEST_F(WindowTest, TheAlertOpensAfterTheTickAndTheClockTicksOnUnderIt) {
  settings_.MessageSoundFlag = 0;
  Open({DayService()}, QTime(8, 16, 30));
  DoubleClickCell(Find<FlexGrid>("FGrid"), 3, 2);  // 8:20
  TickAt(QTime(8, 16, 59));
  EXPECT_EQ(window_->Alert(), nullptr);
  now_ = QDateTime(QDate(2026, 12, 6), QTime(8, 17, 0));  // 3 minutes ahead: due
  window_->Timer1_Timer();
  EXPECT_EQ(window_->Alert(), nullptr);  // not inside the tick
  QCoreApplication::processEvents();
  frmMsg* alert = window_->Alert();
  ASSERT_NE(alert, nullptr);
  EXPECT_TRUE(alert->isVisible());
  EXPECT_TRUE(alert->isModal());
  TickAt(QTime(8, 17, 1));
  EXPECT_EQ(Text("lblNowTime"), "2026.12.06  08:17:01");
  TickAt(QTime(8, 18, 0));
  EXPECT_EQ(window_->Alert(), alert);  // once per choice
  QTest::mouseClick(alert->findChild<QPushButton*>("comOK"), Qt::LeftButton);
  EXPECT_EQ(Text("lblComment_0"), "もうすぐ来ます。");
  TickAt(QTime(8, 19, 0));
  EXPECT_EQ(Text("lblComment_0"), "もうすぐ来ます。");
}

TEST_F(WindowTest, ClosingTheAlertRestoresTheMinimisedWindow) {
  Open({DayService()}, QTime(8, 16, 30));
  DoubleClickCell(Find<FlexGrid>("FGrid"), 3, 2);
  window_->showMinimized();
  TickAt(QTime(8, 17, 0));
  ASSERT_NE(window_->Alert(), nullptr);
  window_->Alert()->reject();  // the close box
  EXPECT_FALSE(window_->isMinimized());
  EXPECT_EQ(window_->windowTitle(), "ベルカン 42");
}

// The settings dialog writes the file on OK; after it closes either way the clock takes what
// the file holds, keeps its choice and its alert, and ticks on while the dialog is open.
TEST_F(WindowTest, AfterTheSettingsDialogTheClockTakesTheFileAndKeepsItsChoice) {
  Open({DayService()}, QTime(8, 16));
  DoubleClickCell(Find<FlexGrid>("FGrid"), 3, 3);  // 8:50
  window_->findChild<QAction*>("menuOptionIni")->trigger();
  auto* dialog = window_->findChild<QDialog*>("frmOption");
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  TickAt(QTime(8, 16, 1));
  EXPECT_EQ(Text("lblNowTime"), "2026.12.06  08:16:01");

  IniSettings changed = settings_;
  changed.ApplicationBackColor = 0x112233;
  changed.Comments[0].Text = "本日終了";
  WriteIniFile(changed, Folder());
  QTest::mouseClick(dialog->findChild<QPushButton*>("comCancel"), Qt::LeftButton);
  EXPECT_EQ(window_->centralWidget()->palette().color(QPalette::Window), ToQColor(0x112233));
  EXPECT_EQ(Text("lblTime_0"), "8:50");
  EXPECT_TRUE(window_->Clock().AlertArmed());
  EXPECT_EQ(Find<FlexGrid>("FGrid")->CellBackColorAt(3, 3), 0xFF8080);
  TickAt(QTime(10, 31));  // the service ends: the new comment shows
  EXPECT_EQ(Text("lblComment_1"), "本日終了");
}

TEST_F(WindowTest, ABadOrMissingDataFileEndsBeforeTheWindow) {
  context_.AppFolder = Folder();
  window_ = std::make_unique<frmVelkan42>(context_);
  EXPECT_FALSE(window_->Form_Load());
  ASSERT_EQ(MessageBoxSeam::Calls().size(), 1u);
  EXPECT_EQ(MessageBoxSeam::Calls()[0].Caption, "ファイル存在エラー");
  EXPECT_EQ(MessageBoxSeam::Calls()[0].Icon, MsgIcon::Critical);

  std::ofstream(Folder() / "velkan42.dat", std::ios::binary) << "t>\r\n6,256\r\n<\r\n";
  MessageBoxSeam::ClearCalls();
  window_ = std::make_unique<frmVelkan42>(context_);
  EXPECT_FALSE(window_->Form_Load());
  ASSERT_EQ(MessageBoxSeam::Calls().size(), 1u);
  EXPECT_EQ(MessageBoxSeam::Calls()[0].Caption, "ファイル形式エラー");
  EXPECT_FALSE(window_->isVisible());
}

// Hand-written settings: only the keys the file names change, the rest keep their defaults,
// and a UTF-8 line is read as such.
TEST_F(WindowTest, ASettingsFileWithoutColoursStartsFromTheDefaults) {
  TimetableStore store;
  store.Records[store.Count++] = DayService();
  WriteDataFile(store, Folder());
  std::ofstream(Folder() / "velkan42.ini", std::ios::binary) << "\xEF\xBB\xBF"
                                                                "CommentText_0=本日の運行終了\r\n";
  context_.AppFolder = Folder();
  context_.Settings = {};  // as a program starts
  window_ = std::make_unique<frmVelkan42>(context_);
  window_->SetClock([] { return QDateTime(QDate(2026, 12, 6), QTime(11, 0)); });
  ASSERT_TRUE(window_->Form_Load());
  window_->show();
  EXPECT_TRUE(MessageBoxSeam::Calls().empty());
  EXPECT_EQ(window_->centralWidget()->palette().color(QPalette::Window), ToQColor(0xC0C0C0));
  EXPECT_EQ(Find("lblNowTime")->palette().color(QPalette::WindowText), ToQColor(0x404040));
  EXPECT_EQ(Text("lblComment_1"), "本日の運行終了");
  EXPECT_EQ(Find("lblComment_1")->palette().color(QPalette::WindowText), ToQColor(0x004080));
}

// A file without any timetable (its section lines only) is no error to the reader: the
// window opens empty.
TEST_F(WindowTest, AnEmptyTimetableFileOpensAnEmptyWindow) {
  context_.AppFolder = Folder();
  WriteDataFile({}, Folder());
  window_ = std::make_unique<frmVelkan42>(context_);
  ASSERT_TRUE(window_->Form_Load());
  window_->show();
  EXPECT_EQ(Find<QComboBox>("Combo")->count(), 0);
  EXPECT_EQ(Text("lblTime_1"), "");
  DoubleClickCell(Find<FlexGrid>("FGrid"), 0, 1);
  QTest::keyClick(Find<FlexGrid>("FGrid"), Qt::Key_Return);
  TickAt(QTime(8, 0));
  EXPECT_EQ(Text("lblTime_0"), "");
}

// With the real clock: each second shows once, in order, soon after it begins.
TEST_F(WindowTest, TheLabelFollowsTheWallClockSecondBySecond) {
  Open({DayService()}, QTime(8, 16));
  window_ = std::make_unique<frmVelkan42>(context_);
  ASSERT_TRUE(window_->Form_Load());
  std::vector<std::pair<QString, qint64>> seen;
  QObject::connect(window_.get(), &frmVelkan42::Ticked, [&] {
    seen.emplace_back(Text("lblNowTime"), QDateTime::currentMSecsSinceEpoch());
  });
  ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() >= 3; }, 5000));
  for (std::size_t i = 0; i < seen.size(); ++i) {
    const QDateTime shown = QDateTime::fromString(seen[i].first, "yyyy.MM.dd  hh:mm:ss");
    const qint64 lag = seen[i].second - shown.toMSecsSinceEpoch();
    EXPECT_GE(lag, 0) << seen[i].first.toStdString();
    EXPECT_LT(lag, 250) << seen[i].first.toStdString();
    if (i > 0) {
      const auto before = QDateTime::fromString(seen[i - 1].first, "yyyy.MM.dd  hh:mm:ss");
      EXPECT_EQ(before.secsTo(shown), 1);
    }
  }
}

}  // namespace
}  // namespace v42::apptest
