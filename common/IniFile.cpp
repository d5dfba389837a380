#include "IniFile.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "DataFile.h"
#include "DataFormat.h"
#include "FilesLock.h"
#include "IniLines.h"
#include "InputRules.h"
#include "NumberRules.h"
#include "SafeFile.h"
#include "TextCodec.h"

namespace v42 {

namespace {

std::size_t CharCount(std::string_view utf8) {
  std::size_t n = 0;
  for (unsigned char c : utf8) n += (c & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

// A value that does not fit leaves the field as a missing key would.
void SetColor(Color& field, std::string_view value) {
  if (const auto color = ColorValue(value, kBlack)) field = *color;
}

// A whole number in first..last, by the same rounding as the other numbers; else nullopt.
std::optional<int> NumberIn(std::string_view value, int first, int last) {
  const auto number = RoundToInt16(LeadingNumber(value));
  if (!number || *number < first || *number > last) return std::nullopt;
  return *number;
}

constexpr std::array<const char*, 3> kDayTableKeys{"DayTable_Weekday", "DayTable_Saturday",
                                                   "DayTable_Holiday"};

// True when the key was one of the day table keys.
bool ApplyDayTableLine(DayTableSettings& d, std::string_view key, std::string_view value) {
  for (std::size_t i = 0; i < kDayTableKeys.size(); ++i) {
    if (key == kDayTableKeys[i]) {
      d.Tables[i] = NumberIn(value, 0, kTimetableCount - 1).value_or(-1);
      return true;
    }
  }
  if (key == "DayStartHour") {
    d.DayStartHour = NumberIn(value, 0, 23).value_or(DayTableSettings{}.DayStartHour);
  } else if (key == "YearEndHoliday") {
    d.YearEndHoliday = value == "ON";
  } else {
    return false;
  }
  return true;
}

void ApplyLine(IniSettings& s, std::string_view key, std::string_view value) {
  if (ApplyDayTableLine(s.DayTables, key, value)) return;
  if (key == "ApplicationFontColor") {
    SetColor(s.ApplicationFontColor, value);
  } else if (key == "ApplicationBackColor") {
    SetColor(s.ApplicationBackColor, value);
  } else if (key == "MessageTimes_Min") {
    SetMinutes(s.MessageTimes_Min, value);
  } else if (key == "MoveTimes_Min") {
    SetMinutes(s.MoveTimes_Min, value);
  } else if (key == "MessageBlinkFlag") {
    s.MessageBlinkFlag = BlinkFlagOf(value);
  } else if (key == "MessageSoundFlag") {
    s.MessageSoundFlag = SoundFlagOf(value);
  } else if (key == "MessageSoundFile") {
    s.MessageSoundFile = value;
  } else if (key == "TrayIcon") {
    s.Desktop.TrayIcon = value != "OFF";
  } else if (key == "AlertStyle") {
    s.Desktop.Alert = value == "BLINK"    ? DesktopSettings::AlertBlink
                      : value == "NOTIFY" ? DesktopSettings::AlertNotify
                                          : DesktopSettings::AlertBoth;
  } else if (key == "DimPassed") {
    s.Desktop.DimPassed = value == "ON";
  } else if (key == "FollowSaves") {
    s.Desktop.FollowSaves = value == "ON";
  } else if (key == "DailyRefresh") {
    s.Desktop.DailyRefresh = value == "ON";
  } else if (key == "LiveSeconds") {
    s.Desktop.LiveSeconds = NumberIn(value, 15, 600).value_or(DesktopSettings{}.LiveSeconds);
  } else {
    for (int i = 0; i < kCommentCount; ++i) {
      const std::string n = std::to_string(i);
      // Longer than its box could hold: refused like a damaged line.
      if (key == "CommentText_" + n && CharCount(value) <= kCommentMaxChars) {
        s.Comments[i].Text = value;
      }
      if (key == "CommentColor_" + n) SetColor(s.Comments[i].Color, value);
    }
  }
}

// A settings file is read line by line, so one line a text editor damaged is ignored like an
// unknown key instead of costing the whole file. A UTF-8 file's lines are all UTF-8; in any
// other each line is judged alone, so a line added in UTF-8 to a CP932 file still reads.
// CR never occurs inside a CP932 or UTF-8 character, so it splits both safely.
std::string DecodeLines(std::string_view bytes) {
  const bool utf8File = DetectEncoding(bytes) == FileEncoding::Utf8;
  std::string text;
  while (!bytes.empty()) {
    const std::size_t cr = bytes.find('\r');
    const std::size_t length = cr == std::string_view::npos ? bytes.size() : cr + 1;
    const std::string_view line = bytes.substr(0, length);
    const FileEncoding encoding = utf8File ? FileEncoding::Utf8 : DetectEncoding(line);
    if (const auto decoded = DecodeText(line, encoding)) text += *decoded;
    bytes.remove_prefix(length);
  }
  return text;
}

// Every key this writer may write, in the order it writes them: a key here that the settings
// no longer need (an extra back at its default) has its old line removed.
const std::vector<std::string>& KnownKeys() {
  static const std::vector<std::string> keys = [] {
    std::vector<std::string> k{"ApplicationFontColor", "ApplicationBackColor"};
    for (int i = 0; i < kCommentCount; ++i) {
      k.push_back("CommentText_" + std::to_string(i));
      k.push_back("CommentColor_" + std::to_string(i));
    }
    for (const char* key :
         {"MessageTimes_Min", "MoveTimes_Min", "MessageBlinkFlag", "MessageSoundFlag",
          "MessageSoundFile", kDayTableKeys[0], kDayTableKeys[1], kDayTableKeys[2], "DayStartHour",
          "YearEndHoliday", "TrayIcon", "AlertStyle", "DimPassed", "FollowSaves", "DailyRefresh",
          "LiveSeconds"}) {
      k.push_back(key);
    }
    return k;
  }();
  return keys;
}

struct KeyLine {
  std::string Key, Value;
};

// Not text at all: a UTF-16 file or one with NUL bytes would read as the defaults line by
// line, and a save would then replace the user's settings with them.
void CheckIsText(std::string_view bytes) {
  const bool utf16 = bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                                           (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
  // Text holds no control character but tab and line ends (and the old end-of-file mark);
  // CP932 and UTF-8 never use those bytes inside a character.
  const bool control = std::any_of(bytes.begin(), bytes.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 && b != '\t' && b != '\r' && b != '\n' && b != 0x1A;
  });
  if (utf16 || control) {
    throw DamagedFileError(kIniFileName,
                           "文字のファイルではありません（UTF-16 または制御文字）。"
                           "\nファイルはそのまま残しています。");
  }
}

std::string Encoded(const KeyLine& line) {
  const std::string text = line.Key + "=" + line.Value;
  const auto cp932 = Utf8ToCp932(text);
  if (!cp932) {
    throw WriteFailure(std::string(kIniFileName) + "に保存できない文字「" +
                       FirstUnrepresentable(text) +
                       "」が含まれています。\nファイルは変更していません。");
  }
  return *cp932 + kCrLf;
}

// The key of a line as ReadIniFile sees it (decoded, LF dropped), so that a line the reader
// takes for one of our keys is never kept beside the new one.
std::string KeyAsRead(std::string_view raw, bool utf8File) {
  const auto decoded = DecodeText(raw, utf8File ? FileEncoding::Utf8 : DetectEncoding(raw));
  if (!decoded) return {};
  std::string key;
  for (char c : *decoded) {
    if (c == '=') return key;
    if (c != '\n') key += c;
  }
  return {};
}

// The new file: the old one's lines as they were, except that the lines of our keys hold the
// new values (the first of each; repeats and keys no longer written go). A key the old file
// lacks goes after the nearest key before it in our order, so a file of only our keys keeps
// exactly our order and layout.
std::string MergeLines(std::string_view old, const std::vector<KeyLine>& lines) {
  if (old.substr(0, 3) == "\xEF\xBB\xBF") old.remove_prefix(3);
  const bool utf8File = DetectEncoding(old) == FileEncoding::Utf8;
  const auto& known = KnownKeys();
  const auto rank = [&](std::string_view key) -> int {
    for (std::size_t i = 0; i < known.size(); ++i)
      if (known[i] == key) return static_cast<int>(i);
    return -1;
  };
  // Entries: raw kept bytes (rank -1) or one of our lines (its rank).
  std::vector<std::pair<int, std::string>> out;
  std::vector<bool> placed(known.size(), false);
  const auto lineFor = [&](int r) -> const KeyLine* {
    for (const KeyLine& l : lines)
      if (l.Key == known[static_cast<std::size_t>(r)]) return &l;
    return nullptr;
  };
  while (!old.empty()) {
    const std::size_t cr = old.find('\r');
    const std::string_view raw = old.substr(0, cr);
    old.remove_prefix(cr == std::string_view::npos ? old.size() : cr + 1);
    if (!old.empty() && old.front() == '\n') old.remove_prefix(1);  // the CR LF's LF
    const int r = rank(KeyAsRead(raw, utf8File));
    if (r < 0) {
      out.emplace_back(-1, std::string(raw) + kCrLf);
    } else if (!placed[static_cast<std::size_t>(r)]) {
      placed[static_cast<std::size_t>(r)] = true;
      if (const KeyLine* l = lineFor(r)) out.emplace_back(r, Encoded(*l));
    }
  }
  for (const KeyLine& l : lines) {
    const int r = rank(l.Key);
    if (r >= 0 && placed[static_cast<std::size_t>(r)]) continue;
    // After the last of our lines that comes before it in our order, else before the first.
    std::size_t at = out.size();
    int best = -1;
    for (std::size_t i = 0; i < out.size(); ++i) {
      if (out[i].first >= 0 && out[i].first < r && out[i].first > best) {
        best = out[i].first;
        at = i + 1;
      }
    }
    if (best < 0) {
      for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i].first >= 0) {
          at = i;
          break;
        }
      }
    }
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), {r, Encoded(l)});
  }
  // A kept line of stray bytes must not open the file with a UTF-16 byte order mark, or the
  // file would no longer read as text: one of our lines goes first then.
  const auto opensAsUtf16 = [](std::string_view b) {
    return b.substr(0, 2) == "\xFF\xFE" || b.substr(0, 2) == "\xFE\xFF";
  };
  if (!out.empty() && out.front().first < 0 && opensAsUtf16(out.front().second)) {
    const auto ours =
        std::find_if(out.begin(), out.end(), [](const auto& e) { return e.first >= 0; });
    if (ours != out.end()) std::rotate(out.begin(), ours, ours + 1);
  }
  std::string bytes;
  for (const auto& entry : out) bytes += entry.second;
  return bytes;
}

}  // namespace

