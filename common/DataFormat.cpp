#include "DataFormat.h"

namespace v42 {

std::optional<DepartureCell> ParseCell(std::string_view) { return std::nullopt; }
std::string FormatDepartureBlocks(const TimetableStore&) { return {}; }
void ClearDepartures(TimetableStore&) {}
FileError MissingFileError(std::string_view fileName) {
  return FileError(std::string(fileName) + "が見つかりません。", "ファイル存在エラー");
}
FileError FormatError(std::string_view fileName) {
  return FileError(std::string(fileName) + "のファイル形式が不正です。", "ファイル形式エラー");
}

}  // namespace v42
