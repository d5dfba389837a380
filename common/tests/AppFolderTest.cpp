#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "AppFolder.h"
#include "DataFile.h"
#include "FirstStart.h"
#include "TestFiles.h"

namespace v42 {
namespace {

using test::TempFolder;

// Sets or clears an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(AppFolderTest, FilesBesideTheExecutableKeepThePortableLayout) {
  for (const char* name : {"velkan42.dat", "velkan42.ini"}) {
    TempFolder exe, data;
    test::WriteBytes(exe / name, "");
    ScopedEnv xdg("XDG_DATA_HOME", data.path().c_str());
    EXPECT_EQ(ResolveAppFolder(exe.path()), exe.path()) << name;
    EXPECT_FALSE(std::filesystem::exists(data / "velkan42")) << name;
  }
}

// Looking makes nothing (a status query or a first start the user quits leaves no trace);
// the folder is made when something is first written there.
TEST(AppFolderTest, OtherwiseThePerUserFolderMadeOnlyWhenWrittenTo) {
  TempFolder exe, home, data;
  ScopedEnv homeEnv("HOME", home.path().c_str());
  {
    ScopedEnv xdg("XDG_DATA_HOME", data.path().c_str());
    EXPECT_EQ(ResolveAppFolder(exe.path()), data / "velkan42");
    EXPECT_FALSE(std::filesystem::exists(data / "velkan42"));
    StartEmpty(data / "velkan42");
    EXPECT_TRUE(std::filesystem::is_regular_file(data / "velkan42" / kDataFileName));
  }
  // Unset, empty or relative: the default under HOME.
  for (const char* value : {static_cast<const char*>(nullptr), "", "relative/data"}) {
    ScopedEnv xdg("XDG_DATA_HOME", value);
    EXPECT_EQ(ResolveAppFolder(exe.path()), home.path() / ".local/share/velkan42");
    EXPECT_FALSE(std::filesystem::exists(home.path() / ".local"));
  }
  ScopedEnv xdg("XDG_DATA_HOME", nullptr);
  ScopedEnv noHome("HOME", nullptr);
  EXPECT_EQ(ResolveAppFolder(exe.path()), exe.path());
}

TEST(FirstStartTest, TheSampleIsFoundInstalledOrBesideAPortableCopy) {
  TempFolder root;
  const std::filesystem::path bin = root / "bin";
  std::filesystem::create_directories(bin / "examples");
  std::filesystem::create_directories(root / "share/velkan42");
  EXPECT_EQ(SampleFolder(bin), std::filesystem::path());  // folders without the file
  test::WriteBytes(bin / "examples" / kDataFileName, "");
  EXPECT_EQ(SampleFolder(bin), bin / "examples");
  test::WriteBytes(root / "share/velkan42" / kDataFileName, "");
  EXPECT_EQ(SampleFolder(bin), root / "share/velkan42");
}

TEST(FirstStartTest, OnlyAFolderWithNothingAtTheDataFileNeedsAFirstStart) {
  TempFolder folder;
  EXPECT_TRUE(NeedsFirstStart(folder.path()));
  // A link to nowhere is something the user made: the reader reports it.
  std::filesystem::create_symlink(folder / "gone", folder / kDataFileName);
  EXPECT_FALSE(NeedsFirstStart(folder.path()));
}

TEST(FirstStartTest, TheSampleAndTheEmptyTimetableReadBack) {
  TempFolder fromSample, empty;
  StartFromSample(V42_EXAMPLES_DIR, fromSample.path());
  EXPECT_EQ(test::ReadBytes(fromSample / kDataFileName),
            test::ReadBytes(std::filesystem::path(V42_EXAMPLES_DIR) / kDataFileName));
  test::ExpectFileError([&] { StartFromSample(empty.path(), fromSample.path()); },
                        "ファイル存在エラー");

  StartEmpty(empty.path());
  TimetableStore store;
  ReadDataFile(store, empty.path());
  EXPECT_EQ(store.Count, 1);
  EXPECT_EQ(store.Records[0], (TimetableRecord{.Title = "新規データ"}));
}

}  // namespace
}  // namespace v42
