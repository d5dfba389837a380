// Tells the clock when another program (the editor, the importer) has saved velkan42.dat or
// velkan42.ini in the files' folder.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <filesystem>

namespace v42 {

class SaveWatcher : public QObject {
  Q_OBJECT

 public:
  explicit SaveWatcher(const std::filesystem::path& folder, QObject* parent = nullptr);

 signals:
  // Once the folder has been quiet for a moment after a change.
  void Saved();

 private:
  QFileSystemWatcher watcher_;
  QTimer settle_;
};

}  // namespace v42
