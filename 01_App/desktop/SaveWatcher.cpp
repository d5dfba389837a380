#include "SaveWatcher.h"

#include <QString>

namespace v42 {

namespace {
// A save writes a temporary file and renames it over the old one, and the editor saves both
// files at once: one signal after the burst, not one per step.
constexpr int kSettleMs = 300;
}  // namespace

SaveWatcher::SaveWatcher(const std::filesystem::path& folder, QObject* parent) : QObject(parent) {
  setObjectName("SaveWatcher");
  // The folder, not the files: a file watch ends when a save renames another file over it.
  watcher_.addPath(QString::fromStdString(folder.string()));
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMs);
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_, qOverload<>(&QTimer::start));
  connect(&settle_, &QTimer::timeout, this, &SaveWatcher::Saved);
}

}  // namespace v42
