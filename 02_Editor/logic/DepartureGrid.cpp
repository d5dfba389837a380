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

std::optional<GridInputError> CheckDepartureTexts(const GridTexts& texts) {
  for (int r = 0; r < kRowCount; ++r)
    for (int c = 1; c < kSlotCount; ++c)
      if (texts[r][c - 1].empty() && !texts[r][c].empty()) {
        // A row without an hour has none to name; its empty hour cell shows the fault.
        const std::string& hour = texts[r][0];
        return GridInputError{
            hour.empty() ? std::string(kLeftPackMessage) : hour + "時の" + kLeftPackMessage, r, c};
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
  for (int r = 0; r < kRowCount; ++r)
    for (int s = 0; s < kSlotCount; ++s) record.Departures[r][s].Value = CellValue(texts[r][s]);
  return record;
}

void ApplyHours(GridTexts& texts, TimetableRecord& work) {
  for (int r = 0; r < kRowCount; ++r) {
    const std::uint8_t hour = work.Departures[r][0].Value;
    if (hour == kEmptyValue) {
      // Nothing of a row that left the range stays, not even an unseen type on an empty cell.
      for (auto& text : texts[r]) text.clear();
      for (auto& cell : work.Departures[r]) cell.TypeLetter = 0;
    } else {
      texts[r][0] = CellText(hour);
    }
  }
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
