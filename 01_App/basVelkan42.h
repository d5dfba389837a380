// Start-up of the clock: one running copy, the program's context, the main window.
#pragma once

#include <filesystem>

#include "Model.h"

class QApplication;
class QIcon;

namespace v42 {

// What the clock owns from start to exit, handed to its windows by reference.
struct ClockContext {
  TimetableStore Store;
  IniSettings Settings;
  std::filesystem::path AppFolder;
};

inline constexpr const char* kProgramName = "Velkan42";

// The program's icon: the SVG where Qt can draw SVG (libqt6svg6), else its 64-pixel picture.
QIcon AppIcon();

// Refuses a second copy, offers a first start when appFolder holds no timetable yet, loads
// the main window from appFolder and runs until it closes. Returns the exit code; a refused
// start or a bad data file returns 1 without a window, a first start the user quits 0.
int basVelkan42_Main(QApplication& app, const std::filesystem::path& appFolder);

}  // namespace v42
