// The editor started on a folder without a timetable, through its real start-up.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <fstream>

#include "EditorFixture.h"
#include "FileOpenDialog.h"
#include "FirstStart.h"
#include "IniFile.h"
#include "basV42Editor.h"
#include "frmGtfsImport.h"

namespace v42 {
namespace {

QStringList Titles(const EditorProgram& program) {
  QStringList titles;
  const auto* list = program.Window->findChild<QListWidget*>("lstDataList");
  for (int i = 0; list != nullptr && i < list->count(); ++i) titles << list->item(i)->text();
  return titles;
}

TEST(EditorFirstStart, TheListOpensOnTheSampleOrAnEmptyTimetableAndQuitEndsWithNothingMade) {
  MessageBoxSeam::StartRecording();
  QTemporaryDir lock, sample, empty, quit;
  MessageBoxSeam::QueueChoice(0);
  auto program = basV42Editor(sample.path().toStdString(), lock.path().toStdString());
  ASSERT_NE(program.Window, nullptr);
  EXPECT_EQ(Titles(program).size(), 3);  // the sample that comes with the programs
  program = {};

  MessageBoxSeam::QueueChoice(1);
  program = basV42Editor(empty.path().toStdString(), lock.path().toStdString());
  ASSERT_NE(program.Window, nullptr);
  EXPECT_EQ(Titles(program), QStringList{"新規データ"});
  program = {};

  MessageBoxSeam::QueueChoice(3);
  program = basV42Editor(quit.path().toStdString(), lock.path().toStdString());
  EXPECT_EQ(program.Window, nullptr);
  EXPECT_TRUE(QDir(quit.path()).isEmpty());
  EXPECT_EQ(MessageBoxSeam::Calls().size(), 3u);  // one offer each, nothing else
  MessageBoxSeam::StopRecording();
}

// A stand-in clock in a folder of its own that notes when it is started.
struct StandInClock {
  StandInClock() {
    QFile clock(bin.filePath("Velkan42"));
    clock.open(QIODevice::WriteOnly);
    clock.write("#!/bin/sh\necho started > \"$(dirname \"$0\")/clock.log\"\n");
    clock.close();
    clock.setPermissions(clock.permissions() | QFile::ExeOwner);
  }
  std::filesystem::path Folder() const { return bin.path().toStdString(); }
  bool Started() const {
    return QTest::qWaitFor([&] { return QFile::exists(bin.filePath("clock.log")); }, 5000);
  }
  QTemporaryDir bin;
};

// A feed of one stop with one departure, 8:15, every day for years to come: the day the dialog
// starts from has it whatever today is. Returns the file a user picks.
QString WriteFeed(const QString& folder) {
  const std::pair<const char*, const char*> files[] = {
      {"stops.txt", "stop_id,stop_name\nP1,公園前\nP2,車庫\n"},
      {"routes.txt", "route_id,route_short_name,route_type\nR,園01,3\n"},
      {"trips.txt", "route_id,service_id,trip_id\nR,ALL,T\n"},
      {"calendar.txt",
       "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,end_date\n"
       "ALL,1,1,1,1,1,1,1,20200101,20991231\n"},
      {"stop_times.txt",
       "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
       "T,08:15:00,08:15:00,P1,1\nT,08:40:00,08:40:00,P2,2\n"},
  };
  for (const auto& [name, text] : files) {
    QFile out(folder + '/' + name);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) < 0) return {};
  }
  return folder + "/stops.txt";
}

// The import dialog the start opened, once it is on screen.
frmGtfsImport* ImportDialog(const EditorProgram& program) {
  return program.Window ? test::OpenWindow<frmGtfsImport>(program.Window.get()) : nullptr;
}

