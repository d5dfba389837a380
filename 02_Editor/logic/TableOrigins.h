// Where the timetables of velkan42.dat went in the editor's list. The clock's day timetables
// are numbers into the file's list (velkan42.ini), so they must follow their timetables when
// the list is saved in a new order.
#pragma once

#include <array>
#include <filesystem>

#include "Model.h"

namespace v42 {

class TableOrigins {
 public:
  TableOrigins() { Reset(0); }

  // The list as the file holds it: entry i is the file's timetable i.
  void Reset(int count);
  // Each follows the list operation of the same effect.
  void Swap(int a, int b);
  void Erase(int at);   // the later entries move up
  void Insert(int at);  // a timetable the file does not hold; the later entries move down

  // The entry of a list of count entries that holds the file's timetable saved; -1 when it
  // was deleted or the file never had it.
  int Current(int saved, int count) const;

  bool operator==(const TableOrigins&) const = default;

 private:
  std::array<int, kTimetableCount> from_{};  // -1: not from the file
};

// Call once velkan42.dat holds the list of count entries. While the day choice is on, the
// three day table numbers of appFolder/velkan42.ini are rewritten to name the same timetables
// as before (none for a deleted one), every other setting as read; then the saved list is the
// new starting point. A missing or unreadable settings file, or the day choice off, leaves the
// file untouched. Throws FileError when the settings cannot be written; the origins are kept
// then, as the file's numbers still refer to the old order, so the next save tries again.
void FollowDayTables(TableOrigins& origins, int count, const std::filesystem::path& appFolder);

}  // namespace v42
