// Starting the clock when the user logs in: an XDG autostart entry in the user's config folder.
// The entry itself is the setting, so switching it off in the desktop's own session settings
// (which hide or delete the entry) shows in the clock's dialog too.
#pragma once

#include <filesystem>
#include <string>

namespace v42 {

// The clock's desktop entry as installed, without ".desktop", which is also its icon's name:
// the autostart entry, the notifications and the window are all matched to the clock by it.
inline constexpr const char* kClockDesktopId = "io.github.velkan42.Velkan42";

// $XDG_CONFIG_HOME/autostart/io.github.velkan42.Velkan42.desktop, with ~/.config when the
// variable is unset or not an absolute path; empty when there is no home either.
std::filesystem::path AutostartFile();

// The entry that starts `executable` at login. Throws FileError for a path that cannot stand in
// a desktop entry (a line break in it).
std::string AutostartEntry(const std::filesystem::path& executable);

// True when the entry is there and not hidden.
bool StartsAtLogin();

// Writes the entry for `executable`, or removes it. Throws FileError.
void SetStartAtLogin(bool on, const std::filesystem::path& executable);

}  // namespace v42
