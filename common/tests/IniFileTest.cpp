#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "IniFile.h"
#include "TestFiles.h"

namespace v42 {
namespace {

using test::TempFolder;

// What reading a file of these bytes over the defaults gives; the file stays as it was.
IniSettings ReadOverDefaults(const std::string& bytes) {
  TempFolder folder;
  test::WriteBytes(folder / kIniFileName, bytes);
  IniSettings settings;
  SetIniDefaults(settings);
  ReadIniFile(settings, folder.path());
  EXPECT_EQ(test::ReadBytes(folder / kIniFileName), bytes);
  return settings;
}

IniSettings DefaultsWith(const std::function<void(IniSettings&)>& change) {
  IniSettings settings;
  SetIniDefaults(settings);
  change(settings);
  return settings;
}

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
      // The day table keys: out of range reads as none, or as the default start hour.
      {"DayTable_Weekday=0\r\nDayTable_Saturday=8.4\r\nDayTable_Holiday=9\r\n",
       [](IniSettings& s) {
         s.DayTables.Tables = {0, 8, -1};
       }},
      {"DayTable_Holiday=-2\r\nDayTable_Saturday=-0.6\r\nDayTable_Weekday=99999\r\n",
       [](IniSettings& s) {
         s.DayTables.Tables = {-1, -1, -1};
       }},
      {"DayTable_Saturday=2\r\nDayTable_Saturday=-1\r\n", [](IniSettings&) {}},
      // The start hour and the year end count only while a table is chosen.
      {"DayTable_Holiday=1\r\nDayStartHour=23\r\nYearEndHoliday=ON\r\n",
       [](IniSettings& s) {
         s.DayTables = {{-1, -1, 1}, 23, true};
       }},
      {"DayStartHour=0\r\nYearEndHoliday=ON\r\nDayTable_Weekday=-1\r\n", [](IniSettings&) {}},
      {"DayTable_Weekday=0\r\nDayStartHour=0\r\n",
       [](IniSettings& s) {
         s.DayTables = {{0, -1, -1}, 0, false};
       }},
      {"DayTable_Weekday=0\r\nDayStartHour=5\r\nDayStartHour=24\r\n",
       [](IniSettings& s) { s.DayTables.Tables[0] = 0; }},
      {"DayTable_Weekday=0\r\nDayStartHour=5\r\nDayStartHour=-1\r\n",
       [](IniSettings& s) { s.DayTables.Tables[0] = 0; }},
      {"DayTable_Weekday=0\r\nYearEndHoliday=ON\r\nYearEndHoliday=on\r\n",
       [](IniSettings& s) { s.DayTables.Tables[0] = 0; }},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadOverDefaults(Utf8ToCp932(c.text).value()), DefaultsWith(c.change)) << c.text;
  }
}

TEST(IniFile, DayTablesAreWrittenOnlyWhileTheClockChoosesAndThenRoundTrip) {
  TempFolder folder;
  IniSettings s;
  SetIniDefaults(s);
  // Off, even with the other two set: the file stays what an older program writes.
  s.DayTables.DayStartHour = 5;
  s.DayTables.YearEndHoliday = true;
  WriteIniFile(s, folder.path());
  EXPECT_EQ(test::ReadBytes(folder / kIniFileName), test::Golden("default_settings.ini"));

  s.DayTables.Tables = {-1, -1, 0};
  WriteIniFile(s, folder.path());
  const std::string bytes = test::ReadBytes(folder / kIniFileName);
  EXPECT_EQ(bytes, test::Golden("default_settings.ini") +
                       "DayTable_Weekday=-1\r\nDayTable_Saturday=-1\r\nDayTable_Holiday=0\r\n"
                       "DayStartHour=5\r\nYearEndHoliday=ON\r\n");
  IniSettings back;
  ReadIniFile(back, folder.path());
  EXPECT_EQ(back, s);

  s.DayTables = {{8, 1, 1}, 0, false};
  WriteIniFile(s, folder.path());
  ReadIniFile(back, folder.path());
  EXPECT_EQ(back, s);
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
      {{false, DesktopSettings::AlertNotify, true, true},
       "TrayIcon=OFF\r\nAlertStyle=NOTIFY\r\nDimPassed=ON\r\nFollowSaves=ON\r\n"},
      {{true, DesktopSettings::AlertBoth, false, true}, "FollowSaves=ON\r\n"},
      {{true, DesktopSettings::AlertBoth, false, false, true}, "DailyRefresh=ON\r\n"},
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
  test::WriteCp932(folder / kIniFileName,
                   "TrayIcon=off\r\nAlertStyle=BOTH\r\nDimPassed=1\r\nFollowSaves=on\r\n");
  ReadIniFile(s, folder.path());
  EXPECT_EQ(s.Desktop, DesktopSettings{});
}

