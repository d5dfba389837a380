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
TimetableRecord CommitEdit(const TimetableRecord& work, const std::string& title,
                           const GridTexts& texts);

// After the hour range dialog: rows without an hour lose all their texts and type letters,
// the others show their hour; minutes stay in their rows.
void ApplyHours(GridTexts& texts, TimetableRecord& work);

// The right mouse button's cycle: none → a → b ... → z → none.
std::uint8_t NextTypeLetter(std::uint8_t letter);

// A type letter key "a".."z" as TypeLetter; 0 for anything else.
std::uint8_t TypeLetterOfKey(char32_t key);

}  // namespace v42
