#include "IniFile.h"

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

void ApplyLine(IniSettings& s, std::string_view key, std::string_view value) {
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
  } else {
    for (int i = 0; i < kCommentCount; ++i) {
      const std::string n = std::to_string(i);
      if (key == "CommentText_" + n) s.Comments[i].Text = value;
      if (key == "CommentColor_" + n) SetColor(s.Comments[i].Color, value);
    }
  }
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
  const auto text = Cp932ToUtf8(ReadFileBytes(file));
  if (!text) throw FormatError(kIniFileName);
  // A default extra has no line, so a value left from an earlier read must not survive.
  settings.Desktop = {};
  ForEachIniLine(*text, [&settings](std::string_view key, std::string_view value) {
    ApplyLine(settings, key, value);
  });
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
  const DesktopSettings& desktop = settings.Desktop;
  if (!desktop.TrayIcon) text += Line("TrayIcon", "OFF");
  if (desktop.Alert == DesktopSettings::AlertBlink) text += Line("AlertStyle", "BLINK");
  if (desktop.Alert == DesktopSettings::AlertNotify) text += Line("AlertStyle", "NOTIFY");
  if (desktop.DimPassed) text += Line("DimPassed", "ON");
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
