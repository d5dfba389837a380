#include "SingleInstance.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QWidget>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <utility>

#include "MessageBox.h"

namespace v42 {

namespace {

// A plain local socket rather than Qt's network module: every start, and `--status`, would
// otherwise load that module and the Kerberos and proxy libraries behind it.
constexpr char kRaise[] = "raise\n";
constexpr char kRaised[] = "raised\n";
constexpr int kAnswerMs = 3000;     // the running copy answers from its event loop
constexpr qsizetype kLineMax = 64;  // longer than any line of ours: not a copy of ours

std::optional<sockaddr_un> AddressOf(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (name.isEmpty() || size_t(name.size()) >= sizeof address.sun_path) return std::nullopt;
  std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
  return address;
}

const sockaddr* AsAddress(const sockaddr_un& address) {
  return reinterpret_cast<const sockaddr*>(&address);
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

// One connection of a second start, open until its line is answered or it hangs up.
class Peer : public QSocketNotifier {
 public:
  Peer(int fd, QObject* parent) : QSocketNotifier(fd, QSocketNotifier::Read, parent) {}
  ~Peer() override {
    setEnabled(false);  // off the event loop before the descriptor goes
    ::close(int(socket()));
  }
  Peer(const Peer&) = delete;
  Peer& operator=(const Peer&) = delete;

  void Read(QWidget* target) {
    const int fd = int(socket());
    char buffer[kLineMax];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n > 0) got_.append(buffer, n);
    const qsizetype end = got_.indexOf('\n');
    if (end < 0 && n > 0 && got_.size() < kLineMax) return;  // the rest of the line is coming
    if (end >= 0 && got_.left(end + 1) == kRaise && target) {
      BringToFront(target);
      ::send(fd, kRaised, sizeof kRaised - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    }
    // Anything else gets no answer: the asking copy then shows its message.
    setEnabled(false);
    deleteLater();
  }

 private:
  QByteArray got_;
};

bool IsPrivateFolderOfMine(const QByteArray& path) {
  struct stat st {};
  if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
    return false;
  return (st.st_mode & 077) == 0 || ::chmod(path.constData(), 0700) == 0;
}

QString LockFolder() {
  // Without XDG_RUNTIME_DIR Qt would warn and invent a folder; ours is private to the user.
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return PrivateLockFolder();
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) return PrivateLockFolder();
  QDir().mkpath(folder);
  return folder;
}

}  // namespace

QString PrivateLockFolder() {
  const QString folder = QDir::tempPath() + "/velkan42-" + QString::number(::getuid());
  const QByteArray path = QFile::encodeName(folder);
  ::mkdir(path.constData(), 0700);  // an existing one is checked below like a new one
  if (IsPrivateFolderOfMine(path)) return folder;
  const QString cache =
      QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/velkan42";
  QDir().mkpath(cache);
  return cache;
}

void BringToFront(QWidget* window) {
  if (window->isMinimized())
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  window->show();
  window->raise();
  window->activateWindow();
  if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != window) {
    modal->raise();
    modal->activateWindow();
  }
}

SingleInstance::SingleInstance(const QString& programName, const QString& folder)
    : path_(QDir(folder.isEmpty() ? LockFolder() : folder).filePath(programName + ".lock")) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::TryLock() {
  if (IsLocked()) return true;
  auto lock = std::make_unique<QLockFile>(path_);
  // A running clock holds its lock for days: only a dead owner makes a lock stale, never age.
  lock->setStaleLockTime(0);
  // tryLock takes over a lock whose process is gone (a crashed copy).
  if (!lock->tryLock(0)) return false;
  lock_ = std::move(lock);
  return true;
}

bool SingleInstance::IsLocked() const { return lock_ && lock_->isLocked(); }
QString SingleInstance::LockPath() const { return path_; }

QString SingleInstance::SocketPath() const {
  QString socket = path_;
  socket.chop(int(qstrlen(".lock")));
  return socket + ".socket";
}

// The running copy's listening socket; its connections are children of its notifier.
class SingleInstance::Listener {
 public:
  Listener(int fd, QByteArray path, QWidget* window)
      : fd_(fd), path_(std::move(path)), target_(window), notifier_(fd, QSocketNotifier::Read) {
    QObject::connect(&notifier_, &QSocketNotifier::activated, &notifier_, [this] { Accept(); });
  }
  ~Listener() {
    qDeleteAll(notifier_.findChildren<Peer*>(Qt::FindDirectChildrenOnly));
    notifier_.setEnabled(false);
    ::close(fd_);
    ::unlink(path_.constData());  // still this copy's: the lock is released after this
  }
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

 private:
  void Accept() {
    for (;;) {
      const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd < 0) {
        if (errno == EINTR || errno == ECONNABORTED) continue;
        return;  // none waiting
      }
      ucred peer{};
      socklen_t size = sizeof peer;
      if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != ::getuid()) {
        ::close(fd);  // only the user's own copies may ask
        continue;
      }
      auto* connection = new Peer(fd, &notifier_);
      QObject::connect(connection, &QSocketNotifier::activated, connection,
                       [connection, target = target_] { connection->Read(target); });
    }
  }

  int fd_;
  QByteArray path_;
  QPointer<QWidget> target_;
  QSocketNotifier notifier_;
};

void SingleInstance::RaiseOnRequest(QWidget* window) {
  if (!IsLocked() || server_) return;
  // Where this fails, a second start says that this copy runs, as it always did.
  const auto address = AddressOf(SocketPath());
  if (!address) return;
  Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (socket.get() < 0) return;
  // Holding the lock, this copy owns the name: a socket left by a crashed copy goes.
  ::unlink(address->sun_path);
  if (::bind(socket.get(), AsAddress(*address), sizeof *address) != 0) return;
  // Only the user may connect, whichever folder holds the socket.
  if (::chmod(address->sun_path, 0600) != 0 || ::listen(socket.get(), 16) != 0) {
    ::unlink(address->sun_path);
    return;
  }
  server_ = std::make_unique<Listener>(socket.release(), QByteArray(address->sun_path), window);
}

bool SingleInstance::AskRunningCopyToRaise() const {
  const auto address = AddressOf(SocketPath());
  if (!address) return false;
  Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (socket.get() < 0) return false;
  // A copy too busy to take the connection makes connect and send wait, but no longer.
  const timeval limit{kAnswerMs / 1000, (kAnswerMs % 1000) * 1000};
  ::setsockopt(socket.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  // A socket file nobody listens on (a crashed copy's) refuses at once.
  if (::connect(socket.get(), AsAddress(*address), sizeof *address) != 0) return false;
  constexpr auto kAsk = ssize_t(sizeof kRaise - 1);
  if (::send(socket.get(), kRaise, kAsk, MSG_NOSIGNAL) != kAsk) return false;
  QByteArray answer;
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kAnswerMs);
  while (!answer.endsWith('\n') && answer.size() < kLineMax) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    pollfd wait{socket.get(), POLLIN, 0};
    const int ready = ::poll(&wait, 1, int(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    char buffer[kLineMax];
    const ssize_t n = ::recv(socket.get(), buffer, sizeof buffer, 0);
    if (n <= 0) break;  // hung up without the answer
    answer.append(buffer, n);
  }
  return answer == kRaised;
}

int SingleInstance::RefuseSecondStart() const {
  if (AskRunningCopyToRaise()) return 0;
  ShowMessage(nullptr, "既に起動されています", "2重起動ｴﾗｰ", MsgIcon::Critical);
  return 1;
}

}  // namespace v42
