#include "SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace v42 {

namespace {
QString LockFolder() {
  // Without XDG_RUNTIME_DIR Qt would warn and invent a folder; the temporary folder serves.
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return QDir::tempPath();
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) folder = QDir::tempPath();
  QDir().mkpath(folder);
  return folder;
}
}  // namespace

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

}  // namespace v42
