// The timetable list of the editor: what its buttons do to the store, and which are enabled.
#pragma once

#include <array>
#include <string>

#include "Model.h"
#include "TableOrigins.h"

namespace v42 {

// The title a freshly added timetable gets.
inline constexpr const char* kNewTitle = "新規データ";

// What every free slot of the store holds: no title, no departures, the reader's defaults.
TimetableRecord EmptyRecord();

// "ALL DELETE": every timetable goes, Count becomes 0.
void AllDelete(TimetableStore& store);

// "DELETE": removes timetable sel; the ones after it move up and slot 8 becomes free.
// An index outside the list changes nothing.
void DeleteAt(TimetableStore& store, int sel);

// "ADD NEW": gives the next free slot the new title. False (nothing changes) when full.
bool AddNew(TimetableStore& store);

// "▲" / "▼": swaps timetable sel with its neighbour and returns the index that the selection
// follows to; an impossible move returns sel unchanged.
int MoveUp(TimetableStore& store, int sel);
int MoveDown(TimetableStore& store, int sel);

// What undo brings back in the list window: the timetables and where each came from.
struct ListState {
  std::array<TimetableRecord, kTimetableCount> Records{};
  int Count = 0;
  TableOrigins Origins;
  bool operator==(const ListState&) const = default;
};

// The questions before deleting, naming what goes.
std::string DeleteQuestion(const TimetableStore& store, int sel);
std::string AllDeleteQuestion(const TimetableStore& store);

// Indexes of the list window's buttons.
enum ListButton { kAllDelete = 0, kDelete = 1, kAddNew = 2, kEdit = 3, kUp = 4, kDown = 5 };

// Enabled state of the six buttons for n entries with entry sel selected (-1 = none).
std::array<bool, 6> ButtonStates(int n, int sel);

}  // namespace v42
