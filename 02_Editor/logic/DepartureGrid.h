// The departure grid of the editor while it is being edited: its cell texts, the checks that
// OK runs on them, and how they go back into a timetable.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "Model.h"

namespace v42 {

// The texts of the grid's 24 rows × 31 columns; column 0 is the hour.
using GridTexts = std::array<std::array<std::string, kSlotCount>, kRowCount>;

inline constexpr const char* kInputErrorCaption = "入力エラー";

// The decimal text of a cell value, empty for an empty cell.
std::string CellText(std::uint8_t value);

// The value a cell text stands for: its number, or empty (255) when the text is empty.
std::uint8_t CellValue(const std::string& text);

// The texts the grid shows for a timetable.
GridTexts TextsOf(const TimetableRecord& record);

// What undo brings back in the departure editor: the grid's texts and the work record (hours,
// type letters, types, colours).
struct GridState {
  GridTexts Texts;
  TimetableRecord Work;
  bool operator==(const GridState&) const = default;
};

// The cell after (row, col) in reading order over the minute columns, or before it with
// back; nullopt past the last or before the first.
struct GridCell {
  int Row = 0;
  int Col = 0;
};
std::optional<GridCell> NextCell(int row, int col, bool back);

struct GridInputError {
  std::string Message;
  int Row = 0;
  int Col = 0;  // the cell that broke the rule
};

// What OK refuses: a hole before a minute (a row without an hour counts as a hole in column
// 0), then a minute above 59; both messages name the row's hour when it has one. nullopt when
// the texts may be stored.
std::optional<GridInputError> CheckDepartureTexts(const GridTexts& texts);

// OK of the departure editor: the work record with its title and the grid's values.
// Every row's minutes in ascending order, each keeping its type letter.
TimetableRecord CommitEdit(const TimetableRecord& work, const std::string& title,
                           const GridTexts& texts);

// The grid's texts as values of the work record, so that a dialog working on the record (the
// hour range) sees what has been typed since the window opened.
void TakeTexts(TimetableRecord& work, const GridTexts& texts);

// A row being left: its minutes go into ascending order, each keeping its type letter. A row
// with a hole stays as it is, for OK to point at. True when anything moved.
bool SortRow(GridTexts& texts, TimetableRecord& work, int row);

// A digit typed into a row that has no hour: the hours come first.
inline constexpr const char* kSetHoursFirstMessage =
    "この行には時間が設定されていません。先に「Time」で開始時間と時間数を設定してください。";

// Full-width digits (typed with the input method still on) count as their ASCII digits.
char32_t AsciiDigit(char32_t key);

// The right mouse button's cycle: none → a → b ... → z → none.
std::uint8_t NextTypeLetter(std::uint8_t letter);

// A type letter key "a".."z" as TypeLetter; 0 for anything else.
std::uint8_t TypeLetterOfKey(char32_t key);

}  // namespace v42
