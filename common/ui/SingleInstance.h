// Refuses a second running copy of a program: one lock file per program in the user's runtime
// folder. A lock left by a crashed copy is taken over, so it never blocks the next start.
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace v42 {

class SingleInstance {
 public:
  // programName names the lock ("Velkan42" → Velkan42.lock). folder: where the lock lives;
  // empty = the runtime folder (the temporary folder when there is none).
  explicit SingleInstance(const QString& programName, const QString& folder = {});
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when this is the only running copy; the lock is held until destruction.
  bool TryLock();
  bool IsLocked() const;
  QString LockPath() const;

 private:
  QString path_;
  std::unique_ptr<QLockFile> lock_;
};

}  // namespace v42
