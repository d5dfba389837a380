#include "IniFile.h"

#include <array>
#include <optional>
#include <string>

#include "DataFile.h"
#include "DataFormat.h"
#include "IniLines.h"
#include "NumberRules.h"
#include "SafeFile.h"
#include "TextCodec.h"

namespace v42 {

namespace {

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
      if (key == "CommentText_" + n) s.Comments[i].Text = value;
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

std::string Line(std::string_view key, std::string_view value) {
  return std::string(key) + "=" + std::string(value) + kCrLf;
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
  ForEachIniLine(DecodeLines(ReadFileBytes(file)),
                 [&settings](std::string_view key, std::string_view value) {
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

void WriteIniFile(const IniSettings& settings, const std::filesystem::path& appFolder) {
  std::string text = Line("ApplicationFontColor", std::to_string(settings.ApplicationFontColor)) +
                     Line("ApplicationBackColor", std::to_string(settings.ApplicationBackColor));
  for (int i = 0; i < kCommentCount; ++i) {
    const std::string n = std::to_string(i);
    text += Line("CommentText_" + n, settings.Comments[i].Text);
    text += Line("CommentColor_" + n, std::to_string(settings.Comments[i].Color));
  }
  text += Line("MessageTimes_Min", std::to_string(settings.MessageTimes_Min));
  text += Line("MoveTimes_Min", std::to_string(settings.MoveTimes_Min));
  text += Line("MessageBlinkFlag", BlinkWord(settings.MessageBlinkFlag));
  text += Line("MessageSoundFlag", SoundWord(settings.MessageSoundFlag));
  if (!settings.MessageSoundFile.empty()) {
    text += Line("MessageSoundFile", settings.MessageSoundFile);
  }
  if (const DayTableSettings& d = settings.DayTables; d.IsOn()) {
    for (std::size_t i = 0; i < kDayTableKeys.size(); ++i) {
      text += Line(kDayTableKeys[i], std::to_string(d.Tables[i]));
    }
    text += Line("DayStartHour", std::to_string(d.DayStartHour));
    text += Line("YearEndHoliday", d.YearEndHoliday ? "ON" : "OFF");
  }
  const DesktopSettings& desktop = settings.Desktop;
  if (!desktop.TrayIcon) text += Line("TrayIcon", "OFF");
  if (desktop.Alert == DesktopSettings::AlertBlink) text += Line("AlertStyle", "BLINK");
  if (desktop.Alert == DesktopSettings::AlertNotify) text += Line("AlertStyle", "NOTIFY");
  if (desktop.DimPassed) text += Line("DimPassed", "ON");
  if (desktop.FollowSaves) text += Line("FollowSaves", "ON");
  if (desktop.DailyRefresh) text += Line("DailyRefresh", "ON");
  if (desktop.LiveSeconds != DesktopSettings{}.LiveSeconds)
    text += Line("LiveSeconds", std::to_string(desktop.LiveSeconds));
  // A line break inside a value would split its line and lose the rest of the setting.
  for (const std::string* value : {&settings.Comments[0].Text, &settings.Comments[1].Text,
                                   &settings.Comments[2].Text, &settings.MessageSoundFile}) {
    if (value->find_first_of("\r\n") != std::string::npos) {
      throw WriteFailure(std::string(kIniFileName) +
                         "に改行を含む設定は保存できません。\nファイルは変更していません。");
    }
  }
  ReplaceTextFile(appFolder / kIniFileName, text);
}

}  // namespace v42
