#include "V1FileAccess.h"

#include <charconv>
#include <optional>
#include <string>
#include <string_view>

#include "DataFile.h"
#include "DataFormat.h"
#include "IniFile.h"
#include "IniLines.h"
#include "NumberRules.h"
#include "SafeFile.h"
#include "TextCodec.h"

namespace v42 {
namespace {

namespace fs = std::filesystem;

// The version 1 messages name the file in lower case.
constexpr std::string_view kV1DataMessageName = "data00.dat";

// "TypeFont" words of the version 1 settings file.
constexpr StyleWords kV1StyleWords{"Normal", "Bold", "Italic", "Bold+Italic"};

// Length in bytes of the UTF-8 character that starts at text[i] (1 for a stray byte).
std::size_t CharLength(std::string_view text, std::size_t i) {
  std::size_t n = 1;
  while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80) ++n;
  return n;
}

// Index just after `count` characters following position i.
std::size_t SkipChars(std::string_view text, std::size_t i, int count) {
  for (int c = 0; c < count && i < text.size(); ++c) i += CharLength(text, i);
  return i;
}

std::string DecodeFile(const fs::path& file, std::string_view messageName) {
  std::string bytes;
  try {
    bytes = ReadFileBytes(file);
  } catch (const FileError& error) {
    // The message names the file as the user knows it; one that is there but cannot be read
    // says why.
    if (!FileExists(file)) throw MissingFileError(messageName);
    throw;
  }
  std::optional<std::string> text = Cp932ToUtf8(bytes);
  if (!text) throw FormatError(messageName);
  return std::move(*text);
}

// A value that must be a number as a whole (blanks around it allowed, a fraction rounded):
// a stray letter would otherwise turn a colour into something the user never chose.
std::optional<double> WholeNumber(std::string_view value) {
  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
  bool negative = false;
  if (!value.empty() && (value.front() == '+' || value.front() == '-')) {
    negative = value.front() == '-';
    value.remove_prefix(1);
  }
  if (value.empty() || !(value.front() == '.' || (value.front() >= '0' && value.front() <= '9'))) {
    return std::nullopt;
  }
  double number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (error != std::errc() || end != value.data() + value.size()) return std::nullopt;
  return negative ? -number : number;
}

std::string V1Color(Color color) { return std::to_string(color == kBlack ? 0 : color); }

}  // namespace

void ReadV1Data(TimetableStore& store, const fs::path& appFolder) {
  store.Count = 0;
  const fs::path file = appFolder / kV1DataFileName;
  if (!FileExists(file)) throw MissingFileError(kV1DataMessageName);
  ClearDepartures(store);
  const std::string text = DecodeFile(file, kV1DataMessageName);

  std::size_t table = 0, row = 0, field = 0;
  std::string token;
  auto storeCell = [&] {
    // A 25th row line has no row to go to.
    if (row >= kRowCount) throw FormatError(kV1DataMessageName);
    const std::optional<DepartureCell> cell = ParseCell(token);
    if (!cell) throw FormatError(kV1DataMessageName);
    store.Records[table].Departures[row][field] = *cell;
  };

  std::size_t i = 0;
  while (i < text.size()) {
    if (field >= kSlotCount || row > kRowCount || table >= kTimetableCount) {
      throw FormatError(kV1DataMessageName);
    }
    const char c = text[i];
    switch (c) {
      case '>':
        // Every block has exactly one title, so Count always names the block being read; a
        // second title (or a block without one) would count timetables that are not there.
        if (store.Count != table) throw FormatError(kV1DataMessageName);
        store.Records[table].Title = token;
        ++store.Count;
        i = SkipChars(text, i + 1, 2);
        token.clear();
        continue;
      case '<':
        ++table;
        row = 0;
        i = SkipChars(text, i + 1, 2);
        token.clear();
        continue;
      case ',':
        storeCell();
        ++field;
        token.clear();
        break;
      case '\r': {
        // Version 1 never wrote an empty line; one here means the file was damaged.
        if (token.empty() && field == 0) throw FormatError(kV1DataMessageName);
        storeCell();
        DepartureRow& cells = store.Records[table].Departures[row];
        for (std::size_t s = field + 1; s < kSlotCount; ++s) cells[s] = DepartureCell{};
        ++row;
        field = 0;
        token.clear();
        i = SkipChars(text, i + 1, 1);
        continue;
      }
      default:
        token += c;
        break;
    }
    ++i;
  }
}

