#include "DepartureGrid.h"

namespace v42 {

namespace {
constexpr int kLastMinute = 59;
constexpr std::uint8_t kFirstLetter = 'a';
constexpr std::uint8_t kLastLetter = 'z';
constexpr const char* kLeftPackMessage = "分データの入力は、左詰にしてください。";
}  // namespace

std::string CellText(std::uint8_t value) {
  return value == kEmptyValue ? std::string() : std::to_string(value);
}

std::uint8_t CellValue(const std::string& text) {
  if (text.empty()) return kEmptyValue;
  // The grid only ever holds what its two-digit box or the file put there; anything beyond a
  // byte is clamped rather than wrapped so that it can never turn into a valid minute.
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value >= kEmptyValue) return kEmptyValue - 1;
  }
  return static_cast<std::uint8_t>(value);
}

GridTexts TextsOf(const TimetableRecord& record) {
  GridTexts texts;
  for (int r = 0; r < kRowCount; ++r)
    for (int s = 0; s < kSlotCount; ++s) texts[r][s] = CellText(record.Departures[r][s].Value);
  return texts;
}

std::optional<GridCell> NextCell(int row, int col, bool back) {
  col += back ? -1 : 1;
  if (col >= kSlotCount) {
    ++row;
    col = 1;
  } else if (col < 1) {
    --row;
    col = kSlotCount - 1;
  }
  if (row < 0 || row >= kRowCount) return std::nullopt;
  return GridCell{row, col};
}

std::optional<GridInputError> CheckDepartureTexts(const GridTexts& texts) {
  for (int r = 0; r < kRowCount; ++r)
    for (int c = 1; c < kSlotCount; ++c)
      if (texts[r][c - 1].empty() && !texts[r][c].empty()) {
        // A row without an hour has none to name; its empty hour cell shows the fault.
        const std::string& hour = texts[r][0];
        return GridInputError{
            hour.empty() ? std::string(kSetHoursFirstMessage) : hour + "時の" + kLeftPackMessage, r,
            c};
      }
  for (int r = 0; r < kRowCount; ++r)
    for (int c = 1; c < kSlotCount; ++c)
      if (!texts[r][c].empty() && CellValue(texts[r][c]) > kLastMinute)
        return GridInputError{
            texts[r][0] + "時の分データ「" + texts[r][c] + "」は、0～59の範囲で入力してください。",
            r, c};
  return std::nullopt;
}

TimetableRecord CommitEdit(const TimetableRecord& work, const std::string& title,
                           const GridTexts& texts) {
  TimetableRecord record = work;
  record.Title = title;
  TakeTexts(record, texts);
  for (int r = 0; r < kRowCount; ++r) SortDepartures(record.Departures[r]);
  return record;
}

void TakeTexts(TimetableRecord& work, const GridTexts& texts) {
  for (int r = 0; r < kRowCount; ++r)
    for (int s = 0; s < kSlotCount; ++s) work.Departures[r][s].Value = CellValue(texts[r][s]);
}

bool SortRow(GridTexts& texts, TimetableRecord& work, int row) {
  if (row < 0 || row >= kRowCount) return false;
  DepartureRow cells = work.Departures[row];
  bool gap = false;
  for (int s = 1; s < kSlotCount; ++s) {
    cells[s].Value = CellValue(texts[row][s]);
    if (texts[row][s].empty())
      gap = true;
    else if (gap)
      return false;
  }
  SortDepartures(cells);
  bool moved = false;
  for (int s = 1; s < kSlotCount; ++s) {
    const std::string text = CellText(cells[s].Value);
    // A text the value does not give back ("05") keeps its place unless its row moves.
    if (CellValue(texts[row][s]) == cells[s].Value &&
        work.Departures[row][s].TypeLetter == cells[s].TypeLetter)
      continue;
    texts[row][s] = text;
    work.Departures[row][s].TypeLetter = cells[s].TypeLetter;
    moved = true;
  }
  return moved;
}

char32_t AsciiDigit(char32_t key) {
  constexpr char32_t kFullZero = U'\uFF10', kFullNine = U'\uFF19';
  return key >= kFullZero && key <= kFullNine ? U'0' + (key - kFullZero) : key;
}

std::uint8_t NextTypeLetter(std::uint8_t letter) {
  if (letter == kLastLetter) return 0;
  if (letter >= kFirstLetter && letter < kLastLetter) return letter + 1;
  return kFirstLetter;
}

std::uint8_t TypeLetterOfKey(char32_t key) {
  return key >= kFirstLetter && key <= kLastLetter ? static_cast<std::uint8_t>(key) : 0;
}

}  // namespace v42
