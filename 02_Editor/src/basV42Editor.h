// The editor's start-up: one running copy at most, then the list window.
#pragma once

#include <filesystem>
#include <memory>

namespace v42 {

class frmV42Editor;
class SingleInstance;
struct EditorContext;

struct EditorProgram {
  EditorProgram();
  EditorProgram(EditorProgram&&) noexcept;
  EditorProgram& operator=(EditorProgram&&) noexcept;
  ~EditorProgram();
  std::unique_ptr<SingleInstance> Guard;
  std::unique_ptr<EditorContext> Context;
  std::unique_ptr<frmV42Editor> Window;  // null when the program is to end
  int ExitCode = 1;                      // without a window: 0 for a start the user ended
};

// Refuses a second copy (bringing the running one forward), offers a first start when appFolder
// holds no timetable yet, loads the timetables of appFolder and shows the list window. lockFolder:
// where the single-instance lock lives (empty = the user's runtime folder). import: the GTFS import
// opens at once, without the offer; with no timetable yet the list starts empty (the clock's first
// start asks for this).
EditorProgram basV42Editor(const std::filesystem::path& appFolder,
                           const std::filesystem::path& lockFolder = {}, bool import = false);

// Once the editor's window has closed: when the clock's first start handed over to the editor
// (thenClock) and a timetable was saved since, starts the clock found in executableFolder, so
// the user need not look for it. True when the clock was started.
bool ReturnToClock(const EditorProgram& program, bool thenClock,
                   const std::filesystem::path& executableFolder);

}  // namespace v42
