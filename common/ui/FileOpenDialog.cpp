#include "FileOpenDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QStringList>
#include <deque>

namespace v42 {

namespace {
struct SeamState {
  std::deque<std::string> Names;
  std::vector<FileOpenCall> Calls;
};
SeamState& Seam() {
  static SeamState state;
  return state;
}
}  // namespace

std::string QtNameFilter(const FileFilter& filter) {
  // "*.*" means every file there, also one without a dot; Qt would want the dot.
  if (filter.Pattern == "*.*") return filter.Description + " (*)";
  // A plain file name is the one name the programs read and write on this case-sensitive
  // system, so a file of that name in another letter case would only be refused later.
  if (filter.Pattern.find_first_of("*?") == std::string::npos) {
    return filter.Description + " (" + filter.Pattern + ")";
  }
  // Sound files come from Windows, where names match in any letter case.
  QString pattern;
  for (const QChar ch : QString::fromStdString(filter.Pattern)) {
    if (ch.isLetter() && ch.toLower() != ch.toUpper()) {
      pattern += QLatin1Char('[') + ch.toLower() + ch.toUpper() + QLatin1Char(']');
    } else {
      pattern += ch;
    }
  }
  return filter.Description + " (" + pattern.toStdString() + ")";
}

std::string FileOpenDialog(QWidget* owner, const std::vector<FileFilter>& filter,
                           const std::string& initialFolder) {
  SeamState& seam = Seam();
  if (!seam.Names.empty()) {
    seam.Calls.push_back({filter, initialFolder});
    std::string name = std::move(seam.Names.front());
    seam.Names.pop_front();
    return name;
  }
  QFileDialog dialog(owner);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  // Qt's own dialog ignores letter case unless told; the patterns above say where it matters.
  dialog.setFilter(dialog.filter() | QDir::CaseSensitive);
  QStringList filters;
  for (const FileFilter& f : filter) filters << QString::fromStdString(QtNameFilter(f));
  dialog.setNameFilters(filters);
  if (!filters.isEmpty()) dialog.selectNameFilter(filters.front());
  dialog.setDirectory(QString::fromStdString(initialFolder));
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList chosen = dialog.selectedFiles();
  return chosen.isEmpty() ? std::string() : chosen.front().toStdString();
}

void FileOpenDialogSeam::QueueFileName(const std::string& fullPath) {
  Seam().Names.push_back(fullPath);
}
const std::vector<FileOpenCall>& FileOpenDialogSeam::Calls() { return Seam().Calls; }
void FileOpenDialogSeam::Reset() { Seam() = SeamState{}; }

}  // namespace v42
