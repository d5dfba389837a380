// Saving velkan42.ini from the clock's settings dialogs.
#pragma once

#include <filesystem>

#include "Model.h"

class QWidget;

namespace v42 {

// Writes the settings safely. On failure the Japanese error is shown over the dialog and false
// returned, with the file as it was, so the dialog can stay open with the user's entries.
bool SaveSettings(QWidget* dialog, const IniSettings& entered,
                  const std::filesystem::path& appFolder);

}  // namespace v42