TEST(EditorFirstStart, TheGtfsChoiceOpensTheImportOnAnEmptyListAndTheFirstSaveMakesTheFile) {
  MessageBoxSeam::StartRecording();
  QTemporaryDir lock, folder, feed;
  MessageBoxSeam::QueueChoice(2);
  auto program = basV42Editor(folder.path().toStdString(), lock.path().toStdString());
  ASSERT_NE(program.Window, nullptr);
  EXPECT_TRUE(Titles(program).isEmpty());
  frmGtfsImport* dialog = ImportDialog(program);
  ASSERT_NE(dialog, nullptr);

  const QString stops = WriteFeed(feed.path());
  ASSERT_FALSE(stops.isEmpty());
  FileOpenDialogSeam::QueueFileName(stops.toStdString());
  test::Click(dialog->findChild<QPushButton*>("cmdFeed"));
  auto* search = dialog->findChild<QLineEdit*>("txtStop");
  ASSERT_TRUE(QTest::qWaitFor([&] { return search->isEnabled(); }));
  test::TypeText(search, "公園");
  auto* found = dialog->findChild<QListWidget*>("lstStops");
  ASSERT_EQ(found->count(), 1);
  QTest::mouseClick(found->viewport(), Qt::LeftButton, {},
                    found->visualItemRect(found->item(0)).center());
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->Preview().has_value(); }));
  test::Click(dialog->findChild<QPushButton*>("cmdAct_0"));
  ASSERT_EQ(Titles(program).size(), 1);
  EXPECT_TRUE(QDir(folder.path()).isEmpty());  // added, not yet saved

  program.Window->findChild<QAction*>("menuFileSave")->trigger();
  TimetableStore saved;
  ReadDataFile(saved, folder.path().toStdString());
  ASSERT_EQ(saved.Count, 1);
  EXPECT_EQ(saved.Records[0].Title, Titles(program)[0].toStdString());
  EXPECT_EQ(saved.Records[0].Departures[0][0].Value, 8);
  EXPECT_EQ(saved.Records[0].Departures[0][1], (DepartureCell{15, 'a'}));
  EXPECT_TRUE(program.Window->close());
  ASSERT_EQ(MessageBoxSeam::Calls().size(), 2u);  // the offer and the save's notice
  EXPECT_EQ(MessageBoxSeam::Calls()[1].Text, "ファイルを保存しました。");
  // Started for the clock's first start, the editor hands back to the clock.
  StandInClock clock;
  EXPECT_FALSE(ReturnToClock(program, false, clock.Folder()));
  EXPECT_TRUE(ReturnToClock(program, true, clock.Folder()));
  EXPECT_TRUE(clock.Started());
  FileOpenDialogSeam::Reset();
  MessageBoxSeam::StopRecording();
}

// As the clock starts it: no offer, the dialog at once; cancelled, the empty list is no change.
TEST(EditorFirstStart, AnImportStartCancelledEndsWithNoQuestionAndNoFile) {
  MessageBoxSeam::StartRecording();
  QTemporaryDir lock, folder;
  auto program = basV42Editor(folder.path().toStdString(), lock.path().toStdString(), true);
  ASSERT_NE(program.Window, nullptr);
  QPointer<frmGtfsImport> dialog = ImportDialog(program);
  ASSERT_FALSE(dialog.isNull());
  test::Click(dialog->findChild<QPushButton*>("cmdAct_1"));
  EXPECT_TRUE(test::Gone(dialog));
  EXPECT_TRUE(program.Window->isVisible());
  EXPECT_TRUE(Titles(program).isEmpty());
  EXPECT_TRUE(program.Window->close());
  EXPECT_TRUE(MessageBoxSeam::Calls().empty());
  EXPECT_TRUE(QDir(folder.path()).isEmpty());
  // Nothing saved: no clock to go back to.
  EXPECT_FALSE(ReturnToClock(program, true, StandInClock().Folder()));
  program = {};

  // A timetable already there is opened as always, the import over it.
  StartEmpty(folder.path().toStdString());
  program = basV42Editor(folder.path().toStdString(), lock.path().toStdString(), true);
  ASSERT_NE(program.Window, nullptr);
  EXPECT_EQ(Titles(program), QStringList{"新規データ"});
  EXPECT_NE(ImportDialog(program), nullptr);
  EXPECT_TRUE(MessageBoxSeam::Calls().empty());
  MessageBoxSeam::StopRecording();
}

// A station with two poles of its name, through 2099: weekdays 7:05 and a night bus at 27:10
// towards 渋谷駅 and 7:30 towards 新橋, Saturdays 8:15, Sundays 9:20.
QString WriteCommuterFeed(const QString& folder) {
  const std::pair<const char*, const char*> files[] = {
      {"stops.txt",
       "stop_id,stop_name,location_type,parent_station,platform_code\n"
       "ST,東京駅丸の内南口,1,,\nP1,東京駅丸の内南口,0,ST,1\nP2,東京駅丸の内南口,0,ST,2\n"
       "E,八重洲口,0,,\n"},
      {"routes.txt", "route_id,route_short_name,route_type\nR1,都01,3\nR2,深夜01,3\n"},
      {"trips.txt",
       "route_id,service_id,trip_id,trip_headsign,direction_id\n"
       "R1,WK,W1,渋谷駅,0\nR2,WK,W2,渋谷駅,0\nR1,WK,W3,新橋,1\nR1,SA,A1,渋谷駅,0\n"
       "R1,SU,U1,渋谷駅,0\n"},
      {"calendar.txt",
       "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,end_date\n"
       "WK,1,1,1,1,1,0,0,20200101,20991231\nSA,0,0,0,0,0,1,0,20200101,20991231\n"
       "SU,0,0,0,0,0,0,1,20200101,20991231\n"},
      {"stop_times.txt",
       "trip_id,departure_time,stop_id,stop_sequence\n"
       "W1,07:05:00,P1,1\nW1,07:30:00,E,2\nW2,27:10:00,P1,1\nW2,27:30:00,E,2\n"
       "W3,07:30:00,P2,1\nW3,07:50:00,E,2\nA1,08:15:00,P1,1\nA1,08:40:00,E,2\n"
       "U1,09:20:00,P1,1\nU1,09:50:00,E,2\n"},
  };
  for (const auto& [name, text] : files) {
    QFile out(folder + '/' + name);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) < 0) return {};
  }
  return folder;
}

