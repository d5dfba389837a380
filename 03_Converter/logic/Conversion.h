// Turning a folder's files from version 1 into the current formats, or back.
#pragma once

#include <filesystem>
#include <string>

namespace v42 {

// Converts in place: the timetable file's name chooses the direction ("Data00.dat" into
// velkan42.dat, "velkan42.dat" into "Data00.dat"), each output lands beside its own input,
// and the old timetable file is deleted only after every output was written completely.
// Returns the notice text. Throws FileError; any failure leaves the input files as they
// were and removes what this conversion had already written.
std::string Convert(const std::filesystem::path& timetableFile,
                    const std::filesystem::path& settingsFile);

}  // namespace v42