void ReadV1Settings(IniSettings& settings, TimetableStore& store, const fs::path& settingsFile) {
  SetIniDefaults(settings);
  if (!FileExists(settingsFile)) return;
  const std::string messageName = settingsFile.filename().string();
  const std::string text = DecodeFile(settingsFile, messageName);

  auto int32Of = [&](double number) {
    const std::optional<std::int32_t> value = RoundToInt32(number);
    if (!value) throw FormatError(messageName);
    return *value;
  };

  std::size_t type = 0;  // only "TypeFont" moves on to the next type
  auto forEachType = [&](std::string_view value, auto apply) {
    if (type >= kTypeCount) throw FormatError(messageName);
    for (std::size_t t = 0; t < store.Count; ++t) apply(store.Records[t].Types[type], value);
  };

  // The first character is the opening quote; a file without one loses its first key.
  const std::string_view body = std::string_view(text).substr(SkipChars(text, 0, 1));
  ForEachIniLine(body, [&](std::string_view key, std::string_view value) {
    if (key == "FontColor") {
      settings.ApplicationFontColor = int32Of(LeadingNumber(value));
    } else if (key == "BgColor") {
      settings.ApplicationBackColor = int32Of(LeadingNumber(value));
    } else if (key.size() == 9 && key.starts_with("Comment0") && key[8] >= '1' && key[8] <= '3') {
      settings.Comments[key[8] - '1'].Text = value;
    } else if (key.size() == 10 && key.starts_with("ComColor0") && key[9] >= '1' && key[9] <= '3') {
      const std::optional<double> number = WholeNumber(value);
      if (!number) throw FormatError(messageName);
      settings.Comments[key[9] - '1'].Color = int32Of(*number);
    } else if (key == "ComIntTime") {
      SetMinutes(settings.MessageTimes_Min, value);
    } else if (key == "GotoMini") {
      SetMinutes(settings.MoveTimes_Min, value);
    } else if (key == "MsgBlink") {
      settings.MessageBlinkFlag = BlinkFlagOf(value);
    } else if (key == "MsgSound") {
      settings.MessageSoundFlag = SoundFlagOf(value);
    } else if (key == "MsgSoundFile") {
      settings.MessageSoundFile = value;
    } else if (key == "TypeColor") {
      const Color color = int32Of(LeadingNumber(value));
      forEachType(value, [&](TypeEntry& entry, std::string_view) { entry.ForeColor = color; });
    } else if (key == "TypeCom") {
      forEachType(value, [](TypeEntry& entry, std::string_view name) { entry.Name = name; });
    } else if (key == "TypeFont") {
      forEachType(value, [](TypeEntry& entry, std::string_view word) {
        ApplyStyleWord(entry, word, kV1StyleWords);
      });
      ++type;
    }
  });
}

void WriteV1Data(const TimetableStore& store, const fs::path& appFolder) {
  ReplaceTextFile(appFolder / kV1DataFileName, FormatDepartureBlocks(store));
}

void WriteV1Settings(const IniSettings& settings, const TimetableStore& store,
                     const fs::path& settingsFile) {
  std::string text = "\"";
  auto line = [&](std::string_view key, std::string_view value) {
    text.append(key).append("=").append(value).append(kCrLf);
  };
  line("FontColor", V1Color(settings.ApplicationFontColor));
  line("BgColor", V1Color(settings.ApplicationBackColor));
  for (int i = 0; i < kCommentCount; ++i) {
    line("Comment0" + std::to_string(i + 1), settings.Comments[i].Text);
  }
  for (int i = 0; i < kCommentCount; ++i) {
    line("ComColor0" + std::to_string(i + 1), V1Color(settings.Comments[i].Color));
  }
  for (const TypeEntry& entry : store.Records[0].Types) {
    line("TypeColor", V1Color(entry.ForeColor));
    line("TypeCom", entry.Name);
    line("TypeFont", StyleWordOf(entry, kV1StyleWords));
  }
  line("ComIntTime", std::to_string(settings.MessageTimes_Min));
  line("GotoMini", std::to_string(settings.MoveTimes_Min));
  line("MsgBlink", BlinkWord(settings.MessageBlinkFlag));
  line("MsgSound", SoundWord(settings.MessageSoundFlag));
  if (!settings.MessageSoundFile.empty()) line("MsgSoundFile", settings.MessageSoundFile);
  // One line break after the closing quote; the reader takes the file with or without it.
  text.append("\"").append(kCrLf);
  ReplaceTextFile(settingsFile, text);
}

}  // namespace v42
