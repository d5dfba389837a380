#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

#include "DataFile.h"
#include "IniFile.h"
#include "SafeFile.h"
#include "TestFiles.h"

namespace v42 {
namespace {

using test::TempFolder;

auto FilesIn(const std::filesystem::path& folder) {
  return std::distance(std::filesystem::directory_iterator(folder), {});
}

// Runs a save in a child process (so limits and a changed user stay there); true when it raised
// the write error that leaves the program running, with `reason` in its message. A child the
// save killed counts as a failure of the test.
bool SaveFailsInChild(const std::function<void()>& prepare, const std::function<void()>& save,
                      std::string_view reason = {}) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    try {
      prepare();
      save();
    } catch (const FileError& e) {
      const bool named = std::string_view(e.what()).find(reason) != std::string_view::npos;
      ::_exit(e.Caption == "ファイル書込エラー" && !e.EndsProgram && named ? 0 : 2);
    } catch (...) {
    }
    ::_exit(1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(SafeFile, ReplacesTheFileAndKeepsItsPermissions) {
  TempFolder folder;
  const auto file = folder / kDataFileName;
  test::WriteBytes(file, "old");
  ::chmod(file.c_str(), 0640);
  WriteDataFile({}, folder.path());
  EXPECT_NE(test::ReadBytes(file), "old");
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(FilesIn(folder.path()), 1);
}

// A read-only folder, a file that cannot be completed, a read-only file, and text the file
// cannot carry.
TEST(SafeFile, FailedSavesKeepTheOldFiles) {
  TempFolder folder;
  test::WriteBytes(folder / kDataFileName, "old data");
  test::WriteBytes(folder / kIniFileName, "old settings");
  ::chmod(folder.path().c_str(), 0555);
  const auto asOrdinaryUser = [] {  // root writes anywhere
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
  };
  EXPECT_TRUE(SaveFailsInChild(asOrdinaryUser, [&] { WriteDataFile({}, folder.path()); }));
  ::chmod(folder.path().c_str(), 0755);
  // The signal's default action would end the child before any message: the save itself must
  // turn it off, whatever an earlier save in this process did.
  const auto sizeLimit = [] {
    std::signal(SIGXFSZ, SIG_DFL);
    const rlimit limit{64, 64};  // the settings text is about 300 bytes
    ::setrlimit(RLIMIT_FSIZE, &limit);
  };
  IniSettings settings;
  SetIniDefaults(settings);
  EXPECT_TRUE(SaveFailsInChild(
      sizeLimit, [&] { WriteIniFile(settings, folder.path()); },
      "ファイルの大きさが上限を超えました。"));
  // A read-only file stays even where the folder would let the rename replace it.
  ::chmod(folder.path().c_str(), 0777);
  ::chmod((folder / kIniFileName).c_str(), 0444);
  EXPECT_TRUE(SaveFailsInChild(asOrdinaryUser, [&] { WriteIniFile(settings, folder.path()); }));
  ::chmod((folder / kIniFileName).c_str(), 0644);
  ::chmod(folder.path().c_str(), 0755);

  for (const auto& [title, typeName] : {std::pair{"€", ""}, std::pair{"", "x>"}}) {
    TimetableStore store;
    store.Count = 2;
    store.Records[1].Title = title;
    store.Records[1].Types[25].Name = typeName;
    test::ExpectFileError([&] { WriteDataFile(store, folder.path()); }, "ファイル書込エラー");
  }
  for (const char* comment : {"ü", "a\r\nb"}) {
    settings.Comments[2].Text = comment;
    test::ExpectFileError([&] { WriteIniFile(settings, folder.path()); }, "ファイル書込エラー");
  }
  EXPECT_EQ(test::ReadBytes(folder / kDataFileName), "old data");
  EXPECT_EQ(test::ReadBytes(folder / kIniFileName), "old settings");
  EXPECT_EQ(FilesIn(folder.path()), 2);
}

TEST(SafeFile, AFolderInPlaceOfTheFileFailsTheRenameAndNoTemporaryFileIsLeft) {
  TempFolder folder;
  std::filesystem::create_directory(folder / kDataFileName);
  const std::string message =
      test::ExpectFileError([&] { WriteDataFile({}, folder.path()); }, "ファイル書込エラー");
  EXPECT_TRUE(message.starts_with("velkan42.datを保存できませんでした。\n")) << message;
  EXPECT_TRUE(std::filesystem::is_directory(folder / kDataFileName));
  EXPECT_EQ(FilesIn(folder.path()), 1);
}

// One link leads into another folder by its absolute path, the other by a relative one; both
// stay links, their targets get the new contents, and no temporary file is left in either
// folder.
TEST(SafeFile, SavingThroughASymbolicLinkReplacesItsTargetAndKeepsTheLink) {
  TempFolder app, synced;
  std::filesystem::create_directory(synced / "sub");
  const auto dataTarget = synced / "sub" / "timetables.dat";
  const auto iniTarget = synced / "settings.ini";
  test::WriteBytes(dataTarget, "old data");
  test::WriteBytes(iniTarget, "old settings");
  ::chmod(dataTarget.c_str(), 0600);
  std::filesystem::create_symlink(dataTarget, app / kDataFileName);
  std::filesystem::create_symlink(std::filesystem::relative(iniTarget, app.path()),
                                  app / kIniFileName);

  TimetableStore store;
  store.Count = 1;
  store.Records[0].Title = "駅前";
  WriteDataFile(store, app.path());
  IniSettings settings;
  SetIniDefaults(settings);
  settings.Comments[0].Text = "リンク先";
  WriteIniFile(settings, app.path());

  for (const auto& [link, target] :
       {std::pair{app / kDataFileName, dataTarget}, std::pair{app / kIniFileName, iniTarget}}) {
    EXPECT_TRUE(std::filesystem::is_symlink(link)) << link;
    EXPECT_TRUE(std::filesystem::equivalent(link, target)) << link;
  }
  TimetableStore readStore;
  ReadDataFile(readStore, app.path());
  EXPECT_EQ(readStore.Records[0].Title, "駅前");
  IniSettings readSettings;
  ReadIniFile(readSettings, app.path());
  EXPECT_EQ(readSettings.Comments[0].Text, "リンク先");
  struct stat st {};
  ASSERT_EQ(::stat(dataTarget.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(FilesIn(app.path()), 2);
  EXPECT_EQ(FilesIn(synced.path()), 2);
  EXPECT_EQ(FilesIn(synced / "sub"), 1);
}

}  // namespace
}  // namespace v42
