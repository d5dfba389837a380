#include "FilesLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <thread>

#include "SafeFile.h"

namespace v42 {

namespace {

struct Held {
  int Fd = -1;  // -1: the folder could not hold a lock file, see OpenLockFile
  int Depth = 0;
  std::thread::id Owner;
};

// flock(2) locks belong to an open file description, so a second open in this process would
// wait on the first: the held locks are kept here, one per folder.
std::mutex& HeldMutex() {
  static std::mutex m;
  return m;
}
std::map<std::filesystem::path, Held>& HeldLocks() {
  static std::map<std::filesystem::path, Held> held;
  return held;
}

std::filesystem::path KeyOf(const std::filesystem::path& folder) {
  std::error_code ec;
  auto key = std::filesystem::weakly_canonical(folder.empty() ? "." : folder, ec);
  return ec ? std::filesystem::absolute(folder.empty() ? "." : folder, ec) : key;
}

// A lock file made by another user (root, say) may be read-only to us; flock works on a
// descriptor opened for reading too. In a folder where no lock file can be made at all
// (read-only, missing) nothing can be saved either, and the save's own error says why, so the
// lock is then held in name only.
int OpenLockFile(const std::filesystem::path& folder) {
  const std::string name = (folder / kFilesLockName).string();
  int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  return fd;
}

// The holder removes the lock file as it lets go, so one opened just before that is no longer
// the folder's lock: only the file still under the name counts.
bool IsStillTheLockFile(const std::filesystem::path& folder, int fd) {
  struct stat named {
  }, held{};
  return ::stat((folder / kFilesLockName).c_str(), &named) == 0 && ::fstat(fd, &held) == 0 &&
         named.st_dev == held.st_dev && named.st_ino == held.st_ino;
}

FileError BusyError(const std::filesystem::path& folder) {
  return WriteFailure("フォルダ「" + folder.string() +
                      "」のファイルをほかのプログラムが保存中のため、保存できませんでした。\n"
                      "しばらく待ってからもう一度お試しください。\n"
                      "元のファイルはそのまま残っています。");
}

}  // namespace

FilesLock::FilesLock(const std::filesystem::path& folder, std::chrono::milliseconds wait)
    : key_(KeyOf(folder)) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  const auto self = std::this_thread::get_id();
  // Short polls rather than a blocking flock: a blocking call cannot be given a deadline
  // without signals, and a writer holds the lock for milliseconds.
  const auto pause = std::chrono::milliseconds(10);
  for (;;) {
    {
      std::lock_guard guard(HeldMutex());
      auto it = HeldLocks().find(key_);
      if (it != HeldLocks().end() && it->second.Owner == self) {
        ++it->second.Depth;
        return;
      }
      if (it == HeldLocks().end()) {
        const int fd = OpenLockFile(key_);
        if (fd < 0) {
          HeldLocks()[key_] = Held{-1, 1, self};
          return;
        }
        int rc;
        do {
          rc = ::flock(fd, LOCK_EX | LOCK_NB);
        } while (rc != 0 && errno == EINTR);
        if (rc == 0 && IsStillTheLockFile(key_, fd)) {
          HeldLocks()[key_] = Held{fd, 1, self};
          return;
        }
        const int err = rc == 0 ? EWOULDBLOCK : errno;  // removed by its holder: try afresh
        ::close(fd);
        if (err != EWOULDBLOCK) {
          // A file system without flock (some network mounts) cannot order writers; saving
          // unordered there is what the programs always did.
          HeldLocks()[key_] = Held{-1, 1, self};
          return;
        }
      }
    }
    if (std::chrono::steady_clock::now() >= deadline) throw BusyError(folder);
    std::this_thread::sleep_for(pause);
  }
}

FilesLock::~FilesLock() {
  std::lock_guard guard(HeldMutex());
  auto it = HeldLocks().find(key_);
  if (it == HeldLocks().end() || --it->second.Depth > 0) return;
  // Removed while still held, so the folder keeps no trace of the save; closing releases it.
  if (it->second.Fd >= 0) {
    ::unlink((key_ / kFilesLockName).c_str());
    ::close(it->second.Fd);
  }
  HeldLocks().erase(it);
}

}  // namespace v42
