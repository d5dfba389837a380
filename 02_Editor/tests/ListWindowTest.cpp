#include <sys/resource.h>

#include <csignal>
#include <fstream>

#include <QLabel>
#include <QLineEdit>

#include "EditorFixture.h"
#include "IniFile.h"

namespace v42::test {
namespace {

using On = std::array<bool, 6>;  // ALL DELETE, DELETE, ADD NEW, Edit, ▲, ▼
using Texts = std::vector<std::string>;

std::vector<TimetableRecord> Timetables(int n) {
  std::vector<TimetableRecord> records;
  for (int i = 0; i < n; ++i)
    records.push_back(
        Timetable("表" + std::to_string(i), 6 + i, {{{static_cast<std::uint8_t>(i)}, {10, 'a'}}}));
  return records;
}

std::string Bytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

using ListWindow = EditorFixture;

TEST_F(ListWindow, ButtonsFollowTheSelectionAndTheMoves) {
  Open(Timetables(9));
  EXPECT_EQ(States(), (On{true, false, false, false, false, false}));
  Open({Timetable("平日", 6, {}), Timetable("土休日", 7, {}), Timetable("深夜", 22, {})});
  EXPECT_EQ(ListTexts(), (Texts{"平日", "土休日", "深夜"}));
  EXPECT_TRUE(List()->selectedItems().isEmpty());
  EXPECT_EQ(States(), (On{true, false, true, false, false, false}));

  SelectEntry(2);
  EXPECT_EQ(States(), (On{true, true, true, true, true, false}));
  Act(4);  // ▲
  EXPECT_EQ(List()->currentRow(), 1);
  EXPECT_EQ(ListTexts(), (Texts{"平日", "深夜", "土休日"}));
  EXPECT_EQ(Store().Records[1].Title, "深夜");
  EXPECT_EQ(States(), (On{true, true, true, true, true, true}));
  Act(4);
  EXPECT_EQ(List()->currentRow(), 0);
  EXPECT_EQ(States(), (On{true, true, true, true, false, true}));
  Act(5);  // ▼
  Act(5);
  EXPECT_EQ(List()->currentRow(), 2);
  EXPECT_EQ(ListTexts(), (Texts{"平日", "土休日", "深夜"}));
  EXPECT_EQ(States(), (On{true, true, true, true, true, false}));

  Act(1);  // DELETE: nothing selected afterwards
  EXPECT_TRUE(List()->selectedItems().isEmpty());
  EXPECT_EQ(States(), (On{true, false, true, false, false, false}));
}

TEST_F(ListWindow, AddNewEightTimesFillsTheList) {
  Open(Timetables(1));
  for (int i = 0; i < 8; ++i) Act(2);
  Texts expected(9, "新規データ");
  expected[0] = "表0";
  EXPECT_EQ(ListTexts(), expected);
  EXPECT_EQ(Store().Count, 9);
  EXPECT_EQ(States(), (On{true, false, false, false, false, false}));
}

// The clock's day timetables are numbers into the saved list; they must name the same
// timetables after the list was reordered, also when the first try to write them failed.
TEST_F(ListWindow, SaveTakesTheClocksDayTimetablesAlong) {
  Open({Timetable("平日", 6, {}), Timetable("土曜", 6, {}), Timetable("休日", 6, {})});
  IniSettings settings;
  SetIniDefaults(settings);
  settings.DayTables.Tables = {0, 1, 2};
  settings.DayTables.DayStartHour = 4;
  // Longer than the data file (a note of the user's, which every save keeps), so that a size
  // limit lets that through and stops this one.
  const auto dataSize = static_cast<rlim_t>(Bytes(Folder() / kDataFileName).size());
  WriteIniFile(settings, Folder());
  std::ofstream(Folder() / kIniFileName, std::ios::binary | std::ios::app)
      << "; " << std::string(dataSize + 1024, 'x') << "\r\n";
  const std::string iniBefore = Bytes(Folder() / kIniFileName);

  SelectEntry(2);
  Act(4);  // ▲ twice: 休日, 平日, 土曜
  Act(4);
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{dataSize + 512, saved.rlim_max};
  ::setrlimit(RLIMIT_FSIZE, &limit);
  Menu("menuFileSave");
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  TimetableStore read;
  ReadDataFile(read, Folder());
  EXPECT_EQ(read.Records[0].Title, "休日");
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages()[0].Caption, "ファイル書込エラー");
  EXPECT_EQ(Messages()[0].Icon, MsgIcon::Critical);
  EXPECT_EQ(Messages()[1].Text, "ファイルを保存しました。");
  EXPECT_EQ(Bytes(Folder() / kIniFileName), iniBefore);
  MessageBoxSeam::ClearCalls();

