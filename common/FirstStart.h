// The files a first start can begin from, when the files' folder holds no timetable yet.
#pragma once

#include <filesystem>

namespace v42 {

// The folder of the sample timetable that comes with the programs: share/velkan42 beside
// the executable's bin folder (installed, and in the build tree), else examples/ beside the
// executable (a portable copy); empty when neither holds velkan42.dat.
std::filesystem::path SampleFolder(const std::filesystem::path& executableFolder);

// True when nothing at all is at appFolder/velkan42.dat: a file that is there, damaged or
// unreadable, is the reader's to report and never replaced.
bool NeedsFirstStart(const std::filesystem::path& appFolder);

// Writes the sample's timetables as appFolder's velkan42.dat. Throws FileError.
void StartFromSample(const std::filesystem::path& sampleFolder,
                     const std::filesystem::path& appFolder);

// Writes a velkan42.dat of one empty timetable, named as the editor names a new one, so the
// editor has an entry to open. Throws FileError.
void StartEmpty(const std::filesystem::path& appFolder);

}  // namespace v42
