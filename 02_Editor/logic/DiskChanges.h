// What another program did to velkan42.dat while the editor had it open, and the editor's
// own copy of unsaved work that survives its end.
#pragma once

#include <filesystem>
#include <string>

#include "Model.h"

namespace v42 {

// The data file's bytes as the editor last read or saved them.
struct DiskSnapshot {
  bool Exists = false;
  std::string Bytes;
  bool operator==(const DiskSnapshot&) const = default;
};

// Throws FileError when the file is there but cannot be read.
DiskSnapshot TakeSnapshot(const std::filesystem::path& appFolder);

enum class DiskChange {
  None,      // the file is as the editor read it
  Appended,  // it holds what the editor read, then more timetables (an import)
  Other,     // anything else: reordered, edited, removed or damaged
};

struct DiskComparison {
  DiskChange Change = DiskChange::None;
  DiskSnapshot Now;
  bool Readable = false;  // Now exists and OnDisk holds it
  TimetableStore OnDisk;
  int Appended = 0;  // with Appended: the timetables after the read ones
};

// read: the store as parsed from `then`. Reads the file once; never throws: a file that cannot
// be read now is a change the user has to decide on.
DiskComparison CompareWithDisk(const DiskSnapshot& then, const TimetableStore& read,
                               const std::filesystem::path& appFolder);

// Unsaved edits, kept beside the data file in its own format under a name no program reads.
inline constexpr const char* kRecoveryFileName = ".velkan42.recovery.dat";
// Throws FileError when it cannot be written.
void WriteRecovery(const TimetableStore& store, const std::filesystem::path& appFolder);
// False when there is none or it cannot be read; the store is unchanged then.
bool ReadRecovery(TimetableStore& store, const std::filesystem::path& appFolder);
void RemoveRecovery(const std::filesystem::path& appFolder);

}  // namespace v42