void SetIniDefaults(IniSettings& settings) {
  settings.ApplicationFontColor = 0x404040;
  settings.ApplicationBackColor = 0xC0C0C0;
  settings.Comments[0] = {"運行は終了しました。", 0x004080};
  settings.Comments[1] = {"通過しました。", 0x0000FF};
  settings.Comments[2] = {"もうすぐ来ます。", 0x80FFFF};
  settings.MessageTimes_Min = 3;
  settings.MessageSoundFlag = 0;
  settings.MessageSoundFile.clear();
  settings.MessageBlinkFlag = 1;
  settings.MoveTimes_Min = 0;
  settings.DayTables = {};
  settings.Desktop = {};
}

void ReadIniFile(IniSettings& settings, const std::filesystem::path& appFolder) {
  const std::filesystem::path file = appFolder / kIniFileName;
  if (!FileExists(file)) {
    SetIniDefaults(settings);
    // A file that is there but cannot be read is the user's: only a missing one is created.
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(file, ec))) {
      WriteIniFile(settings, appFolder);
    }
    return;
  }
  // Extras at their default have no line, so values left from an earlier read must not survive.
  settings.DayTables = {};
  settings.Desktop = {};
  const std::string bytes = ReadFileBytes(file);
  CheckIsText(bytes);
  ForEachIniLine(DecodeLines(bytes), [&settings](std::string_view key, std::string_view value) {
    ApplyLine(settings, key, value);
  });
  // With no table chosen the other day keys are not written, so they must not read either:
  // what reads has to write back the same.
  if (!settings.DayTables.IsOn()) settings.DayTables = {};
}

