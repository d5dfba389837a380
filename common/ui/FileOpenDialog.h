// The suite's open-file dialog: existing files only, description/pattern pairs with the first
// selected, a start folder; the full path of the chosen file or "" when cancelled.
#pragma once

#include <deque>
#include <string>
#include <vector>

class QWidget;

namespace v42 {

struct FileFilter {
  std::string Description;  // "Waveﾌｧｲﾙ(*.WAV)"
  // "*.wav" matches in any letter case (sound files come from Windows); a plain file name such
  // as "Data00.dat" matches only itself, the name the programs read and write.
  std::string Pattern;
};

// All strings UTF-8. No length limit on the path.
std::string FileOpenDialog(QWidget* owner, const std::vector<FileFilter>& filter,
                           const std::string& initialFolder);

struct FileOpenCall {
  std::vector<FileFilter> Filter;
  std::string InitialFolder;
};

// The test seam: while a name is queued, FileOpenDialog shows nothing, records its arguments
// and returns the next queued name ("" = the user cancelled).
class FileOpenDialogSeam {
 public:
  static void QueueFileName(const std::string& fullPath);
  static const std::vector<FileOpenCall>& Calls();
  static void Reset();  // forgets queued names and recorded calls
};

// The Qt name filter for one pair, e.g. "Waveﾌｧｲﾙ(*.WAV) (*.[wW][aA][vV])"; a plain name stays
// as it is and "*.*" becomes "*".
std::string QtNameFilter(const FileFilter& filter);

}  // namespace v42
