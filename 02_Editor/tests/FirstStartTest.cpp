// The editor started on a folder without a timetable, through its real start-up.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <fstream>

#include "EditorFixture.h"
#include "FileOpenDialog.h"
#include "FirstStart.h"
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
