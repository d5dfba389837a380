// Refuses a second running copy of a program: one lock file per program in the user's runtime
// folder. A lock left by a crashed copy is taken over, so it never blocks the next start. The
// running copy listens beside its lock, so a second start can bring its window forward
// instead of only saying that it runs.
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

class QWidget;

namespace v42 {

class SingleInstance {
 public:
  // programName names the lock ("Velkan42" → Velkan42.lock). folder: where the lock lives;
  // empty = the user's runtime folder, or a private one of the user's in the temporary folder.
  explicit SingleInstance(const QString& programName, const QString& folder = {});
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when this is the only running copy; the lock is held until destruction.
  bool TryLock();
  bool IsLocked() const;
  QString LockPath() const;
  QString SocketPath() const;

  // For the running copy, once its window is up: a second start brings this window (or the
  // dialog open over it) to the front, shown and no longer minimised.
  void RaiseOnRequest(QWidget* window);
  // For a refused copy: true when the running copy brought its window forward.
  bool AskRunningCopyToRaise() const;
  // For a refused copy: the exit code after asking the running copy to come forward, or,
  // where it cannot, after the message that a copy is already running.
  int RefuseSecondStart() const;

 private:
  QString path_;
  std::unique_ptr<QLockFile> lock_;
  class Listener;  // the running copy's socket and its open connections
  std::unique_ptr<Listener> server_;
};

// The per-user folder for locks when the session gives no runtime folder: velkan42-<uid> in
// the temporary folder, mode 0700 and owned by the user, so no other user's copy shares or
// blocks it. A folder of that name that someone else made is not used: the user's cache
// folder serves instead.
QString PrivateLockFolder();

// Shows a window that may be hidden or minimised and puts it, and any dialog open over it,
// in front.
void BringToFront(QWidget* window);

}  // namespace v42