  SelectEntry(1);
  Act(1);  // DELETE 平日, answered yes
  MessageBoxSeam::ClearCalls();
  Menu("menuFileSave");
  ExpectMessage("ファイルを保存しました。", "通知メッセージ", MsgIcon::Information);
  settings.DayTables.Tables = {-1, 1, 0};
  IniSettings back;
  ReadIniFile(back, Folder());
  EXPECT_EQ(back, settings);
}

// Each deletion asks first, naming what goes; undo brings back what the list lost.
TEST_F(ListWindow, DeletionsAskFirstAndUndoBringsThemBack) {
  Open(Timetables(9));
  SelectEntry(8);
  MessageBoxSeam::QueueAnswer(QMessageBox::No);
  Act(1);
  ExpectMessage("時刻表「表8」を削除しますか？", "ベルカン42エディタ", MsgIcon::Question);
  EXPECT_EQ(Store().Count, 9);
  MessageBoxSeam::ClearCalls();
  Act(1);  // answered yes
  MessageBoxSeam::ClearCalls();
  SelectEntry(0);
  QTest::keyClick(List(), Qt::Key_Delete);
  ExpectMessage("時刻表「表0」を削除しますか？", "ベルカン42エディタ", MsgIcon::Question);
  EXPECT_EQ(ListTexts(), (Texts{"表1", "表2", "表3", "表4", "表5", "表6", "表7"}));
  EXPECT_EQ(Store().Count, 7);
  MessageBoxSeam::ClearCalls();

  MessageBoxSeam::QueueAnswer(QMessageBox::No);
  Act(0);
  ExpectMessage("すべての時刻表（7件）を削除しますか？", "ベルカン42エディタ", MsgIcon::Question);
  EXPECT_EQ(Store().Count, 7);
  MessageBoxSeam::ClearCalls();
  Act(0);
  EXPECT_EQ(List()->count(), 0);
  MessageBoxSeam::ClearCalls();

  const auto ctrl = [this](Qt::Key key) { QTest::keyClick(List(), key, Qt::ControlModifier); };
  ctrl(Qt::Key_Z);
  EXPECT_EQ(Store().Count, 7);
  ctrl(Qt::Key_Z);
  ctrl(Qt::Key_Z);
  EXPECT_EQ(ListTexts(), (Texts{"表0", "表1", "表2", "表3", "表4", "表5", "表6", "表7", "表8"}));
  EXPECT_EQ(Store().Records[8].Title, "表8");
  ctrl(Qt::Key_Y);
  EXPECT_EQ(ListTexts().size(), 8u);
  EXPECT_EQ(ListTexts().back(), "表7");

  // Moves, additions and an edit's OK are undone the same way.
  SelectEntry(1);
  Act(4);  // ▲
  Act(2);  // ADD NEW
  EXPECT_EQ(ListTexts()[0], "表1");
  auto* editor = Edit(0);
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(Child<QLineEdit>(editor, "txtTitle"), "X");
  Press(editor, 0);
  EXPECT_EQ(ListTexts()[0], "表1X");
  for (int i = 0; i < 3; ++i) Menu("menuEditUndo");
  EXPECT_EQ(ListTexts()[0], "表0");
  EXPECT_EQ(ListTexts().size(), 8u);
  Menu("menuEditRedo");
  EXPECT_EQ(ListTexts()[0], "表1");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ListWindow, SaveWritesTheListAndAfterAllDeleteTheNextStartOpensAnEmptyList) {
  Open(Timetables(3));
  SelectEntry(0);
  Act(5);
  Act(2);
  Menu("menuFileSave");
  ExpectMessage("ファイルを保存しました。", "通知メッセージ", MsgIcon::Information);
  TimetableStore read;
  ReadDataFile(read, Folder());
  EXPECT_EQ(read.Count, 4);
  EXPECT_EQ(read.Records, Store().Records);

  Act(0);  // ALL DELETE
  EXPECT_EQ(List()->count(), 0);
  EXPECT_EQ(States(), (On{false, false, true, false, false, false}));
  Menu("menuFileSave");
  MessageBoxSeam::ClearCalls();
  // The saved empty list opens again, with the ways to fill it.
  ASSERT_TRUE(Restart());
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(List()->count(), 0);
  auto* hint = List()->findChild<QLabel*>("lblEmpty");
  ASSERT_NE(hint, nullptr);
  EXPECT_TRUE(hint->isVisible());
  EXPECT_TRUE(hint->text().contains("ADD NEW"));
  EXPECT_TRUE(hint->text().contains("GTFSから取り込み"));
  EXPECT_GE(hint->height(), hint->heightForWidth(hint->width()));  // read whole
  EXPECT_LE(hint->width(), List()->viewport()->width());
  Act(2);
  EXPECT_FALSE(hint->isVisible());
}

// Runs an action under a file size limit that makes any save fail part-way, even for root.
template <class Action>
void WithSaveFailing(Action action) {
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  const rlimit small{64, saved.rlim_max};
  ::setrlimit(RLIMIT_FSIZE, &small);
  action();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
}

TEST_F(ListWindow, FailedSaveKeepsTheOldFileAndTheTimetables) {
  Open(Timetables(3));
  const std::string old = Bytes(Folder() / kDataFileName);
  Act(2);
  const auto records = Store().Records;
  WithSaveFailing([this] { Menu("menuFileSave"); });

  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].Icon, MsgIcon::Critical);
  EXPECT_NE(Messages()[0].Text, "ファイルを保存しました。");
  EXPECT_EQ(Bytes(Folder() / kDataFileName), old);
  EXPECT_EQ(Store().Records, records);
  EXPECT_EQ(List()->count(), 4);
}

