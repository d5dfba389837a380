#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
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
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  void TearDown() override {
    MessageBoxSeam::StopRecording();
    FileOpenDialogSeam::Reset();
  }

  template <typename T>
  T* Find(const QString& name) {
    T* widget = window.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name.toStdString();
    return widget;
  }
  QLineEdit* Box(int row) { return Find<QLineEdit>(QString("txtFilePath_%1").arg(row)); }
  void Click(const QString& name) { QTest::mouseClick(Find<QPushButton>(name), Qt::LeftButton); }
  bool ChangeEnabled() { return Find<QPushButton>("cmdChange")->isEnabled(); }
  // Fills a row through its chooser, as a user does ("" = the user cancels).
  void Choose(int row, const std::string& file) {
    FileOpenDialogSeam::QueueFileName(file);
    Click(QString("cmdAct_%1").arg(row));
  }
  std::string Path(const char* name) { return QDir(folder.path()).filePath(name).toStdString(); }
  void ExpectLastMessage(const std::string& text, const std::string& caption, MsgIcon icon) {
    ASSERT_FALSE(MessageBoxSeam::Calls().empty());
    const MessageCall& last = MessageBoxSeam::Calls().back();
    EXPECT_EQ(last.Text, text);
    EXPECT_EQ(last.Caption, caption);
    EXPECT_EQ(last.Icon, icon);
  }

  QTemporaryDir folder;
  frmV42Converter window{folder.path().toStdString()};
};

TEST_F(ConverterWindowTest, LoadsCentredAndTheButtonNeedsBothRows) {
  const QRect area = window.screen()->availableGeometry();
  EXPECT_NEAR(window.frameGeometry().center().x(), area.center().x(), 2);
  EXPECT_NEAR(window.frameGeometry().center().y(), area.center().y(), 2);
  EXPECT_FALSE(ChangeEnabled());
  Choose(0, "/a/Data00.dat");
  EXPECT_FALSE(ChangeEnabled());  // one row alone is not enough
  Choose(1, "/b/velkan42.ini");
  EXPECT_TRUE(ChangeEnabled());
  Choose(0, "");
  EXPECT_EQ(Box(0)->text(), QString("/a/Data00.dat"));  // a cancelled chooser keeps the path

  std::string offered;  // the files each chooser offered, the selected one first
  for (const FileOpenCall& call : FileOpenDialogSeam::Calls()) {
    for (const FileFilter& filter : call.Filter)
      offered += filter.Description + "=" + filter.Pattern + " ";
    offered += call.InitialFolder == folder.path().toStdString() ? "| " : "(elsewhere) | ";
  }
  const std::string first =
      "ver1.xx 時刻表ﾃﾞｰﾀﾌｧｲﾙ(Data00.dat)=Data00.dat ver2.xx "
      "時刻表ﾃﾞｰﾀﾌｧｲﾙ(velkan42.dat)=velkan42.dat | ";
  EXPECT_EQ(offered, first + "設定ﾌｧｲﾙ(velkan42.ini)=velkan42.ini | " + first);

  QString captions = window.windowTitle();
  for (const char* name : {"Label1_0", "Label1_1"}) captions += "|" + Find<QLabel>(name)->text();
  for (const char* name : {"cmdAct_0", "cmdAct_1", "cmdChange"}) {
    captions += "|" + Find<QPushButton>(name)->text();
  }
  for (const char* name : {"menuFile", "menuHelp"}) captions += "|" + Find<QMenu>(name)->title();
  for (const char* name : {"menuFileEnd", "menuHelpVersion"}) {
    captions += "|" + Find<QAction>(name)->text();
  }
  EXPECT_EQ(
      captions.toStdString(),
      "ベルカン42コンバータ|時刻表データファイル|設定ファイル|参照|参照|変換|ﾌｧｲﾙ(&F)|ﾍﾙﾌﾟ(&H)|"
      "終了(&E)|ﾊﾞｰｼﾞｮﾝ情報");

  Box(1)->clear();  // a row emptied or typed by hand counts too
  EXPECT_FALSE(ChangeEnabled());
  QTest::keyClicks(Box(1), "x");
  EXPECT_TRUE(ChangeEnabled());
}

TEST_F(ConverterWindowTest, ConversionNoticesThenTheMissingFileThenAFormatError) {
  fs::copy(V42_V1_EXAMPLE_DIR, folder.path().toStdString(), fs::copy_options::recursive);
  Choose(0, Path("Data00.dat"));
  Choose(1, Path("velkan42.ini"));
  Click("cmdChange");
  ExpectLastMessage("v1.xxからv2.1xに変換しました。", "通知メッセージ", MsgIcon::Information);
  Click("cmdChange");
  ExpectLastMessage("時刻表データファイルが見つかりません。", "ファイル存在エラー",
                    MsgIcon::Critical);
  EXPECT_TRUE(window.isVisible());

  // A reader's format error shows its message and ends the program.
  std::ofstream(Path("Data00.dat"), std::ios::binary) << "a>\r\n6,300\r\n<\r\n";
  Click("cmdChange");
  ExpectLastMessage("data00.datのファイル形式が不正です。", "ファイル形式エラー",
                    MsgIcon::Critical);
  EXPECT_FALSE(window.isVisible());
}

TEST_F(ConverterWindowTest, MenusShowTheVersionAndClose) {
  Find<QAction>("menuHelpVersion")->trigger();
  ExpectLastMessage("【ベルカン42コンバータ】　Ver 1.10\n\nCopyright (C) 2026 Velkan42 Project",
                    "ﾊﾞｰｼﾞｮﾝ情報", MsgIcon::Information);
  EXPECT_EQ(MessageBoxSeam::Calls().back().ToolTip, "保存先: " + folder.path().toStdString());
  Find<QAction>("menuFileEnd")->trigger();
  EXPECT_FALSE(window.isVisible());
}

TEST_F(ConverterWindowTest, SecondCopyIsRefused) {
  SingleInstance running(kConverterProgramName, folder.path());
  ASSERT_TRUE(running.TryLock());
  EXPECT_EQ(basV42Converter_Main(*qApp, folder.path().toStdString(), folder.path()), 1);
  ExpectLastMessage("既に起動されています", "2重起動ｴﾗｰ", MsgIcon::Critical);
}

}  // namespace
}  // namespace v42
