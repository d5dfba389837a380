// What every fuzz target shares: the input as a file in a folder of its own, and round-trip
// failures reported as findings.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "DataFormat.h"
#include "Model.h"
#include "SafeFile.h"
#include "TextCodec.h"

namespace v42::fuzz {

// A folder of this process under TMPDIR (scripts/fuzz.sh points it at memory, as every save
// flushes to disk), removed when the process ends normally.
inline const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("v42fuzz." + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(Folder(), ec);
    });
    return path;
  }();
  return folder;
}

inline void WriteInput(const std::filesystem::path& file, const std::uint8_t* data,
                       std::size_t size) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// A finding that is no crash: libFuzzer keeps the input that caused the abort.
[[noreturn]] inline void Finding(const std::string& what) {
  std::fprintf(stderr, "finding: %s\n", what.c_str());
  std::abort();
}

// `step` of what a reader accepted must not fail: a write error would leave a user with a file
// that opens but can never be saved again, a read error with a file the program itself wrote
// and cannot open.
template <typename Step>
void MustSucceed(const std::string& step, Step run) {
  try {
    run();
  } catch (const FileError& e) {
    Finding(step + " failed: " + e.what());
  }
}

// What no file can hold, though a damaged file can leave it after a read: a type letter on an
// empty cell, cells after an empty cell of a row, rows after an empty row. The writer leaves
// empty cells out, so it closes such gaps up.
inline bool HoldsWhatNoFileCan(const TimetableStore& store) {
  for (int t = 0; t < store.Count; ++t) {
    bool emptyRow = false;
    for (const DepartureRow& row : store.Records[t].Departures) {
      const bool empty = row[0].Value == kEmptyValue;
      if (emptyRow && !empty) return true;
      emptyRow = empty;
      for (int s = 0; s < kSlotCount; ++s) {
        if (row[s].Value == kEmptyValue && row[s].TypeLetter != 0) return true;
        if (s > 0 && row[s - 1].Value == kEmptyValue && row[s].Value != kEmptyValue) return true;
      }
    }
  }
  return false;
}

// The timetables in use; records beyond Count are in no file, and the maxima are what a read
// met (a block without its end line raises none).
inline bool SameTimetables(const TimetableStore& a, const TimetableStore& b) {
  if (a.Count != b.Count) return false;
  for (int t = 0; t < a.Count; ++t) {
    if (!(a.Records[t] == b.Records[t])) return false;
  }
  return true;
}

// Titles and type names a file can hold; a damaged file can bring in others (a lone LF, say),
// which the user is told about and can correct before saving.
inline bool TextsStorable(const TimetableStore& store) {
  for (int t = 0; t < store.Count; ++t) {
    if (!IsStorableFieldText(store.Records[t].Title)) return false;
    for (const TypeEntry& type : store.Records[t].Types) {
      if (!IsStorableFieldText(type.Name)) return false;
    }
  }
  return true;
}

// CP932 bytes that the current files' readers take for UTF-8, as a whole file or as one line
// of velkan42.ini. A few runs of CP932 text (a rarer kanji before a half-width katakana, say)
// are also valid UTF-8 Japanese; no reader can tell the two apart, and files saved as UTF-8 by
// a text editor are read, so such a file reads back as the UTF-8 it also is. The round trips
// hold for every other file.
inline bool MistakableForUtf8(std::string_view written) {
  if (DetectEncoding(written) == FileEncoding::Utf8) return true;
  while (!written.empty()) {
    const std::size_t end = written.find('\n');
    if (DetectEncoding(written.substr(0, end)) == FileEncoding::Utf8) return true;
    written.remove_prefix(end == std::string_view::npos ? written.size() : end + 1);
  }
  return false;
}

// The round trip of a timetable file: what `read` accepts, `write` saves to `file`, and that
// reads back the same timetables (unless the input left what no file holds, or the reader may
// take the written bytes for UTF-8) and writes the same bytes again.
template <typename Read, typename Write>
void TimetableRoundTrip(const std::string& name, const std::filesystem::path& file, Read read,
                        Write write) {
  TimetableStore first;
  try {
    read(first);
  } catch (const FileError&) {
    return;  // refused with a message, as it should be
  }
  if (!TextsStorable(first)) {
    try {
      write(first);
    } catch (const FileError&) {
      return;  // the save names the text that cannot be stored
    }
  }
  MustSucceed("writing " + name, [&] { write(first); });
  const std::string written = ReadFileBytes(file);
  if (MistakableForUtf8(written)) return;
  TimetableStore second;
  MustSucceed("reading the written " + name, [&] { read(second); });
  if (!HoldsWhatNoFileCan(first) && !SameTimetables(first, second)) {
    Finding(name + " does not read back the same");
  }
  MustSucceed("writing " + name + " again", [&] { write(second); });
  if (ReadFileBytes(file) != written) Finding(name + " is not written back the same");
}

}  // namespace v42::fuzz
