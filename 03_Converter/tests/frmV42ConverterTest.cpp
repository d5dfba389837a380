#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "FileOpenDialog.h"
#include "MessageBox.h"
#include "SingleInstance.h"
#include "basV42Converter.h"
#include "frmV42Converter.h"

namespace v42 {
namespace {

namespace fs = std::filesystem;

class ConverterWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MessageBoxSeam::StartRecording();
    FileOpenDialogSeam::Reset();
    ASSERT_TRUE(folder.isValid());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  void TearDown() override {
    MessageBoxSeam::StopRecording();
    FileOpenDialogSeam::Reset();
  }

  template <typename T>
  T* Find(const char* name) {
    T* widget = window.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QLineEdit* Box(int i) { return Find<QLineEdit>(i == 0 ? "txtFilePath_0" : "txtFilePath_1"); }
  void Click(const char* name) { QTest::mouseClick(Find<QPushButton>(name), Qt::LeftButton); }
  bool ChangeEnabled() { return Find<QPushButton>("cmdChange")->isEnabled(); }
  std::string Path(const char* name) { return QDir(folder.path()).filePath(name).toStdString(); }
  void CopyExample() {
    fs::copy(V42_V1_EXAMPLE_DIR, folder.path().toStdString(), fs::copy_options::recursive);
  }
  // Both rows filled through the chooser, as a user does it.
  void Choose(const std::string& timetable, const std::string& settings) {
    FileOpenDialogSeam::QueueFileName(timetable);
    Click("cmdAct_0");
    FileOpenDialogSeam::QueueFileName(settings);
    Click("cmdAct_1");
  }
  const MessageCall& LastMessage() {
    static const MessageCall none{"<no message>", "", MsgIcon::None};
    return MessageBoxSeam::Calls().empty() ? none : MessageBoxSeam::Calls().back();
  }

  QTemporaryDir folder;
  frmV42Converter window;
};

TEST_F(ConverterWindowTest, LoadsCentredWithTheConversionDisabled) {
  EXPECT_EQ(window.windowTitle(), QString("ベルカン42コンバータ"));
  EXPECT_FALSE(ChangeEnabled());
  const QRect area = window.screen()->availableGeometry();
  EXPECT_NEAR(window.frameGeometry().center().x(), area.center().x(), 2);
  EXPECT_NEAR(window.frameGeometry().center().y(), area.center().y(), 2);
}

TEST_F(ConverterWindowTest, ChoosersOfferTheirFiltersAndEnableTheButtonWhenBothRowsHoldText) {
  FileOpenDialogSeam::QueueFileName("/a/Data00.dat");
  Click("cmdAct_0");
  EXPECT_EQ(Box(0)->text(), QString("/a/Data00.dat"));
  EXPECT_FALSE(ChangeEnabled());  // one row alone is not enough

  FileOpenDialogSeam::QueueFileName("/b/velkan42.ini");
  Click("cmdAct_1");
  EXPECT_TRUE(ChangeEnabled());

  const auto& calls = FileOpenDialogSeam::Calls();
  ASSERT_EQ(calls.size(), 2u);
  ASSERT_EQ(calls[0].Filter.size(), 2u);
  EXPECT_EQ(calls[0].Filter[0].Description, "ver1.xx 時刻表ﾃﾞｰﾀﾌｧｲﾙ(Data00.dat)");
  EXPECT_EQ(calls[0].Filter[0].Pattern, "Data00.dat");
  EXPECT_EQ(calls[0].Filter[1].Description, "ver2.xx 時刻表ﾃﾞｰﾀﾌｧｲﾙ(velkan42.dat)");
  EXPECT_EQ(calls[0].Filter[1].Pattern, "velkan42.dat");
  ASSERT_EQ(calls[1].Filter.size(), 1u);
  EXPECT_EQ(calls[1].Filter[0].Description, "設定ﾌｧｲﾙ(velkan42.ini)");
  EXPECT_EQ(calls[1].Filter[0].Pattern, "velkan42.ini");
  EXPECT_EQ(calls[1].InitialFolder, QDir::currentPath().toStdString());

  // Emptying a row by hand disables the button again.
  Box(1)->setFocus();
  QTest::keyClick(Box(1), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(Box(1), Qt::Key_Delete);
  EXPECT_FALSE(ChangeEnabled());
  QTest::keyClicks(Box(1), "x");
  EXPECT_TRUE(ChangeEnabled());
}

TEST_F(ConverterWindowTest, CancelledChooserKeepsTheOldPath) {
  Choose("/a/Data00.dat", "/b/velkan42.ini");
  FileOpenDialogSeam::QueueFileName("");
  Click("cmdAct_0");
  EXPECT_EQ(Box(0)->text(), QString("/a/Data00.dat"));
  EXPECT_TRUE(ChangeEnabled());
  EXPECT_TRUE(MessageBoxSeam::Calls().empty());
}

TEST_F(ConverterWindowTest, ConversionReportsItsNoticeAndTheSecondPressTheMissingFile) {
  CopyExample();
  Choose(Path("Data00.dat"), Path("velkan42.ini"));
  Click("cmdChange");
  EXPECT_EQ(LastMessage().Text, "v1.xxからv2.1xに変換しました。");
  EXPECT_EQ(LastMessage().Caption, "通知メッセージ");
  EXPECT_EQ(LastMessage().Icon, MsgIcon::Information);
  EXPECT_TRUE(fs::exists(Path("velkan42.dat")));
  EXPECT_FALSE(fs::exists(Path("Data00.dat")));

  Click("cmdChange");
  EXPECT_EQ(LastMessage().Text, "時刻表データファイルが見つかりません。");
  EXPECT_EQ(LastMessage().Caption, "ファイル存在エラー");
  EXPECT_EQ(LastMessage().Icon, MsgIcon::Critical);
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(Box(0)->text().toStdString(), Path("Data00.dat"));
  EXPECT_TRUE(ChangeEnabled());

  // And back again, choosing the current file this time.
  FileOpenDialogSeam::QueueFileName(Path("velkan42.dat"));
  Click("cmdAct_0");
  Click("cmdChange");
  EXPECT_EQ(LastMessage().Text, "v2.xxからv1.22に変換しました。");
  EXPECT_TRUE(fs::exists(Path("Data00.dat")));
}

TEST_F(ConverterWindowTest, MalformedFileShowsTheReadersMessageAndEndsTheProgram) {
  CopyExample();
  std::ofstream(Path("Data00.dat"), std::ios::binary) << "a>\r\n6,300\r\n<\r\n";
  Choose(Path("Data00.dat"), Path("velkan42.ini"));
  Click("cmdChange");
  EXPECT_EQ(LastMessage().Text, "data00.datのファイル形式が不正です。");
  EXPECT_EQ(LastMessage().Caption, "ファイル形式エラー");
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(fs::exists(Path("Data00.dat")));
}

TEST_F(ConverterWindowTest, MenusShowTheVersionAndClose) {
  Find<QAction>("menuHelpVersion")->trigger();
  EXPECT_EQ(LastMessage().Caption, "ﾊﾞｰｼﾞｮﾝ情報");
  EXPECT_EQ(LastMessage().Icon, MsgIcon::Information);
  EXPECT_TRUE(LastMessage().Text.starts_with("【ベルカン42コンバータ】　Ver 1.10\n\n"));
  Find<QAction>("menuFileEnd")->trigger();
  EXPECT_FALSE(window.isVisible());
}

TEST(ConverterStartUpTest, SecondCopyIsRefused) {
  QTemporaryDir lockFolder;
  SingleInstance running(kConverterProgramName, lockFolder.path());
  ASSERT_TRUE(running.TryLock());
  MessageBoxSeam::StartRecording();
  EXPECT_EQ(basV42Converter_Main(*qApp, lockFolder.path()), 1);
  ASSERT_EQ(MessageBoxSeam::Calls().size(), 1u);
  EXPECT_EQ(MessageBoxSeam::Calls()[0].Text, "既に起動されています");
  EXPECT_EQ(MessageBoxSeam::Calls()[0].Caption, "2重起動ｴﾗｰ");
  EXPECT_EQ(MessageBoxSeam::Calls()[0].Icon, MsgIcon::Critical);
  MessageBoxSeam::StopRecording();
}

}  // namespace
}  // namespace v42
