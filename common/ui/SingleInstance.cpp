#include "SingleInstance.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <QWidget>

#include "MessageBox.h"

namespace v42 {

namespace {

constexpr char kRaise[] = "raise\n";
constexpr char kRaised[] = "raised\n";
constexpr int kAnswerMs = 3000;  // the running copy answers from its event loop

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

void SingleInstance::RaiseOnRequest(QWidget* window) {
  if (!IsLocked() || server_) return;
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  // Holding the lock, this copy owns the name: a socket left by a crashed copy goes.
  QLocalServer::removeServer(SocketPath());
  if (!server_->listen(SocketPath())) {
    server_.reset();  // a second start then says that this copy runs, as it always did
    return;
  }
  QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(),
                   [server = server_.get(), target = QPointer<QWidget>(window)] {
                     while (QLocalSocket* socket = server->nextPendingConnection()) {
                       QObject::connect(socket, &QLocalSocket::disconnected, socket,
                                        &QObject::deleteLater);
                       const auto answer = [socket, target] {
                         if (!socket->canReadLine()) return;
                         if (socket->readLine() != kRaise || !target) return;
                         BringToFront(target);
                         socket->write(kRaised);
                         socket->flush();
                       };
                       QObject::connect(socket, &QLocalSocket::readyRead, socket, answer);
                       answer();  // the request may be in already
                     }
                   });
}

bool SingleInstance::AskRunningCopyToRaise() const {
  QLocalSocket socket;
  socket.connectToServer(SocketPath());
  if (!socket.waitForConnected(kAnswerMs)) return false;
  socket.write(kRaise);
  if (!socket.waitForBytesWritten(kAnswerMs)) return false;
  QByteArray answer;
  while (!answer.endsWith('\n') && socket.waitForReadyRead(kAnswerMs)) answer += socket.readAll();
  return answer == kRaised;
}

int SingleInstance::RefuseSecondStart() const {
  if (AskRunningCopyToRaise()) return 0;
  ShowMessage(nullptr, "既に起動されています", "2重起動ｴﾗｰ", MsgIcon::Critical);
  return 1;
}

}  // namespace v42
