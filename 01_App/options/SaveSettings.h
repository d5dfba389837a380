// Saving velkan42.ini from the clock's settings dialogs.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "Model.h"

class QWidget;

namespace v42 {

// Writes the settings a dialog owns, set by `enter`, over what velkan42.ini holds now, so that
// keys another program changed since the clock read the file (the editor renumbers the day
// timetables when it moves timetables) are kept rather than written back stale. Without a
// readable file the clock's own settings stand in for it. On success `settings` becomes what
// was written; on failure the Japanese error is shown over the dialog and false returned, with
// the file and `settings` as they were, so the dialog can stay open with the user's entries.
// The read, the change and the write hold the files' lock, so no other program's save falls
// between them. refusal, when given, runs under the lock before anything is read: a non-empty
// answer is shown (as information, under the dialog's title) and nothing is written.
bool SaveSettings(QWidget* dialog, const std::function<void(IniSettings&)>& enter,
                  IniSettings& settings, const std::filesystem::path& appFolder,
                  const std::function<std::string()>& refusal = {});

// True when velkan42.dat lists the timetables of `shown` (their titles, in the same order).
bool SameTimetableList(const TimetableStore& shown, const std::filesystem::path& appFolder);

}  // namespace v42
