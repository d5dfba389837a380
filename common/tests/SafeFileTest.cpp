#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <string>

#include "DataFile.h"
#include "IniFile.h"
#include "SafeFile.h"
#include "TestFiles.h"

namespace v42 {
namespace {

using test::TempFolder;

int FilesIn(const std::filesystem::path& folder) {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

TimetableStore SmallStore() {
  TimetableStore store;
  store.Count = 2;
  store.Records[0].Title = "平日";
  store.Records[0].Departures[0][0] = {6, 0};
  store.Records[0].Departures[0][1] = {15, 'a'};
  store.Records[1].Title = "土休日";
  store.Records[0].Types[0].Name = "快速";
  return store;
}

// Runs a save in a child process (so limits and a changed user stay there) and tells how it
// ended: 0 = the save's write error, 1 = no error at all, 2 = some other error.
int SaveInChild(const std::function<void()>& prepare, const std::function<void()>& save) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    int code = 2;
    try {
      prepare();
      save();
      code = 1;
    } catch (const FileError& e) {
      code = (e.Caption == "ファイル書込エラー" && !e.EndsProgram) ? 0 : 2;
    } catch (...) {
    }
    ::_exit(code);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SafeFile, ReplacesTheFileAndKeepsItsPermissions) {
  TempFolder folder;
  const auto file = folder / kDataFileName;
  test::WriteBytes(file, "old");
  ::chmod(file.c_str(), 0640);
  WriteDataFile(SmallStore(), folder.path());
  EXPECT_NE(test::ReadBytes(file), "old");
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(FilesIn(folder.path()), 1);
}

TEST(SafeFile, ReadOnlyFolderKeepsTheOldFile) {
  TempFolder folder;
  const auto file = folder / kDataFileName;
  test::WriteBytes(file, "old bytes\r\n");
  ::chmod(folder.path().c_str(), 0555);
  const int result = SaveInChild(
      [] {
        // Root writes anywhere, so the child becomes an ordinary user first.
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
      },
      [&] { WriteDataFile(SmallStore(), folder.path()); });
  ::chmod(folder.path().c_str(), 0755);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(test::ReadBytes(file), "old bytes\r\n");
  EXPECT_EQ(FilesIn(folder.path()), 1);
}

TEST(SafeFile, FileThatCannotBeCompletedKeepsTheOldFile) {
  TempFolder folder;
  const auto file = folder / kIniFileName;
  test::WriteBytes(file, "MoveTimes_Min=5\r\n");
  const int result = SaveInChild(
      [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};  // the settings text is about 300 bytes
        ::setrlimit(RLIMIT_FSIZE, &limit);
      },
      [&] {
        IniSettings settings;
        SetIniDefaults(settings);
        WriteIniFile(settings, folder.path());
      });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(test::ReadBytes(file), "MoveTimes_Min=5\r\n");
  EXPECT_EQ(FilesIn(folder.path()), 1);
}

TEST(SafeFile, FailuresInTheParentRaiseWriteErrors) {
  TempFolder folder;
  const auto keep = folder / "keep.txt";
  test::WriteBytes(keep, "kept");
  // A folder in place of the file: the rename fails after the text was written.
  std::filesystem::create_directory(folder / kDataFileName);
  const struct {
    const char* what;
    std::function<void()> save;
  } cases[] = {
      {"folder in the way", [&] { WriteDataFile(SmallStore(), folder.path()); }},
      {"missing folder", [&] { WriteDataFile(SmallStore(), folder / "nowhere"); }},
      {"file as folder", [&] { ReplaceFile(keep / "x.dat", "x"); }},
  };
  for (const auto& c : cases) {
    try {
      c.save();
      ADD_FAILURE() << c.what << ": no error";
    } catch (const FileError& e) {
      EXPECT_EQ(e.Caption, "ファイル書込エラー") << c.what;
      EXPECT_FALSE(e.EndsProgram) << c.what;
      EXPECT_NE(std::string(e.what()).find("を保存できませんでした。"), std::string::npos);
    }
  }
  EXPECT_TRUE(std::filesystem::is_directory(folder / kDataFileName));
  EXPECT_EQ(test::ReadBytes(keep), "kept");
  EXPECT_EQ(FilesIn(folder.path()), 2);
}

TEST(SafeFile, TextTheFileCannotCarryIsRefusedAndNothingIsWritten) {
  TempFolder folder;
  test::WriteBytes(folder / kDataFileName, "old data");
  test::WriteBytes(folder / kIniFileName, "old settings");
  const struct {
    const char* what;
    std::function<void(TimetableStore&, IniSettings&)> spoil;
    bool dataFile;
  } cases[] = {
      {"euro sign in a title", [](TimetableStore& t, IniSettings&) { t.Records[1].Title = "€"; },
       true},
      {"'>' in a type name",
       [](TimetableStore& t, IniSettings&) { t.Records[1].Types[25].Name = "x>"; }, true},
      {"umlaut in a comment", [](TimetableStore&, IniSettings& s) { s.Comments[1].Text = "ü"; },
       false},
      {"line break in a comment",
       [](TimetableStore&, IniSettings& s) { s.Comments[2].Text = "a\r\nb"; }, false},
  };
  for (const auto& c : cases) {
    TimetableStore store = SmallStore();
    IniSettings settings;
    SetIniDefaults(settings);
    c.spoil(store, settings);
    try {
      if (c.dataFile) {
        WriteDataFile(store, folder.path());
      } else {
        WriteIniFile(settings, folder.path());
      }
      ADD_FAILURE() << c.what << ": no error";
    } catch (const FileError& e) {
      EXPECT_EQ(e.Caption, "ファイル書込エラー") << c.what;
    }
  }
  EXPECT_EQ(test::ReadBytes(folder / kDataFileName), "old data");
  EXPECT_EQ(test::ReadBytes(folder / kIniFileName), "old settings");
  EXPECT_EQ(FilesIn(folder.path()), 2);
}

}  // namespace
}  // namespace v42