TEST_F(ListWindow, QuittingWithoutChangesAsksNothing) {
  Open(Timetables(3));
  SelectEntry(1);
  Act(4);  // moved up and back down: the same timetables as in the file
  Act(5);
  EXPECT_TRUE(window_->close());
  EXPECT_TRUE(Messages().empty());

  ASSERT_TRUE(Restart());
  Act(2);
  Menu("menuFileSave");
  MessageBoxSeam::ClearCalls();
  Menu("menuFileEnd");  // saved since the change
  EXPECT_TRUE(Messages().empty());
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(ListWindow, QuittingAfterChangesAsksWhetherToSave) {
  Open(Timetables(3));
  const std::string old = Bytes(Folder() / kDataFileName);
  SelectEntry(0);
  Act(1);  // DELETE
  MessageBoxSeam::ClearCalls();
  const auto expectQuestion = [] {
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Messages()[0].Text, "変更を保存しますか？");
    EXPECT_EQ(Messages()[0].Icon, MsgIcon::Question);
    EXPECT_EQ(Messages()[0].Buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  };

  MessageBoxSeam::QueueAnswer(QMessageBox::Cancel);
  EXPECT_FALSE(window_->close());
  expectQuestion();
  EXPECT_EQ(Messages().size(), 1u);
  MessageBoxSeam::ClearCalls();
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(Store().Count, 2);

  MessageBoxSeam::QueueAnswer(QMessageBox::Yes);  // the save fails: stay, nothing lost
  WithSaveFailing([this] { Menu("menuFileEnd"); });
  expectQuestion();
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages()[1].Icon, MsgIcon::Critical);
  MessageBoxSeam::ClearCalls();
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(Bytes(Folder() / kDataFileName), old);
  EXPECT_EQ(Store().Count, 2);

  MessageBoxSeam::QueueAnswer(QMessageBox::No);
  EXPECT_TRUE(window_->close());
  expectQuestion();
  MessageBoxSeam::ClearCalls();
  EXPECT_EQ(Bytes(Folder() / kDataFileName), old);

  ASSERT_TRUE(Restart());
  Act(2);
  MessageBoxSeam::QueueAnswer(QMessageBox::Yes);
  EXPECT_TRUE(window_->close());
  expectQuestion();
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages()[1].Text, "ファイルを保存しました。");
  TimetableStore read;
  ReadDataFile(read, Folder());
  EXPECT_EQ(read.Count, 4);
}

TEST_F(ListWindow, EnterAndDoubleClickOpenTheSelectedTimetable) {
  Open(Timetables(2));
  QTest::keyClick(List(), Qt::Key_Return);  // nothing selected: nothing opens
  EXPECT_EQ(OpenWindow<frmDataEdit>(window_.get()), nullptr);
  SelectEntry(1);
  QTest::keyClick(List(), Qt::Key_Return);
  QPointer<frmDataEdit> editor = OpenWindow<frmDataEdit>(window_.get());
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(context_->EditIndex, 1);
  Press(editor, 1);  // Cancel
  EXPECT_TRUE(Gone(editor));
  EXPECT_TRUE(List()->selectedItems().isEmpty());

  QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, EntryCentre(0));
  EXPECT_NE(OpenWindow<frmDataEdit>(window_.get()), nullptr);
  EXPECT_EQ(context_->EditIndex, 0);
}

TEST_F(ListWindow, VersionBoxHasItsLineBreaks) {
  Open(Timetables(1));
  Menu("menuHelpVersion");
  ASSERT_EQ(Messages().size(), 1u);
  const QStringList lines = QString::fromStdString(Messages()[0].Text).split('\n');
  ASSERT_EQ(lines.size(), 4);
  EXPECT_EQ(lines[0], QStringLiteral("【ベルカン42エディタ】\u3000Ver 1.10"));
  EXPECT_TRUE(lines[1].isEmpty());
  EXPECT_EQ(Messages()[0].Caption, "ﾊﾞｰｼﾞｮﾝ情報");
  EXPECT_EQ(Messages()[0].ToolTip, "保存先: " + context_->AppFolder.string());
}

}  // namespace
}  // namespace v42::test
