// The one lock that makes every save of the shared files a transaction.
#pragma once

#include <chrono>
#include <filesystem>

namespace v42 {

// Name of the lock file in the files' folder: hidden, never read, and there only while a save
// holds it.
inline constexpr const char* kFilesLockName = ".velkan42.lock";

// Exclusive advisory lock of the files' folder, held by every writer of velkan42.dat,
// velkan42.ini and velkan42.feeds.json for its whole read-change-replace.
// Nested locks of one folder in one thread count up (a transaction may call a writer that
// takes the lock itself); another thread of the same process waits like another process.
class FilesLock {
 public:
  // Waits up to `wait`; throws FileError with a clear Japanese message naming the folder when
  // another program holds it longer (never hangs).
  explicit FilesLock(const std::filesystem::path& folder,
                     std::chrono::milliseconds wait = std::chrono::seconds(5));
  ~FilesLock();
  FilesLock(const FilesLock&) = delete;
  FilesLock& operator=(const FilesLock&) = delete;

 private:
  std::filesystem::path key_;
};

}  // namespace v42