IniSettings ReadIniOverDefaults(const std::filesystem::path& appFolder) {
  IniSettings settings;
  SetIniDefaults(settings);
  if (FileExists(appFolder / kIniFileName)) ReadIniFile(settings, appFolder);
  return settings;
}

namespace {

void WriteIni(const IniSettings& settings, const std::filesystem::path& appFolder,
              bool keepOtherLines) {
  // A line break inside a value would split its line and lose the rest of the setting.
  for (const std::string* value : {&settings.Comments[0].Text, &settings.Comments[1].Text,
                                   &settings.Comments[2].Text, &settings.MessageSoundFile}) {
    if (value->find_first_of("\r\n") != std::string::npos) {
      throw WriteFailure(std::string(kIniFileName) +
                         "に改行を含む設定は保存できません。\nファイルは変更していません。");
    }
  }
  std::vector<KeyLine> lines{
      {"ApplicationFontColor", std::to_string(settings.ApplicationFontColor)},
      {"ApplicationBackColor", std::to_string(settings.ApplicationBackColor)}};
  for (int i = 0; i < kCommentCount; ++i) {
    const std::string n = std::to_string(i);
    lines.push_back({"CommentText_" + n, settings.Comments[i].Text});
    lines.push_back({"CommentColor_" + n, std::to_string(settings.Comments[i].Color)});
  }
  lines.push_back({"MessageTimes_Min", std::to_string(settings.MessageTimes_Min)});
  lines.push_back({"MoveTimes_Min", std::to_string(settings.MoveTimes_Min)});
  lines.push_back({"MessageBlinkFlag", BlinkWord(settings.MessageBlinkFlag)});
  lines.push_back({"MessageSoundFlag", SoundWord(settings.MessageSoundFlag)});
  if (!settings.MessageSoundFile.empty()) {
    lines.push_back({"MessageSoundFile", settings.MessageSoundFile});
  }
  if (const DayTableSettings& d = settings.DayTables; d.IsOn()) {
    for (std::size_t i = 0; i < kDayTableKeys.size(); ++i) {
      lines.push_back({kDayTableKeys[i], std::to_string(d.Tables[i])});
    }
    lines.push_back({"DayStartHour", std::to_string(d.DayStartHour)});
    lines.push_back({"YearEndHoliday", d.YearEndHoliday ? "ON" : "OFF"});
  }
  const DesktopSettings& desktop = settings.Desktop;
  if (!desktop.TrayIcon) lines.push_back({"TrayIcon", "OFF"});
  if (desktop.Alert == DesktopSettings::AlertBlink) lines.push_back({"AlertStyle", "BLINK"});
  if (desktop.Alert == DesktopSettings::AlertNotify) lines.push_back({"AlertStyle", "NOTIFY"});
  if (desktop.DimPassed) lines.push_back({"DimPassed", "ON"});
  if (desktop.FollowSaves) lines.push_back({"FollowSaves", "ON"});
  if (desktop.DailyRefresh) lines.push_back({"DailyRefresh", "ON"});
  if (desktop.LiveSeconds != DesktopSettings{}.LiveSeconds)
    lines.push_back({"LiveSeconds", std::to_string(desktop.LiveSeconds)});

  const std::filesystem::path file = appFolder / kIniFileName;
  const FilesLock lock(appFolder);
  // Lines this program does not know (a comment, a newer version's key) stay where they are;
  // a file that cannot be read or is not text is never replaced.
  std::string old;
  if (keepOtherLines && FileExists(file)) {
    old = ReadFileBytes(file);
    CheckIsText(old);
  }
  ReplaceFile(file, MergeLines(old, lines));
}

}  // namespace

void WriteIniFile(const IniSettings& settings, const std::filesystem::path& appFolder) {
  WriteIni(settings, appFolder, true);
}

void ReplaceIniFile(const IniSettings& settings, const std::filesystem::path& appFolder) {
  WriteIni(settings, appFolder, false);
}

}  // namespace v42
