// The shared files as the four programs meet them: damaged, unreadable and oversized files
// are told apart from missing ones and left as they are; saves keep what they do not own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>

#include "DataFile.h"
#include "IniFile.h"
#include "SafeFile.h"
#include "TestFiles.h"

namespace v42 {
namespace {

using test::TempFolder;
namespace fs = std::filesystem;

constexpr uid_t kOtherUser = 65534;  // nobody

// Runs `act` in a child process as another user; true when it exited 0.
bool AsOtherUser(const std::function<bool()>& act) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::geteuid() == 0 && (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0)) ::_exit(3);
    ::_exit(act() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Puts something in the file's place; an empty result means the case does not apply here.
struct BadFile {
  const char* what;
  std::function<void(const fs::path&)> make;
  const char* caption;
};

std::string Header() { return test::kDeparturesLine; }

const BadFile kBadDataFiles[] = {
    {"empty", [](auto& f) { test::WriteBytes(f, ""); }, "ファイル形式エラー"},
    {"zeroed", [](auto& f) { test::WriteBytes(f, std::string(4096, '\0')); }, "ファイル形式エラー"},
    {"NUL inside a minute",
     [](auto& f) {
       test::WriteBytes(f, Header() + "t>\r\n6,3" + std::string(1, '\0') + "\r\n<\r\n");
     },
     "ファイル形式エラー"},
    {"no section line", [](auto& f) { test::WriteBytes(f, "t>\r\n6,5\r\n<\r\n"); },
     "ファイル形式エラー"},
    {"past the size cap",
     [](auto& f) { test::WriteBytes(f, std::string(kMaxSharedFileBytes + 1, 'a')); },
     "ファイル形式エラー"},
    {"title longer than its box",
     [](auto& f) { test::WriteCp932(f, Header() + std::string(21, 'T') + ">\r\n<\r\n"); },
     "ファイル形式エラー"},
    {"kind name longer than its box",
     [](auto& f) {
       test::WriteCp932(f, Header() +
                               "t>\r\n<\r\n******[TypeData]******\r\n>\r\na,快速快速快速快速快速,"
                               "Normal,0,0\r\n<\r\n");
     },
     "ファイル形式エラー"},
    {"a folder", [](auto& f) { fs::create_directory(f); }, "ファイル読込エラー"},
    {"a link loop", [](auto& f) { fs::create_symlink(f.filename(), f); }, "ファイル読込エラー"},
};

const BadFile kBadIniFiles[] = {
    {"UTF-16",
     [](auto& f) {
       test::WriteBytes(f, std::string("\xFF\xFE"
                                       "A\0=\0"
                                       "1\0\r\0\n\0",
                                       12));
     },
     "ファイル形式エラー"},
    {"NUL bytes", [](auto& f) { test::WriteBytes(f, std::string("MoveTimes_Min=1\0\r\n", 18)); },
     "ファイル形式エラー"},
    {"binary without NUL",
     [](auto& f) { test::WriteBytes(f, "\x01\x7F\x1B\xFFMoveTimes_Min=1\r\n"); },
     "ファイル形式エラー"},
    {"past the size cap",
     [](auto& f) { test::WriteBytes(f, std::string(kMaxSharedFileBytes + 1, ';')); },
     "ファイル形式エラー"},
    {"a folder", [](auto& f) { fs::create_directory(f); }, "ファイル読込エラー"},
    {"a link loop", [](auto& f) { fs::create_symlink(f.filename(), f); }, "ファイル読込エラー"},
};

std::string Snapshot(const fs::path& file) {
  std::error_code ec;
  if (fs::is_symlink(file, ec)) return "link:" + fs::read_symlink(file).string();
  if (fs::is_directory(file, ec)) return "folder";
  return test::ReadBytes(file);
}

TEST(SharedFiles, DamagedAndUnreadableTimetablesAreNeitherMissingNorEmpty) {
  for (const BadFile& c : kBadDataFiles) {
    TempFolder folder;
    const fs::path file = folder / kDataFileName;
    c.make(file);
    const std::string before = Snapshot(file);
    EXPECT_TRUE(FileExists(file)) << c.what;
    TimetableStore store;
    store.Count = 1;
    store.Records[0].Title = "元";
    const auto start = std::chrono::steady_clock::now();
    test::ExpectFileError([&] { ReadDataFile(store, folder.path()); }, c.caption, {}, c.what);
    // Refused before reading the whole file; a second is generous for one megabyte.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << c.what;
    EXPECT_EQ(store.Count, 1) << c.what;
    EXPECT_EQ(Snapshot(file), before) << c.what;
  }
}

TEST(SharedFiles, SettingsThatAreNotTextOrCannotBeReadAreReportedAndKept) {
  for (const BadFile& c : kBadIniFiles) {
    TempFolder folder;
    const fs::path file = folder / kIniFileName;
    c.make(file);
    const std::string before = Snapshot(file);
    IniSettings settings;
    SetIniDefaults(settings);
    test::ExpectFileError([&] { ReadIniFile(settings, folder.path()); }, c.caption, {}, c.what);
    test::ExpectFileError([&] { ReadIniOverDefaults(folder.path()); }, c.caption, {}, c.what);
    // A writer that would keep the file's other lines cannot read them either: it refuses.
    try {
      WriteIniFile(settings, folder.path());
      ADD_FAILURE() << c.what << ": written over";
    } catch (const FileError&) {
    }
    EXPECT_EQ(Snapshot(file), before) << c.what;
  }
}

// A file the user may not read is not missing either, also when its folder is writable.
TEST(SharedFiles, AFileWithoutReadPermissionIsAnError) {
  TempFolder folder;
  fs::permissions(folder.path(), fs::perms::all);
  for (const char* name : {kDataFileName, kIniFileName}) {
    test::WriteBytes(folder / name, "kept");
    ::chmod((folder / name).c_str(), 0200);
  }
  EXPECT_TRUE(AsOtherUser([&] {
    TimetableStore store;
    IniSettings settings;
    SetIniDefaults(settings);
    try {
      ReadDataFile(store, folder.path());
      return false;
    } catch (const FileError& e) {
      if (e.Caption != "ファイル読込エラー") return false;
    }
    try {
      WriteIniFile(settings, folder.path());
      return false;
    } catch (const FileError&) {
    }
    return true;
  }));
  EXPECT_EQ(test::ReadBytes(folder / kDataFileName), "kept");
  EXPECT_EQ(test::ReadBytes(folder / kIniFileName), "kept");
}

TEST(SharedFiles, SavedSettingsKeepTheLinesOfOthersInTheirPlace) {
  TempFolder folder;
  test::WriteCp932(folder / kIniFileName,
                   "; 手で書いたメモ\r\n"
                   "ApplicationFontColor=1\r\n"
                   "\r\n"
                   "NewerKey=値\r\n"
                   "MoveTimes_Min=7\r\n"
                   "MoveTimes_Min=8\r\n"
                   "DimPassed=ON\r\n"
                   "; 終わり\r\n");
  IniSettings settings = ReadIniOverDefaults(folder.path());
  EXPECT_EQ(settings.MoveTimes_Min, 8);  // the last line wins on reading, as before
  settings.ApplicationFontColor = 2;
  settings.Desktop.DimPassed = false;  // back at its default: its line goes
  settings.Desktop.FollowSaves = true;
  WriteIniFile(settings, folder.path());
  const std::string written = Cp932ToUtf8(test::ReadBytes(folder / kIniFileName)).value();
  EXPECT_EQ(written,
            "; 手で書いたメモ\r\n"
            "ApplicationFontColor=2\r\n"
            "ApplicationBackColor=12632256\r\n"
            "CommentText_0=運行は終了しました。\r\nCommentColor_0=16512\r\n"
            "CommentText_1=通過しました。\r\nCommentColor_1=255\r\n"
            "CommentText_2=もうすぐ来ます。\r\nCommentColor_2=8454143\r\n"
            "MessageTimes_Min=3\r\n"
            "\r\n"
            "NewerKey=値\r\n"
            "MoveTimes_Min=8\r\n"
            "MessageBlinkFlag=ON\r\nMessageSoundFlag=OFF\r\n"
            "FollowSaves=ON\r\n"
            "; 終わり\r\n");
  EXPECT_EQ(ReadIniOverDefaults(folder.path()), settings);

  // Stray bytes kept after a line that goes must not open the file as if it were UTF-16.
  test::WriteBytes(folder / kIniFileName, "DayStartHour=5\r\n\xFE\xFF\xFF\r\nMoveTimes_Min=4\r\n");
  settings = ReadIniOverDefaults(folder.path());
  WriteIniFile(settings, folder.path());
  EXPECT_EQ(ReadIniOverDefaults(folder.path()), settings);
}

TEST(SharedFiles, ASaveRemovesOnlyOldTemporaryFilesOfKilledSaves) {
  TempFolder folder;
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
  const char* leftover = ".velkan42.dat.123456";
  const char* recent = ".velkan42.dat.654321";  // may be a save still writing
  const char* notOurs = ".velkan42.dat.bak";
  for (const char* name : {leftover, recent, notOurs}) test::WriteBytes(folder / name, "x");
  fs::last_write_time(folder / leftover, old);
  fs::last_write_time(folder / notOurs, old);
  WriteDataFile({}, folder.path());
  EXPECT_FALSE(fs::exists(folder / leftover));
  EXPECT_TRUE(fs::exists(folder / recent));
  EXPECT_TRUE(fs::exists(folder / notOurs));
}

// Root saving another user's file leaves it that user's; that user saving a file it does not
// own is refused rather than taking it over.
TEST(SharedFiles, ASaveKeepsOwnerGroupAndMode) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand files to another user";
  TempFolder folder;
  fs::permissions(folder.path(), fs::perms::all);
  const fs::path file = folder / kDataFileName;
  test::WriteBytes(file, "old");
  ASSERT_EQ(::chown(file.c_str(), kOtherUser, kOtherUser), 0);
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  WriteDataFile({}, folder.path());
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, kOtherUser);
  EXPECT_EQ(st.st_gid, kOtherUser);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_NE(test::ReadBytes(file), "old");

  const fs::path ini = folder / kIniFileName;
  test::WriteBytes(ini, "MoveTimes_Min=1\r\n");
  ASSERT_EQ(::chmod(ini.c_str(), 0666), 0);  // root's, writable by all
  EXPECT_TRUE(AsOtherUser([&] {
    IniSettings settings;
    SetIniDefaults(settings);
    try {
      WriteIniFile(settings, folder.path());
    } catch (const FileError& e) {
      return std::string(e.what()).find("所有者") != std::string::npos;
    }
    return false;
  }));
  EXPECT_EQ(test::ReadBytes(ini), "MoveTimes_Min=1\r\n");
}

}  // namespace
}  // namespace v42
