#include <sys/resource.h>

#include <QAction>
#include <csignal>
#include <fstream>
#include <sstream>

#include "EditorFixture.h"
#include "EditorList.h"

namespace v42::test {
namespace {

using On = std::array<bool, 6>;  // ALL DELETE, DELETE, ADD NEW, Edit, ▲, ▼

std::vector<TimetableRecord> Timetables(int n) {
  std::vector<TimetableRecord> records;
  for (int i = 0; i < n; ++i)
    records.push_back(Timetable("表" + std::to_string(i), 6 + i, {{{i}, {10, 'a'}}}));
  return records;
}

std::string Bytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void TriggerMenu(QWidget* window, const char* name) {
  auto* action = window->findChild<QAction*>(name);
  ASSERT_NE(action, nullptr) << name;
  action->trigger();
}

class ListWindow : public EditorFixture {};

TEST_F(ListWindow, StartsWithTheTitlesInFileOrderAndNothingSelected) {
  Open({Timetable("平日", 6, {}), Timetable("土休日", 7, {}), Timetable("深夜", 22, {})});
  EXPECT_EQ(ListTexts(), (std::vector<std::string>{"平日", "土休日", "深夜"}));
  EXPECT_TRUE(List()->selectedItems().isEmpty());
  EXPECT_EQ(States(), (On{true, false, true, false, false, false}));
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("ベルカン42エディタ"));

  Open(Timetables(9));
  EXPECT_EQ(States(), (On{true, false, false, false, false, false}));
}

TEST_F(ListWindow, ButtonsFollowTheSelectionAndTheMoves) {
  Open(Timetables(3));
  SelectEntry(0);
  EXPECT_EQ(States(), (On{true, true, true, true, false, true}));
  SelectEntry(1);
  EXPECT_EQ(States(), (On{true, true, true, true, true, true}));
  SelectEntry(2);
  EXPECT_EQ(States(), (On{true, true, true, true, true, false}));

  Click(Button(4));  // ▲ on entry 2
  EXPECT_EQ(List()->currentRow(), 1);
  EXPECT_EQ(ListTexts(), (std::vector<std::string>{"表0", "表2", "表1"}));
  EXPECT_EQ(Store().Records[1].Title, "表2");
  Click(Button(4));
  EXPECT_EQ(List()->currentRow(), 0);
  EXPECT_EQ(States(), (On{true, true, true, true, false, true}));
  Click(Button(5));  // ▼
  Click(Button(5));
  EXPECT_EQ(List()->currentRow(), 2);
  EXPECT_EQ(ListTexts(), (std::vector<std::string>{"表0", "表1", "表2"}));
  EXPECT_EQ(States(), (On{true, true, true, true, true, false}));

  Click(Button(1));  // DELETE: nothing selected afterwards
  EXPECT_TRUE(List()->selectedItems().isEmpty());
  EXPECT_EQ(States(), (On{true, false, true, false, false, false}));
}

TEST_F(ListWindow, AddNewEightTimesFillsTheList) {
  Open(Timetables(1));
  for (int i = 0; i < 8; ++i) Click(Button(2));
  ASSERT_EQ(List()->count(), 9);
  EXPECT_EQ(Store().Count, 9);
  for (int i = 1; i < 9; ++i) EXPECT_EQ(ListTexts()[i], "新規データ");
  EXPECT_FALSE(Button(2)->isEnabled());
  Click(Button(2));
  EXPECT_EQ(Store().Count, 9);
}

TEST_F(ListWindow, DeleteByButtonAndByKey) {
  Open(Timetables(9));
  const auto before = Store().Records;
  SelectEntry(8);
  Click(Button(1));
  EXPECT_EQ(Store().Count, 8);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Store().Records[i], before[i]);
  EXPECT_EQ(Store().Records[8], EmptyRecord());

  SelectEntry(0);
  QTest::keyClick(List(), Qt::Key_Delete);  // no question asked
  EXPECT_EQ(Store().Count, 7);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(Store().Records[i], before[i + 1]);
  EXPECT_EQ(ListTexts().front(), "表1");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ListWindow, SaveWritesWhatTheListShows) {
  Open(Timetables(3));
  SelectEntry(0);
  Click(Button(5));
  Click(Button(2));
  TriggerMenu(window_.get(), "menuFileSave");
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].Text, "ファイルを保存しました。");
  EXPECT_EQ(Messages()[0].Caption, "通知メッセージ");
  EXPECT_EQ(Messages()[0].Icon, MsgIcon::Information);

  TimetableStore read;
  ReadDataFile(read, Folder());
  ASSERT_EQ(read.Count, 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(read.Records[i], Store().Records[i]) << i;
  EXPECT_EQ(read.Records[0].Title, "表1");
  EXPECT_EQ(read.Records[3].Title, "新規データ");
}

TEST_F(ListWindow, AllDeleteSavedMakesTheNextStartEndWithError) {
  Open(Timetables(3));
  Click(Button(0));
  EXPECT_EQ(List()->count(), 0);
  EXPECT_EQ(States(), (On{false, false, true, false, false, false}));
  TriggerMenu(window_.get(), "menuFileSave");
  MessageBoxSeam::ClearCalls();

  Restart();
  EXPECT_FALSE(loaded_);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].Text, "Error");
  EXPECT_EQ(Messages()[0].Caption, "ベルカン42エディタ");
  EXPECT_EQ(Messages()[0].Icon, MsgIcon::None);
}

TEST_F(ListWindow, FailedSaveKeepsTheOldFileAndTheTimetables) {
  Open(Timetables(3));
  const std::string old = Bytes(Folder() / kDataFileName);
  Click(Button(2));
  const auto records = Store().Records;

  // A file size limit makes the write fail part-way, even for root.
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  const rlimit small{64, saved.rlim_max};
  ::setrlimit(RLIMIT_FSIZE, &small);
  TriggerMenu(window_.get(), "menuFileSave");
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);

  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].Icon, MsgIcon::Critical);
  EXPECT_NE(Messages()[0].Text, "ファイルを保存しました。");
  EXPECT_EQ(Bytes(Folder() / kDataFileName), old);
  EXPECT_EQ(Store().Records, records);
  EXPECT_EQ(List()->count(), 4);
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

  QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {},
                     List()->visualItemRect(List()->item(0)).center());
  editor = OpenWindow<frmDataEdit>(window_.get());
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(context_->EditIndex, 0);
}

TEST_F(ListWindow, VersionBoxHasItsLineBreaks) {
  Open(Timetables(1));
  TriggerMenu(window_.get(), "menuHelpVersion");
  ASSERT_EQ(Messages().size(), 1u);
  const QStringList lines = QString::fromStdString(Messages()[0].Text).split('\n');
  ASSERT_EQ(lines.size(), 4);
  EXPECT_EQ(lines[0], QStringLiteral("【ベルカン42エディタ】\u3000Ver 1.10"));
  EXPECT_TRUE(lines[1].isEmpty());
  EXPECT_EQ(Messages()[0].Caption, "ﾊﾞｰｼﾞｮﾝ情報");
}

}  // namespace
}  // namespace v42::test
