#include "FilesLock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "Model.h"
#include "TestFiles.h"

namespace v42 {
namespace {

using test::TempFolder;

// Another process that holds the folder's lock until told to let go.
class OtherHolder {
 public:
  explicit OtherHolder(const std::filesystem::path& folder) {
    int toChild[2], toParent[2];
    if (::pipe(toChild) != 0 || ::pipe(toParent) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ == 0) {
      char c = 0;
      {
        FilesLock lock(folder);
        (void)!::write(toParent[1], "h", 1);
        (void)!::read(toChild[0], &c, 1);
      }
      (void)!::write(toParent[1], "r", 1);
      ::_exit(0);
    }
    ::close(toChild[0]);
    ::close(toParent[1]);
    release_ = toChild[1];
    hear_ = toParent[0];
    char c = 0;
    (void)!::read(hear_, &c, 1);  // holding now
  }
  void Release() {
    char c = 0;
    (void)!::write(release_, "x", 1);
    (void)!::read(hear_, &c, 1);
  }
  ~OtherHolder() {
    ::close(release_);
    ::close(hear_);
    ::waitpid(pid_, nullptr, 0);
  }

 private:
  pid_t pid_ = -1;
  int release_ = -1, hear_ = -1;
};

TEST(FilesLock, AnotherProcessHoldingItGivesAClearErrorThenTheLockIsFree) {
  TempFolder folder;
  OtherHolder other(folder.path());
  try {
    FilesLock lock(folder.path(), std::chrono::milliseconds(100));
    FAIL() << "the lock was taken twice";
  } catch (const FileError& e) {
    EXPECT_FALSE(e.EndsProgram);
    EXPECT_NE(std::string(e.what()).find(folder.path().string()), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("ほかのプログラム"), std::string::npos);
  }
  other.Release();
  FilesLock lock(folder.path(), std::chrono::milliseconds(100));
}

TEST(FilesLock, NestsInOneThreadAndIsReleasedWithTheOuterOne) {
  TempFolder folder;
  {
    FilesLock outer(folder.path(), std::chrono::milliseconds(100));
    FilesLock inner(folder.path() / "." / "", std::chrono::milliseconds(100));
  }
  // Released: no lock file is left, and another process can take it straight away.
  EXPECT_FALSE(std::filesystem::exists(folder / kFilesLockName));
  OtherHolder other(folder.path());
  other.Release();
}

}  // namespace
}  // namespace v42
