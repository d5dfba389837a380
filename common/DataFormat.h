// Pieces of the timetable text format shared by the current and the version 1 files.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "Model.h"

namespace v42 {

inline constexpr const char* kCrLf = "\r\n";

// One cell token such as "10a": leading number as Value, a last letter a..z as TypeLetter.
// nullopt when the value is outside 0..255 or the token ends in a double-byte character
// (half-width katakana are single bytes in CP932 and simply give no letter).
std::optional<DepartureCell> ParseCell(std::string_view token);

// The departure blocks (title line, row lines, "<") of timetables 0..Count-1, UTF-8, CR LF.
std::string FormatDepartureBlocks(const TimetableStore& store);

// Sets every cell of all nine records to empty, leaving everything else as it is.
void ClearDepartures(TimetableStore& store);

// A format's words for a type's font style: normal, bold, italic, bold and italic.
using StyleWords = std::array<std::string_view, 4>;
inline constexpr StyleWords kStyleWords{"Normal", "Bold  ", "Italic", "B + I "};
// Sets Bold and Italic from one of the words; any other word changes neither.
void ApplyStyleWord(TypeEntry& type, std::string_view word, const StyleWords& words);
std::string_view StyleWordOf(const TypeEntry& type, const StyleWords& words);

// For input boxes of titles and type names: false when the text holds ">", "<", ",", a line
// break or a character CP932 cannot hold, none of which the file can carry in a field.
bool IsStorableFieldText(std::string_view utf8);

// Throws FileError (nothing written) when a title or type name of timetables 0..Count-1
// cannot be stored; fileName goes into the message.
void CheckFieldTexts(const TimetableStore& store, std::string_view fileName);

}  // namespace v42

namespace v42 {

// "<name>が見つかりません。" / "ファイル存在エラー".
FileError MissingFileError(std::string_view fileName);
// "<name>のファイル形式が不正です。" / "ファイル形式エラー".
FileError FormatError(std::string_view fileName);
// The same, with a second line saying what is wrong, for the user to find it in the file.
FileError DamagedFileError(std::string_view fileName, std::string_view reason);

}  // namespace v42
