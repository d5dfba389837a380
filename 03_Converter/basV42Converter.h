// Start-up of the converter: one running copy, then the window.
#pragma once

#include <QString>
#include <filesystem>

class QApplication;

namespace v42 {

inline constexpr const char* kConverterProgramName = "V42Converter";

// Refuses a second copy, otherwise shows frmV42Converter over appFolder and runs until it
// closes. Returns the exit code (1 for a refused start). lockFolder: where the
// single-instance lock lives; empty = the user's runtime folder.
int basV42Converter_Main(QApplication& app, const std::filesystem::path& appFolder,
                         const QString& lockFolder = {});

}  // namespace v42
