#include "DataFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "DataFormat.h"
#include "FilesLock.h"
#include "InputRules.h"
#include "NumberRules.h"
#include "SafeFile.h"
#include "TextCodec.h"

namespace v42 {

namespace {

constexpr std::string_view kJikokuHeader = "******[JikokuData]******";
constexpr std::string_view kTypeHeader = "******[TypeData]******";
constexpr std::string_view kColorHeader = "******[GridColor]******";

enum class Section { Departures, Types, Colors };

std::size_t CharCount(std::string_view utf8) {
  std::size_t n = 0;
  for (unsigned char c : utf8) n += (c & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

// Every writer of the file starts it with the section line of the departures, whatever the
// count of timetables; a file without it (empty, zeroed, something else saved under the name)
// is not an empty list of timetables, and taking it for one would lose the real ones on a save.
void CheckShape(std::string_view bytes) {
  if (bytes.find('\0') != std::string_view::npos) {
    throw DamagedFileError(kDataFileName, "ファイルにNUL文字が含まれています。");
  }
}

void CheckSectionLine(std::string_view text) {
  const std::string line = std::string(kJikokuHeader) + kCrLf;
  for (std::size_t at = text.find(line); at != std::string_view::npos;
       at = text.find(line, at + 1)) {
    if (at == 0 || text[at - 1] == '\n') return;
  }
  throw DamagedFileError(kDataFileName,
                         "区切りの行「" + std::string(kJikokuHeader) + "」がありません。");
}

void CheckLength(std::string_view text, std::size_t maxChars, const char* what) {
  if (CharCount(text) > maxChars) {
    throw DamagedFileError(kDataFileName, std::string(what) + "が" + std::to_string(maxChars) +
                                              "文字を超えています。");
  }
}

// Before a read every record gets empty cells and the default colours; names, styles and
// letters stay, as the blocks that follow overwrite what is in use.
void ResetForRead(TimetableStore& store) {
  ClearDepartures(store);
  for (TimetableRecord& record : store.Records) {
    record.GridColors = GridColorSet{};
    for (TypeEntry& type : record.Types) {
      type.ForeColor = kBlack;
      type.BackColor = kWhite;
    }
  }
  store.Count = 0;
}

// The reader's state machine over the characters of the decoded file.
class DataReader {
 public:
  DataReader(TimetableStore& store, std::string_view text) : store_(store), text_(text) {}

  void Run() {
    for (auto c = Next(); !c.empty(); c = Next()) {
      if (c == ">") {
        OnStartLine();
      } else if (c == "<") {
        OnEndLine();
      } else if (c == ",") {
        OnField(false);
        token_.clear();
        ++field_;
        lineStart_ = false;
      } else if (c == "\r") {
        OnLineBreak();
      } else {
        token_ += c;
        lineStart_ = false;
      }
    }
    // An unfinished last line (no CR) is dropped with its token.
  }

 private:
  std::string_view Next() { return NextUtf8Char(text_, pos_); }

  [[noreturn]] void Fail() const { throw FormatError(kDataFileName); }

  void OnStartLine() {
    if (section_ == Section::Departures) {
      // Start lines without end lines would count past the nine records otherwise.
      if (table_ > 8 || store_.Count >= kTimetableCount) Fail();
      CheckLength(token_, kTitleMaxChars, "時刻表名");
      store_.Records[table_].Title = token_;
      ++store_.Count;
    }
    Next();
    Next();
    token_.clear();
    lineStart_ = true;
  }

  void OnEndLine() {
    if (section_ == Section::Departures && row_ > store_.MaxRows) store_.MaxRows = row_;
    Next();
    Next();
    ++table_;
    row_ = 0;
    token_.clear();
    lineStart_ = true;
  }

  void OnLineBreak() {
    Next();                  // the LF
    if (lineStart_) return;  // an empty line carries nothing
    if (field_ == 0 &&
        (token_ == kJikokuHeader || token_ == kTypeHeader || token_ == kColorHeader)) {
      section_ = token_ == kJikokuHeader ? Section::Departures
                 : token_ == kTypeHeader ? Section::Types
                                         : Section::Colors;
      table_ = 0;
    } else {
      OnField(true);
      ++row_;
      field_ = 0;
    }
    token_.clear();
    lineStart_ = true;
  }

  Color ColorOf(Color fallback) const {
    const auto color = ColorValue(token_, fallback);
    if (!color) Fail();
    return *color;
  }

  // Acts on the token as field F of row line R; lastField when the line ends with it.
  void OnField(bool lastField) {
    const int rowLimit = section_ == Section::Departures ? kRowCount - 1 : kTypeCount - 1;
    if (table_ > 8 || row_ > rowLimit || field_ > kSlotCount - 1) Fail();
    TimetableRecord& record = store_.Records[table_];
    switch (section_) {
      case Section::Departures: {
        const auto cell = ParseCell(token_);
        if (!cell) Fail();
        DepartureRow& row = record.Departures[row_];
        row[field_] = *cell;
        if (lastField) {
          if (field_ > store_.MaxSlot) store_.MaxSlot = static_cast<std::uint8_t>(field_);
          for (int s = field_ + 1; s < kSlotCount; ++s) row[s].Value = kEmptyValue;
        }
        break;
      }
      case Section::Types: {
        TypeEntry& type = record.Types[row_];
        if (lastField) {
          type.BackColor = ColorOf(kWhite);
        } else if (field_ == 1) {
          CheckLength(token_, kTypeNameMaxChars, "種別名");
          type.Name = token_;
        } else if (field_ == 2) {
          ApplyStyleWord(type, token_, kStyleWords);
        } else if (field_ == 3) {
          type.ForeColor = ColorOf(kBlack);
        }
        break;
      }
      case Section::Colors: {
        GridColorSet& colors = record.GridColors;
        Color* const byField[] = {&colors.NextForeColor, &colors.NextBackColor,
                                  &colors.ChosenForeColor, &colors.ChosenBackColor,
                                  &colors.BaseForeColor};
        if (lastField) {
          colors.BaseBackColor = ColorOf(kBlack);
        } else if (field_ < 5) {
          *byField[field_] = ColorOf(kBlack);
        }
        break;
      }
    }
  }

  TimetableStore& store_;
  std::string_view text_;
  std::size_t pos_ = 0;
  Section section_ = Section::Departures;
  int table_ = 0;
  int row_ = 0;
  int field_ = 0;
  std::string token_;
  bool lineStart_ = true;
};

void AppendTypeBlocks(std::string& text, const TimetableStore& store) {
  text += std::string(kTypeHeader) + kCrLf;
  for (int t = 0; t < store.Count && t < kTimetableCount; ++t) {
    text += std::string(">") + kCrLf;
    for (int i = 0; i < kTypeCount; ++i) {
      const TypeEntry& type = store.Records[t].Types[i];
      text += static_cast<char>('a' + i);
      text += "," + type.Name + "," + std::string(StyleWordOf(type, kStyleWords)) + "," +
              std::to_string(type.ForeColor) + "," + std::to_string(type.BackColor) + kCrLf;
    }
    text += std::string("<") + kCrLf;
  }
}

void AppendColorBlocks(std::string& text, const TimetableStore& store) {
  text += std::string(kColorHeader) + kCrLf;
  for (int t = 0; t < store.Count && t < kTimetableCount; ++t) {
    const GridColorSet& c = store.Records[t].GridColors;
    text += std::string(">") + kCrLf;
    for (Color color : {c.NextForeColor, c.NextBackColor, c.ChosenForeColor, c.ChosenBackColor,
                        c.BaseForeColor}) {
      text += std::to_string(color) + ",";
    }
    text += std::to_string(c.BaseBackColor) + kCrLf;
    text += std::string("<") + kCrLf;
  }
}

}  // namespace

bool FileExists(const std::filesystem::path& file) {
  struct stat st {};
  // A link loop or a folder the user may not enter hides whether the file is there: it is
  // not missing then, and reading it reports why.
  return ::stat(file.c_str(), &st) == 0 || (errno != ENOENT && errno != ENOTDIR);
}

void ParseDataFile(TimetableStore& store, std::string_view bytes) {
  CheckShape(bytes);
  const auto text = DecodeText(bytes, DetectEncoding(bytes));
  if (!text) throw FormatError(kDataFileName);
  CheckSectionLine(*text);
  // Read into a copy so that a damaged file leaves the caller's store as it was.
  TimetableStore loaded = store;
  ResetForRead(loaded);
  DataReader(loaded, *text).Run();
  store = std::move(loaded);
}

void ReadDataFile(TimetableStore& store, const std::filesystem::path& appFolder) {
  ParseDataFile(store, ReadFileBytes(appFolder / kDataFileName));
}

std::string FormatDataFile(const TimetableStore& store) {
  CheckFieldTexts(store, kDataFileName);
  std::string text = std::string(kJikokuHeader) + kCrLf + FormatDepartureBlocks(store);
  AppendTypeBlocks(text, store);
  AppendColorBlocks(text, store);
  return text;
}

void WriteDataFile(const TimetableStore& store, const std::filesystem::path& appFolder) {
  const std::string text = FormatDataFile(store);
  const FilesLock lock(appFolder);
  ReplaceTextFile(appFolder / kDataFileName, text);
}

}  // namespace v42
