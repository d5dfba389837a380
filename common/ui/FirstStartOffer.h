// What the clock and the editor offer when the files' folder holds no timetable yet, instead
// of ending on a missing file.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace v42 {

struct StartOption {
  std::string Label;  // its button
  // Makes appFolder/velkan42.dat; false when the user turned back on the way. Throws FileError.
  std::function<bool(QWidget* parent, const std::filesystem::path& appFolder)> Make;
  bool Empty = false;  // the timetable begins empty: it needs the editor before anything else
};

// The ways to begin, in the order offered; the sample only when there is one. A further way
// (such as an import) is one more entry here.
std::vector<StartOption> StartOptions(const std::filesystem::path& sampleFolder);

enum class FirstStart { Ready, ReadyEmpty, Quit };

// Ready at once when appFolder has something at velkan42.dat (a damaged file is the reader's
// to report). Otherwise asks which option to begin from, with "終了" last, and makes that
// file; a choice that fails says why and asks again.
FirstStart OfferFirstStart(QWidget* parent, const std::filesystem::path& appFolder,
                           const std::vector<StartOption>& options);

}  // namespace v42