// What a user does on the keyboard goes to whatever has the focus.
void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  ASSERT_NE(QApplication::focusWidget(), nullptr);
  QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
}

TEST(EditorFirstStart, TheKeyboardAloneGoesFromAFeedToThreeDayTimetablesForTheClock) {
  MessageBoxSeam::StartRecording();
  QTemporaryDir lock, folder, feed;
  const QString feedFolder = WriteCommuterFeed(feed.path());
  ASSERT_FALSE(feedFolder.isEmpty());
  MessageBoxSeam::QueueChoice(2);
  auto program = basV42Editor(folder.path().toStdString(), lock.path().toStdString());
  ASSERT_NE(program.Window, nullptr);
  QPointer<frmGtfsImport> dialog = ImportDialog(program);
  ASSERT_FALSE(dialog.isNull());
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));

  // The path typed into its box; Enter opens it and goes on to the search.
  Key(Qt::Key_F, Qt::AltModifier);
  auto* path = dialog->findChild<QLineEdit*>("txtFeed");
  ASSERT_EQ(QApplication::focusWidget(), path);
  test::TypeText(path, feedFolder);
  Key(Qt::Key_Return);
  auto* search = dialog->findChild<QLineEdit*>("txtStop");
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == search; }));
  test::TypeText(search, "東京駅");
  auto* stops = dialog->findChild<QListWidget*>("lstStops");
  ASSERT_EQ(stops->count(), 3);
  EXPECT_EQ(stops->item(0)->text(), "東京駅丸の内南口\u3000[駅 ・ 都01, 深夜01]");
  EXPECT_EQ(stops->item(1)->text(), "\u3000東京駅丸の内南口\u3000[のりば 1 ・ 都01, 深夜01]");
  EXPECT_EQ(stops->item(2)->text(), "\u3000東京駅丸の内南口\u3000[のりば 2 ・ 都01]");

  // Down into the list; Space reads the pole, Enter the station.
  Key(Qt::Key_Down);
  ASSERT_EQ(QApplication::focusWidget(), stops);
  Key(Qt::Key_Down);
  Key(Qt::Key_Space);
  ASSERT_TRUE(QTest::qWaitFor([&] { return stops->item(1)->font().bold(); }));
  auto* toShibuya = dialog->findChild<QCheckBox*>("chkDirection_0");
  auto* toShimbashi = dialog->findChild<QCheckBox*>("chkDirection_1");
  EXPECT_EQ(toShibuya->text(), "渋谷駅方面(&1)");
  EXPECT_FALSE(toShimbashi->isEnabled());  // no bus that way from pole 1
  EXPECT_EQ(toShimbashi->text(), "1(&2)");
  Key(Qt::Key_Up);
  Key(Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&] { return stops->item(0)->font().bold(); }));
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
  EXPECT_EQ(toShimbashi->text(), "新橋方面(&2)");

  // Only 渋谷駅; then OK: one timetable per kind of day, ticked by itself on a first start.
  Key(Qt::Key_2, Qt::AltModifier);
  // An accelerator presses its button as a click would, a moment later.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !toShimbashi->isChecked(); }));
  EXPECT_TRUE(dialog->findChild<QCheckBox*>("chkAllDays")->isChecked());
  Key(Qt::Key_O, Qt::AltModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return test::Gone(dialog); }));
  EXPECT_EQ(Titles(program), (QStringList{"東京駅丸の内南口 平日", "東京駅丸の内南口 土曜",
                                          "東京駅丸の内南口 休日"}));

  // Saved, the clock's settings name them, and the night bus keeps its day until 4:00.
  program.Window->findChild<QAction*>("menuFileSave")->trigger();
  const IniSettings settings = ReadIniOverDefaults(folder.path().toStdString());
  EXPECT_EQ(settings.DayTables.Tables, (std::array<int, 3>{0, 1, 2}));
  EXPECT_EQ(settings.DayTables.DayStartHour, 4);
  FileOpenDialogSeam::Reset();
  MessageBoxSeam::StopRecording();
}

TEST(EditorFirstStart, ADamagedFileGetsItsMessageAndNoOffer) {
  MessageBoxSeam::StartRecording();
  QTemporaryDir lock, folder;
  const std::string file = folder.filePath("velkan42.dat").toStdString();
  const std::string damaged = "t>\r\n6,256\r\n<\r\n";  // a minute beyond 255
  std::ofstream(file, std::ios::binary) << damaged;
  const auto program = basV42Editor(folder.path().toStdString(), lock.path().toStdString());
  EXPECT_EQ(program.Window, nullptr);
  std::ifstream in(file, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), damaged);
  ASSERT_EQ(MessageBoxSeam::Calls().size(), 1u);
  EXPECT_TRUE(MessageBoxSeam::Calls()[0].Choices.empty());
  EXPECT_EQ(MessageBoxSeam::Calls()[0].Caption, "ファイル形式エラー");
  MessageBoxSeam::StopRecording();
}

}  // namespace
}  // namespace v42
