// The editor and other programs saving velkan42.dat: nothing another program saved is lost
// without the user's word, and unsaved edits survive the editor's end.
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "DiskChanges.h"
#include "EditorFixture.h"
#include "EditorList.h"
#include "FilesLock.h"

namespace v42::test {
namespace {

const TimetableRecord kA = Timetable("甲", 6, {{{5, 0}}});
const TimetableRecord kB = Timetable("乙", 7, {{{10, 0}}});
const TimetableRecord kC = Timetable("丙", 8, {{{15, 0}}});

// Another program's read-change-replace of the data file, in a process of its own.
void InOtherProcess(const std::filesystem::path& folder,
                    const std::function<void(TimetableStore&)>& change) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    try {
      const FilesLock lock(folder);
      TimetableStore store;
      ReadDataFile(store, folder);
      change(store);
      WriteDataFile(store, folder);
    } catch (...) {
      ::_exit(1);
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

void Append(TimetableStore& store) { store.Records[store.Count++] = kC; }

std::vector<std::string> TitlesOnDisk(const std::filesystem::path& folder) {
  TimetableStore store;
  ReadDataFile(store, folder);
  std::vector<std::string> titles;
  for (int i = 0; i < store.Count; ++i) titles.push_back(store.Records[i].Title);
  return titles;
}

using Titles = std::vector<std::string>;

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class SharedFile : public EditorFixture {};

TEST_F(SharedFile, WithoutUnsavedChangesAnotherSaveIsReadQuietlyKeepingTheSelection) {
  Open({kA, kB});
  SelectEntry(1);
  InOtherProcess(Folder(), Append);
  ASSERT_TRUE(QTest::qWaitFor([&] { return List()->count() == 3; }));
  EXPECT_EQ(ListTexts(), (Titles{"甲", "乙", "丙"}));
  EXPECT_EQ(List()->currentRow(), 1);
  // Moved to another place, it is followed by its title.
  InOtherProcess(Folder(), [](TimetableStore& s) { std::swap(s.Records[0], s.Records[1]); });
  ASSERT_TRUE(QTest::qWaitFor([&] { return ListTexts() == Titles{"乙", "甲", "丙"}; }));
  EXPECT_EQ(List()->selectedItems().value(0)->text().toStdString(), "乙");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(SharedFile, AnImportDuringUnsavedChangesIsKeptAfterTheEditorsList) {
  Open({kA, kB});
  SelectEntry(1);
  Act(4);  // ▲: 乙 first, unsaved
  InOtherProcess(Folder(), Append);
  Menu("menuFileSave");
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].Text.find("1 件を、一覧の最後に加えて保存しました"), std::string::npos)
      << Messages()[0].Text;
  EXPECT_EQ(TitlesOnDisk(Folder()), (Titles{"乙", "甲", "丙"}));
  EXPECT_EQ(ListTexts(), (Titles{"乙", "甲", "丙"}));
}

// Anything but an append is the user's decision: overwrite, take the file, or keep both.
TEST_F(SharedFile, AnyOtherChangeAsksAndEachAnswerDoesWhatItSays) {
  const auto reorderOnDisk = [](TimetableStore& s) { std::swap(s.Records[0], s.Records[1]); };
  const struct {
    int choice;
    Titles disk, list;
  } cases[] = {
      {0, {"甲", "乙", kNewTitle}, {"甲", "乙", kNewTitle}},  // overwrite with the editor's
      {1, {"乙", "甲"}, {"乙", "甲"}},                        // read again, the added one discarded
      {2, {"乙", "甲"}, {"甲", "乙", kNewTitle}},             // cancel: both stay as they are
  };
  for (const auto& c : cases) {
    Open({kA, kB});
    Act(2);  // ADD NEW, unsaved
    InOtherProcess(Folder(), reorderOnDisk);
    MessageBoxSeam::ClearCalls();
    MessageBoxSeam::QueueChoice(c.choice);
    Menu("menuFileSave");
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Messages()[0].Text, "時刻表ファイルがほかのプログラムで変更されています。");
    EXPECT_EQ(Messages()[0].Choices,
              (std::vector<std::string>{"上書き保存", "読み込み直す", "キャンセル"}));
    EXPECT_EQ(TitlesOnDisk(Folder()), c.disk) << c.choice;
    EXPECT_EQ(ListTexts(), c.list) << c.choice;
  }
}

TEST_F(SharedFile, UnsavedEditsSurviveTheProgramsEndAndAreOfferedBack) {
  Open({kA, kB});
  SelectEntry(0);
  Act(1);  // DELETE 甲, unsaved
  window_->KeepUnsavedEdits();
  ASSERT_TRUE(std::filesystem::exists(Folder() / kRecoveryFileName));
  window_.reset();

  MessageBoxSeam::ClearCalls();
  MessageBoxSeam::QueueAnswer(QMessageBox::Yes);
  ASSERT_TRUE(Restart());
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].Text, "保存されていない変更が見つかりました。復元しますか？");
  EXPECT_EQ(ListTexts(), (Titles{"乙"}));
  EXPECT_EQ(TitlesOnDisk(Folder()), (Titles{"甲", "乙"}));  // not saved until the user saves
  Menu("menuFileSave");
  EXPECT_EQ(TitlesOnDisk(Folder()), (Titles{"乙"}));
  EXPECT_FALSE(std::filesystem::exists(Folder() / kRecoveryFileName));

  // Declined, the edits are gone for good.
  Act(2);
  window_->KeepUnsavedEdits();
  MessageBoxSeam::ClearCalls();
  MessageBoxSeam::QueueAnswer(QMessageBox::No);
  ASSERT_TRUE(Restart());
  EXPECT_EQ(ListTexts(), (Titles{"乙"}));
  EXPECT_FALSE(std::filesystem::exists(Folder() / kRecoveryFileName));
}

// The editor's start on a file that is damaged or cannot be read: it says which and why, and
// the file stays exactly as it was.
TEST_F(SharedFile, ADamagedOrUnreadableFileIsNamedWithItsReason) {
  const auto file = Folder() / kDataFileName;
  const struct {
    std::function<void()> make;
    const char* reason;
  } cases[] = {
      {[&] { std::ofstream(file, std::ios::binary) << ""; }, "区切りの行"},
      {[&] { std::ofstream(file, std::ios::binary) << std::string(100, '\0'); }, "NUL"},
      {[&] { std::ofstream(file, std::ios::binary) << std::string(2 << 20, 'x'); }, "大きすぎます"},
      {[&] { std::filesystem::create_symlink(kDataFileName, file); }, "循環"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(file);
    c.make();
    const std::string before = std::filesystem::is_symlink(file) ? "link" : ReadBytes(file);
    MessageBoxSeam::ClearCalls();
    EXPECT_FALSE(Restart()) << c.reason;
    ASSERT_EQ(Messages().size(), 1u) << c.reason;
    EXPECT_NE(Messages()[0].Text.find("velkan42.dat"), std::string::npos) << Messages()[0].Text;
    EXPECT_NE(Messages()[0].Text.find(c.reason), std::string::npos) << Messages()[0].Text;
    EXPECT_EQ(std::filesystem::is_symlink(file) ? "link" : ReadBytes(file), before) << c.reason;
  }
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace v42::test
