// What the clock and the editor offer when the files' folder holds no timetable yet, instead
// of ending on a missing file.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace v42 {

// What the program does once the choice is made: go on with velkan42.dat as it is, go on with
// an empty timetable (the editor is needed before anything else), open the editor's GTFS
// import on no file yet (the editor's first save makes it), or end.
enum class FirstStart { Ready, ReadyEmpty, Import, Quit };

struct StartOption {
  std::string Label;  // its button
  // Makes appFolder/velkan42.dat, or nothing when the program makes it later; false when the
  // user turned back on the way. Throws FileError.
  std::function<bool(QWidget* parent, const std::filesystem::path& appFolder)> Make;
  FirstStart Then = FirstStart::Ready;
};

// The ways to begin, in the order offered; the sample only when there is one.
std::vector<StartOption> StartOptions(const std::filesystem::path& sampleFolder);

// Ready at once when appFolder has something at velkan42.dat (a damaged file is the reader's
// to report). Otherwise asks which option to begin from, with "終了" last, and makes that
// file; a choice that fails says why and asks again.
FirstStart OfferFirstStart(QWidget* parent, const std::filesystem::path& appFolder,
                           const std::vector<StartOption>& options);

}  // namespace v42