// Only the clock's window makes a missing file; a program that only looks leaves none behind.
TEST(IniFile, LookingAtAMissingFileGivesTheDefaultsAndMakesNone) {
  TempFolder folder;
  IniSettings defaults;
  SetIniDefaults(defaults);
  EXPECT_EQ(ReadIniOverDefaults(folder.path()), defaults);
  EXPECT_FALSE(std::filesystem::exists(folder / kIniFileName));
}

// Files saved by a Linux text editor, or damaged by one, read as far as they can be read;
// the file itself is never rewritten.
TEST(IniFile, UnicodeFilesAndBrokenLines) {
  const std::string utf8 = "CommentText_1=ﾊﾞｽ 通過\r\nCommentColor_1=255\r\n";
  const auto cp932 = [](std::string_view text) { return Utf8ToCp932(text).value(); };
  const struct {
    const char* what;
    std::string bytes;
    std::function<void(IniSettings&)> change;
  } cases[] = {
      {"UTF-8 with a byte order mark", "\xEF\xBB\xBF" + utf8,
       [](IniSettings& s) {
         s.Comments[1] = {"ﾊﾞｽ 通過", 255};
       }},
      {"UTF-8 without one", utf8,
       [](IniSettings& s) {
         s.Comments[1] = {"ﾊﾞｽ 通過", 255};
       }},
      {"a byte order mark before ASCII only", "\xEF\xBB\xBFMoveTimes_Min=2\r\n",
       [](IniSettings& s) { s.MoveTimes_Min = 2; }},
      {"a line of neither among CP932 ones",
       cp932("CommentText_0=終電\r\n") + "CommentText_2=\xFD\xFE\r\nMoveTimes_Min=5\r\n",
       [](IniSettings& s) {
         s.Comments[0].Text = "終電";
         s.MoveTimes_Min = 5;
       }},
      {"a UTF-8 line added to a CP932 file", cp932("CommentText_0=終電\r\n") + utf8,
       [](IniSettings& s) {
         s.Comments[0].Text = "終電";
         s.Comments[1] = {"ﾊﾞｽ 通過", 255};
       }},
      // The cut character would be a valid CP932 one; the byte order mark says it is not.
      {"a cut line in a UTF-8 file",
       "\xEF\xBB\xBF"
       "CommentText_1=\xE6\x9D\r\nCommentText_0=終点\r\n",
       [](IniSettings& s) { s.Comments[0].Text = "終点"; }},
      // These CP932 bytes are valid UTF-8 too ("б", a combining mark): the file is CP932.
      {"half-width katakana that look like UTF-8",
       cp932("CommentText_0=ﾐｱ\r\nCommentText_1=ﾌ前\r\n"),
       [](IniSettings& s) {
         s.Comments[0].Text = "ﾐｱ";
         s.Comments[1].Text = "ﾌ前";
       }},
      // What is read must save again: the geta mark for what CP932 cannot hold, and a byte
      // order mark left inside a line goes.
      {"characters the file cannot hold", "CommentText_2=🚌 来\xEF\xBB\xBFます\r\n",
       [](IniSettings& s) { s.Comments[2].Text = "〓 来ます"; }},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadOverDefaults(c.bytes), DefaultsWith(c.change)) << c.what;
  }
}

}  // namespace
}  // namespace v42
