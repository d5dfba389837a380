// Where the timetables of velkan42.dat went in the editor's list. The clock's day timetables
// are numbers into the file's list (velkan42.ini), so they must follow their timetables when
// the list is saved in a new order.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "FeedRecord.h"
#include "Holidays.h"
#include "Model.h"

namespace v42 {

class TableOrigins {
 public:
  TableOrigins() { Reset(0); }

  // The list as the file holds it: entry i is the file's timetable i.
  void Reset(int count);
  // Each follows the list operation of the same effect.
  void Swap(int a, int b);
  void Erase(int at);             // the later entries move up
  void Insert(int at);            // a timetable the file does not hold; the later entries move down
  void Adopt(int at, int saved);  // entry at holds the file's timetable saved
  // Tags entry at, which the file does not hold yet, so that Current(tag) finds it later;
  // tags are kTimetableCount or more.
  void Mark(int at, int tag);

  // The entry of a list of count entries that holds the file's timetable saved; -1 when it
  // was deleted or the file never had it.
  int Current(int saved, int count) const;

  // An imported timetable meant to run on a kind of day once saved; the mark moves with it.
  void MarkDayKind(int at, DayKind kind);
  // The entry marked for the kind, or -1.
  int Marked(DayKind kind, int count) const;
  // The start of the service day those timetables need, set with them.
  std::optional<int> DayStartHour;

  bool operator==(const TableOrigins&) const = default;

 private:
  std::array<int, kTimetableCount> from_{};           // -1: not from the file
  std::array<std::uint8_t, kTimetableCount> days_{};  // bit per DayKind
};

// Call once velkan42.dat holds the list of count entries. While the day choice is on, the
// three day table numbers of appFolder/velkan42.ini are rewritten to name the same timetables
// as before (none for a deleted one), every other setting as read; then the saved list is the
// new starting point. A missing or unreadable settings file, or the day choice off, leaves the
// file untouched, except that marked kinds are set (in a new file when there is none, never
// over an unreadable one). Throws FileError when the settings cannot be written; the origins are
// kept then, as the file's numbers still refer to the old order, so the next save tries again.
void FollowDayTables(TableOrigins& origins, int count, const std::filesystem::path& appFolder);

// A timetable imported in the editor but not saved yet: where its feed came from, found in the
// list by its tag.
struct PendingFeed {
  int Tag = 0;
  feeds::FeedEntry Entry;
};

// Call once velkan42.dat holds the list of count entries, before FollowDayTables: the source
// record follows its timetables (a deleted one's entry goes) and remembers the pending imports
// that were saved, which are then no longer pending. Throws FileError for a record that cannot
// be read or written; it is left as it was.
void FollowFeedRecord(const TableOrigins& origins, std::vector<PendingFeed>& pending, int count,
                      const std::filesystem::path& appFolder);

}  // namespace v42
