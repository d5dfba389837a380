// The editor started on a folder without a timetable, through its real start-up.
#include <gtest/gtest.h>

#include <QDir>
#include <QListWidget>
#include <QTemporaryDir>
#include <fstream>

#include "MessageBox.h"
#include "basV42Editor.h"
#include "frmV42Editor.h"

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

  MessageBoxSeam::QueueChoice(2);
  program = basV42Editor(quit.path().toStdString(), lock.path().toStdString());
  EXPECT_EQ(program.Window, nullptr);
  EXPECT_TRUE(QDir(quit.path()).isEmpty());
  EXPECT_EQ(MessageBoxSeam::Calls().size(), 3u);  // one offer each, nothing else
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
