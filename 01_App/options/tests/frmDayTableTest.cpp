#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include <sys/wait.h>
#include <unistd.h>

#include "DataFile.h"
#include "FilesLock.h"
#include "IniFile.h"
#include "MessageBox.h"
#include "frmDayTable.h"

namespace v42 {
namespace {

class frmDayTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    folder = dir.path().toStdString();
    SetIniDefaults(settings);
    for (const char* title : {"平日", "土曜", "日祝"}) store.Records[store.Count++].Title = title;
    MessageBoxSeam::StartRecording();
  }
  void TearDown() override {
    dialog.reset();
    MessageBoxSeam::StopRecording();
  }
  frmDayTable& Open() {
    dialog = std::make_unique<frmDayTable>(settings, store, folder);
    dialog->show();
    return *dialog;
  }
  template <typename T>
  T* Find(const char* name) {
    T* w = dialog->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QComboBox* Combo(const char* kind) {
    return Find<QComboBox>((std::string("cmbDayTable_") + kind).c_str());
  }
  void Click(const char* name) { QTest::mouseClick(Find<QPushButton>(name), Qt::LeftButton); }

  QTemporaryDir dir;
  std::filesystem::path folder;
  IniSettings settings;
  TimetableStore store;
  std::unique_ptr<frmDayTable> dialog;
};

TEST_F(frmDayTableTest, ShowsTheSettingsAndOkSavesWhatWasChosen) {
  settings.DayTables = {{2, -1, 7}, 5, true};  // 7: beyond this store's timetables
  Open();
  ASSERT_EQ(Combo("Weekday")->count(), 4);
  EXPECT_EQ(Combo("Weekday")->itemText(0), "切り替えない");
  EXPECT_EQ(Combo("Weekday")->currentText(), "日祝");
  EXPECT_EQ(Combo("Saturday")->currentIndex(), 0);
  EXPECT_EQ(Combo("Holiday")->currentIndex(), 0);
  EXPECT_EQ(Find<QSpinBox>("spnDayStartHour")->value(), 5);
  EXPECT_TRUE(Find<QCheckBox>("chkYearEndHoliday")->isChecked());

  Combo("Weekday")->setCurrentIndex(1);
  Combo("Holiday")->setCurrentIndex(3);
  Find<QSpinBox>("spnDayStartHour")->setValue(0);
  Find<QCheckBox>("chkYearEndHoliday")->setChecked(false);
  Click("comOK");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  const DayTableSettings expected{{0, -1, 2}, 0, false};
  EXPECT_EQ(settings.DayTables, expected);
  IniSettings saved;
  ReadIniFile(saved, folder);
  EXPECT_EQ(saved, settings);
}

TEST_F(frmDayTableTest, SwitchedOffItProposesFromTheTitlesAndCancelKeepsEverything) {
  const IniSettings before = settings;
  Open();
  EXPECT_EQ(Combo("Weekday")->currentText(), "平日");
  EXPECT_EQ(Combo("Saturday")->currentText(), "土曜");
  EXPECT_EQ(Combo("Holiday")->currentText(), "日祝");
  EXPECT_EQ(Find<QSpinBox>("spnDayStartHour")->value(), 3);
  Click("comCancel");
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_EQ(settings, before);
  EXPECT_FALSE(std::filesystem::exists(folder / kIniFileName));
}

TEST_F(frmDayTableTest, FailedSaveSaysSoAndStaysOpen) {
  folder = folder / "gone";  // a folder that does not exist cannot take the file
  const IniSettings before = settings;
  Open();
  Click("comOK");
  ASSERT_EQ(MessageBoxSeam::Calls().size(), 1u);
  EXPECT_EQ(MessageBoxSeam::Calls()[0].Caption, "ファイル書込エラー");
  EXPECT_NE(MessageBoxSeam::Calls()[0].Text.find("velkan42.ini"), std::string::npos);
  EXPECT_EQ(MessageBoxSeam::Calls()[0].Icon, MsgIcon::Critical);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(Combo("Weekday")->currentText(), "平日");
  EXPECT_EQ(settings, before);
}

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The editor saved another order while the dialog was open: its numbers would now pick other
// timetables, so OK refuses and the settings file stays as the editor left it.
TEST_F(frmDayTableTest, OkRefusesWhenTheEditorSavedAnotherListMeanwhile) {
  WriteDataFile(store, folder);
  WriteIniFile(settings, folder);
  Open();
  Combo("Weekday")->setCurrentIndex(1);
  const pid_t pid = ::fork();
  if (pid == 0) {  // the editor's save, in a process of its own
    const FilesLock lock(folder);
    TimetableStore moved = store;
    std::swap(moved.Records[0], moved.Records[2]);
    WriteDataFile(moved, folder);
    ::_exit(0);
  }
  ::waitpid(pid, nullptr, 0);
  const std::string ini = ReadAll(folder / kIniFileName);
  Click("comOK");
  ASSERT_EQ(MessageBoxSeam::Calls().size(), 1u);
  EXPECT_EQ(MessageBoxSeam::Calls()[0].Text, frmDayTable::kListChanged);
  EXPECT_EQ(ReadAll(folder / kIniFileName), ini);
  EXPECT_FALSE(settings.DayTables.IsOn());

  // With the list as shown, OK saves.
  WriteDataFile(store, folder);
  MessageBoxSeam::ClearCalls();
  Click("comOK");
  EXPECT_TRUE(MessageBoxSeam::Calls().empty());
  EXPECT_EQ(settings.DayTables.Tables[0], 0);
}

}  // namespace
}  // namespace v42
