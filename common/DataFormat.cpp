#include "DataFormat.h"

#include "NumberRules.h"
#include "SafeFile.h"
#include "TextCodec.h"

namespace v42 {

namespace {

bool IsTypeLetter(unsigned int code) { return code >= 'a' && code <= 'z'; }

std::string_view LastChar(std::string_view text) {
  std::size_t pos = 0;
  std::string_view last;
  for (auto ch = NextUtf8Char(text, pos); !ch.empty(); ch = NextUtf8Char(text, pos)) last = ch;
  return last;
}

}  // namespace

std::optional<DepartureCell> ParseCell(std::string_view token) {
  const auto value = RoundToByte(LeadingNumber(token));
  if (!value) return std::nullopt;
  DepartureCell cell;
  cell.Value = *value;
  const std::string_view last = LastChar(token);
  if (IsDoubleByteChar(last)) return std::nullopt;
  if (last.size() == 1 && IsTypeLetter(static_cast<unsigned char>(last[0]))) {
    cell.TypeLetter = static_cast<std::uint8_t>(last[0]);
  }
  return cell;
}

std::string FormatDepartureBlocks(const TimetableStore& store) {
  std::string text;
  for (int t = 0; t < store.Count && t < kTimetableCount; ++t) {
    const TimetableRecord& record = store.Records[t];
    text += record.Title + ">" + kCrLf;
    for (const DepartureRow& row : record.Departures) {
      // One line per row, whatever gaps it has: a file read in can leave an empty cell between
      // two departures (a value of 255), and ending the line there would start a row of its own.
      std::string line;
      for (const DepartureCell& cell : row) {
        if (cell.Value == kEmptyValue) continue;
        if (!line.empty()) line += ",";
        line += std::to_string(cell.Value);
        // Only a..z are letters; any other code would be read back as part of the number
        // or as a separator, so it is left out rather than written.
        if (IsTypeLetter(cell.TypeLetter)) line += static_cast<char>(cell.TypeLetter);
      }
      if (!line.empty()) text += line + kCrLf;
    }
    text += std::string("<") + kCrLf;
  }
  return text;
}

void ClearDepartures(TimetableStore& store) {
  for (TimetableRecord& record : store.Records) {
    for (DepartureRow& row : record.Departures) {
      for (DepartureCell& cell : row) cell.Value = kEmptyValue;
    }
  }
}

void ApplyStyleWord(TypeEntry& type, std::string_view word, const StyleWords& words) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (word == words[i]) {
      type.Bold = (i & 1) != 0;
      type.Italic = (i & 2) != 0;
      return;
    }
  }
}

std::string_view StyleWordOf(const TypeEntry& type, const StyleWords& words) {
  return words[(type.Bold ? 1 : 0) + (type.Italic ? 2 : 0)];
}

bool IsStorableFieldText(std::string_view utf8) {
  return utf8.find_first_of("<>,\r\n") == std::string_view::npos && IsCp932Representable(utf8);
}

void CheckFieldTexts(const TimetableStore& store, std::string_view fileName) {
  const auto refuse = [&](const char* what, const std::string& text) {
    throw WriteFailure(std::string(what) + "「" + text + "」には" + std::string(fileName) +
                       "に保存できない文字が含まれています。\n"
                       "（使えない文字: > < , 改行、およびShift-JISにない文字）\n"
                       "ファイルは変更していません。");
  };
  for (int t = 0; t < store.Count && t < kTimetableCount; ++t) {
    const TimetableRecord& record = store.Records[t];
    if (!IsStorableFieldText(record.Title)) refuse("時刻表名", record.Title);
    for (const TypeEntry& type : record.Types) {
      if (!IsStorableFieldText(type.Name)) refuse("種別名", type.Name);
    }
  }
}

FileError MissingFileError(std::string_view fileName) {
  return FileError(std::string(fileName) + "が見つかりません。", "ファイル存在エラー");
}

FileError FormatError(std::string_view fileName) {
  return FileError(std::string(fileName) + "のファイル形式が不正です。", "ファイル形式エラー");
}

FileError DamagedFileError(std::string_view fileName, std::string_view reason) {
  FileError error = FormatError(fileName);
  return FileError(std::string(error.what()) + "\n" + std::string(reason), error.Caption);
}

}  // namespace v42
