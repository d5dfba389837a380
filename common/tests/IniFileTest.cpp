#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "IniFile.h"
#include "TestFiles.h"

namespace v42 {
namespace {

using test::TempFolder;

TEST(IniFile, FirstRunCreatesTheTwelveDefaultLinesAndWrittenSettingsReadBack) {
  TempFolder folder, other;
  IniSettings s;
  ReadIniFile(s, folder.path());
  EXPECT_EQ(test::ReadBytes(folder / kIniFileName), test::Golden("default_settings.ini"));
  // What is in memory is what the file holds.
  WriteIniFile(s, other.path());
  EXPECT_EQ(test::ReadBytes(other / kIniFileName), test::Golden("default_settings.ini"));

  s.ApplicationBackColor = kBlack;
  s.Comments[0] = {" 終電 = 出発 ", -16777216};
  s.MessageTimes_Min = -32768;
  s.MoveTimes_Min = 32767;
  s.MessageSoundFlag = 2;
  s.MessageBlinkFlag = 0;
  s.MessageSoundFile = "/home/a/b=c ﾐﾃﾞｨ.mid";
  WriteIniFile(s, folder.path());
  IniSettings back;
  ReadIniFile(back, folder.path());
  EXPECT_EQ(back, s);
}

TEST(IniFile, LinesAsRead) {
  const struct {
    const char* text;
    std::function<void(IniSettings&)> change;
  } cases[] = {
      {"MessageBlinkFlag=OFF\r\n", [](IniSettings& s) { s.MessageBlinkFlag = 0; }},
      {"MessageBlinkFlag=OFF\r\nMessageBlinkFlag=off\r\n", [](IniSettings&) {}},
      {"MessageSoundFlag=BEEP\r\n", [](IniSettings& s) { s.MessageSoundFlag = 1; }},
      {"MessageSoundFlag=SOUNDFILE\r\n", [](IniSettings& s) { s.MessageSoundFlag = 2; }},
      {"MessageSoundFlag=BEEP\r\nMessageSoundFlag=beep\r\n", [](IniSettings&) {}},
      {"ApplicationFontColor=99999999999\r\n", [](IniSettings&) {}},
      {"CommentColor_2=\r\n", [](IniSettings& s) { s.Comments[2].Color = kBlack; }},
      {"CommentText_0=  空 白  \r\n", [](IniSettings& s) { s.Comments[0].Text = "  空 白  "; }},
      {"MessageTimes_Min=4.5\r\n", [](IniSettings& s) { s.MessageTimes_Min = 4; }},
      {"MoveTimes_Min=7\r\nMoveTimes_Min=40000\r\n", [](IniSettings& s) { s.MoveTimes_Min = 7; }},
      {"MessageSoundFile=/home/a/b=c.wav\r\n",
       [](IniSettings& s) { s.MessageSoundFile = "/home/a/b=c.wav"; }},
      {"messagetimes_min=9\r\nMessageTimes_Min =9\r\njunk\r\n=5\r\n", [](IniSettings&) {}},
      {"MoveTimes_Min=4\nMessageTimes_Min=9", [](IniSettings&) {}},  // no CR: not a line
      {"CommentText_2=a\nb\r\n", [](IniSettings& s) { s.Comments[2].Text = "ab"; }},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    test::WriteCp932(folder / kIniFileName, c.text);
    IniSettings expected;
    SetIniDefaults(expected);
    IniSettings settings = expected;
    ReadIniFile(settings, folder.path());
    c.change(expected);
    EXPECT_EQ(settings, expected) << c.text;
  }
}

// The desktop extras have lines only when they differ from their defaults; a file without
// them must also reset values kept in memory from an earlier read.
TEST(IniFile, DesktopExtrasRoundTripAndTheirDefaultsLeaveNoLine) {
  IniSettings s;
  SetIniDefaults(s);
  const struct {
    DesktopSettings desktop;
    const char* lines;
  } cases[] = {
      {{false, DesktopSettings::AlertBoth, false}, "TrayIcon=OFF\r\n"},
      {{true, DesktopSettings::AlertBlink, false}, "AlertStyle=BLINK\r\n"},
      {{true, DesktopSettings::AlertNotify, true}, "AlertStyle=NOTIFY\r\nDimPassed=ON\r\n"},
      {{false, DesktopSettings::AlertNotify, true},
       "TrayIcon=OFF\r\nAlertStyle=NOTIFY\r\nDimPassed=ON\r\n"},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    s.Desktop = c.desktop;
    WriteIniFile(s, folder.path());
    EXPECT_EQ(test::ReadBytes(folder / kIniFileName),
              test::Golden("default_settings.ini") + c.lines);
    IniSettings back;
    SetIniDefaults(back);
    ReadIniFile(back, folder.path());
    EXPECT_EQ(back, s) << c.lines;

    s.Desktop = {};
    WriteIniFile(s, folder.path());
    back.Desktop = c.desktop;
    ReadIniFile(back, folder.path());
    EXPECT_EQ(back.Desktop, DesktopSettings{}) << c.lines;
  }
  // Words the program never writes read as the defaults.
  TempFolder folder;
  test::WriteCp932(folder / kIniFileName, "TrayIcon=off\r\nAlertStyle=BOTH\r\nDimPassed=1\r\n");
  ReadIniFile(s, folder.path());
  EXPECT_EQ(s.Desktop, DesktopSettings{});
}

TEST(IniFile, AnUnreadableFileIsKeptAndBytesThatAreNotCp932AreTheFormatError) {
  TempFolder folder;
  std::filesystem::create_directory(folder / kIniFileName);
  IniSettings settings;
  ReadIniFile(settings, folder.path());
  IniSettings defaults;
  SetIniDefaults(defaults);
  EXPECT_EQ(settings, defaults);
  EXPECT_TRUE(std::filesystem::is_directory(folder / kIniFileName));

  std::filesystem::remove(folder / kIniFileName);
  test::WriteBytes(folder / kIniFileName, "CommentText_0=\xFD\xFE\r\n");
  test::ExpectFileError([&] { ReadIniFile(settings, folder.path()); }, "ファイル形式エラー",
                        "velkan42.iniのファイル形式が不正です。");
}

}  // namespace
}  // namespace v42
