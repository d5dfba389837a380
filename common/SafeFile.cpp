#include "SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include "DataFormat.h"
#include "Model.h"
#include "TextCodec.h"

namespace v42 {

namespace {

std::string Reason(int err) {
  switch (err) {
    case EACCES:
    case EPERM:
      return "フォルダに書き込む権限がありません。";
    case EROFS:
      return "読み取り専用の場所には書き込めません。";
    case ENOSPC:
    case EDQUOT:
      return "ディスクの空き容量が足りません。";
    case EFBIG:
      return "ファイルの大きさが上限を超えました。";
    case ENOENT:
    case ENOTDIR:
      return "フォルダが見つかりません。";
    case EISDIR:
      return "同じ名前のフォルダがあります。";
    default:
      return std::string("書き込み中にエラーが発生しました（") + std::strerror(err) + "）。";
  }
}

FileError WriteError(const std::filesystem::path& file, int err, bool oldFileKept) {
  std::string message = file.filename().string() + "を保存できませんでした。\n" + Reason(err);
  if (oldFileKept) message += "\n元のファイルはそのまま残っています。";
  return WriteFailure(message);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// A new temporary file beside the target; the kernel applies the umask to its mode as it
// would to a file created in place.
int CreateTemp(const std::filesystem::path& folder, const std::string& name, std::string& temp) {
  static std::mt19937 rng{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = (folder / ("." + name + "." + std::to_string(rng() % 1000000))).string();
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// A size limit (ulimit -f) would otherwise kill the program in the middle of a save with no
// word to the user; ignored, the write fails with EFBIG and the save is reported like any
// other. A handler the program installed itself is left in place.
void IgnoreFileSizeSignal() {
  struct sigaction current {};
  if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
    std::signal(SIGXFSZ, SIG_IGN);
  }
}

// Where the bytes go: a symbolic link (into a synchronised folder, say) stays a link and its
// target is replaced, with the temporary file beside the target so the rename stays on one
// file system. A dangling link gets its target created.
std::filesystem::path LinkTarget(std::filesystem::path file) {
  std::error_code ec;
  for (int hop = 0; hop < 40 && std::filesystem::is_symlink(file, ec); ++hop) {
    std::filesystem::path target = std::filesystem::read_symlink(file, ec);
    if (ec) break;
    file = target.is_absolute() ? target : file.parent_path() / target;
  }
  return file;
}

// A save of these programs takes well under a second; a temporary file this old was left by
// one that was killed, and no save can still be writing it.
constexpr auto kLeftoverAge = std::chrono::minutes(10);

bool IsTempNameOf(const std::string& name, const std::string& target) {
  const std::string prefix = "." + target + ".";
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
  return name.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

void RemoveLeftovers(const std::filesystem::path& folder, const std::string& target) {
  std::error_code ec;
  const auto now = std::filesystem::file_time_type::clock::now();
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    if (!IsTempNameOf(it->path().filename().string(), target)) continue;
    std::error_code e;
    if (!it->is_regular_file(e) || it->is_symlink(e)) continue;
    const auto written = std::filesystem::last_write_time(it->path(), e);
    if (!e && now - written > kLeftoverAge) std::filesystem::remove(it->path(), e);
  }
}

std::string ReadReason(int err) {
  switch (err) {
    case EACCES:
    case EPERM:
      return "ファイルを読む権限がありません。";
    case ELOOP:
      return "シンボリックリンクが循環しています。";
    case EISDIR:
      return "同じ名前のフォルダがあります。";
    case EIO:
      return "読み込み中に入出力エラーが発生しました。";
    default:
      return std::string("読み込めません（") + std::strerror(err) + "）。";
  }
}

}  // namespace

FileError UnreadableFileError(const std::filesystem::path& file, int err) {
  return FileError(file.filename().string() + "を読み込めませんでした。\n" + ReadReason(err) +
                       "\n" + file.string(),
                   "ファイル読込エラー");
}

FileError WriteFailure(const std::string& message) {
  // A failed save leaves the program running so the user can fix the cause and try again.
  return FileError(message, "ファイル書込エラー", false);
}

std::string ReadFileBytes(const std::filesystem::path& file, std::uintmax_t maxBytes) {
  // Non-blocking, so a named pipe in the file's place cannot stop the program at the open.
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) throw MissingFileError(file.filename().string());
    throw UnreadableFileError(file, errno);
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) throw UnreadableFileError(file, errno);
  if (S_ISDIR(st.st_mode)) throw UnreadableFileError(file, EISDIR);
  if (!S_ISREG(st.st_mode)) throw UnreadableFileError(file, EINVAL);
  const auto tooLarge = [&] {
    return FileError(file.filename().string() + "のファイル形式が不正です。\n" +
                         "ファイルが大きすぎます（上限 " + std::to_string(maxBytes / 1024) +
                         " KB）。",
                     "ファイル形式エラー");
  };
  if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) throw tooLarge();
  std::string bytes;
  bytes.resize(static_cast<std::size_t>(st.st_size));
  std::size_t done = 0;
  for (;;) {
    if (done == bytes.size()) {
      // The file may have grown since fstat: read on, within the cap.
      if (bytes.size() > maxBytes) throw tooLarge();
      bytes.resize(bytes.size() + 4096);
    }
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw UnreadableFileError(file, errno);
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  if (done > maxBytes) throw tooLarge();
  return bytes;
}

void ReplaceFile(const std::filesystem::path& file, std::string_view bytes) {
  IgnoreFileSizeSignal();
  // Messages name the file the user knows, not where a link leads.
  const std::filesystem::path target = LinkTarget(file);
  std::error_code ec;
  const bool oldExists = std::filesystem::exists(target, ec);
  // A file the user may not write is left alone, as opening it for output would be refused;
  // the rename would otherwise replace it whenever the folder is writable.
  if (oldExists && ::access(target.c_str(), W_OK) != 0 && (errno == EACCES || errno == EPERM)) {
    throw WriteFailure(file.filename().string() +
                       "を保存できませんでした。\nファイルに書き込む権限がありません。"
                       "\n元のファイルはそのまま残っています。");
  }
  const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
  std::string temp;
  const int fd = CreateTemp(folder, target.filename().string(), temp);
  if (fd < 0) throw WriteError(file, errno, oldExists);

  int err = 0;
  // The replacement keeps the owner, group and permissions of the file it replaces: root
  // saving another user's file must not leave a file that user can no longer change. The
  // owner goes first, as changing it may clear set-id bits that the mode then puts back.
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    struct stat mine {};
    if (::fstat(fd, &mine) == 0 && (mine.st_uid != old.st_uid || mine.st_gid != old.st_gid) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0) {
      ::close(fd);
      ::unlink(temp.c_str());
      throw WriteFailure(file.filename().string() +
                         "を保存できませんでした。\nファイルの所有者を保つことができません。"
                         "\n元のファイルはそのまま残っています。");
    }
    if (::fchmod(fd, old.st_mode & 07777) != 0) err = errno;
  }
  if (err == 0 && (!WriteAll(fd, bytes) || ::fsync(fd) != 0)) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    throw WriteError(file, err, oldExists);
  }
  RemoveLeftovers(folder, target.filename().string());
  // The rename itself becomes durable with the folder; a failure here loses nothing.
  const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
}

void ReplaceTextFile(const std::filesystem::path& file, std::string_view utf8Text) {
  const auto cp932 = Utf8ToCp932(utf8Text);
  if (!cp932) {
    throw WriteFailure(file.filename().string() + "に保存できない文字「" +
                       FirstUnrepresentable(utf8Text) +
                       "」が含まれています。\nファイルは変更していません。");
  }
  ReplaceFile(file, *cp932);
}

}  // namespace v42
