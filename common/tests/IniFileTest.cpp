#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "IniFile.h"
#include "TestFiles.h"

namespace v42 {
namespace {

using test::TempFolder;

IniSettings Defaults() {
  IniSettings s;
  s.ApplicationFontColor = 4210752;
  s.ApplicationBackColor = 12632256;
  s.Comments = {
      {{"運行は終了しました。", 16512}, {"通過しました。", 255}, {"もうすぐ来ます。", 8454143}}};
  s.MessageTimes_Min = 3;
  s.MessageSoundFlag = 0;
  s.MessageBlinkFlag = 1;
  s.MoveTimes_Min = 0;
  return s;
}

TEST(IniFile, FirstRunCreatesTheTwelveDefaultLines) {
  TempFolder folder;
  IniSettings settings;
  ReadIniFile(settings, folder.path());
  EXPECT_EQ(settings, Defaults());
  EXPECT_EQ(test::ReadBytes(folder / kIniFileName), test::Golden("default_settings.ini"));

  IniSettings again;
  ReadIniFile(again, folder.path());
  EXPECT_EQ(again, Defaults());
}

TEST(IniFile, AnUnreadableFileIsNotOverwrittenWithTheDefaults) {
  TempFolder folder;
  std::filesystem::create_directory(folder / kIniFileName);
  IniSettings settings;
  ReadIniFile(settings, folder.path());
  EXPECT_EQ(settings, Defaults());
  EXPECT_TRUE(std::filesystem::is_directory(folder / kIniFileName));
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
      {"ApplicationBackColor=0\r\n", [](IniSettings& s) { s.ApplicationBackColor = kBlack; }},
      {"ApplicationFontColor=abc\r\n", [](IniSettings& s) { s.ApplicationFontColor = kBlack; }},
      {"ApplicationFontColor= 255 \r\n", [](IniSettings& s) { s.ApplicationFontColor = 255; }},
      {"ApplicationFontColor=99999999999\r\n", [](IniSettings&) {}},
      {"CommentColor_2=\r\n", [](IniSettings& s) { s.Comments[2].Color = kBlack; }},
      {"CommentText_0=  空 白  \r\n", [](IniSettings& s) { s.Comments[0].Text = "  空 白  "; }},
      {"CommentText_1=\r\n", [](IniSettings& s) { s.Comments[1].Text.clear(); }},
      {"MessageTimes_Min=5.5\r\n", [](IniSettings& s) { s.MessageTimes_Min = 6; }},
      {"MessageTimes_Min= 10分\r\n", [](IniSettings& s) { s.MessageTimes_Min = 10; }},
      {"MoveTimes_Min=-3\r\n", [](IniSettings& s) { s.MoveTimes_Min = -3; }},
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
    IniSettings settings = Defaults();
    ReadIniFile(settings, folder.path());
    IniSettings expected = Defaults();
    c.change(expected);
    EXPECT_EQ(settings, expected) << c.text;
  }
}

TEST(IniFile, WrittenSettingsReadBackTheSame) {
  TempFolder folder;
  IniSettings s = Defaults();
  s.ApplicationBackColor = kBlack;
  s.Comments[0] = {" 終電 = 出発 ", -16777216};
  s.MessageTimes_Min = -32768;
  s.MoveTimes_Min = 32767;
  s.MessageSoundFlag = 2;
  s.MessageBlinkFlag = 0;
  s.MessageSoundFile = "/home/a/b=c ﾐﾃﾞｨ.mid";
  WriteIniFile(s, folder.path());
  const std::string text = *Cp932ToUtf8(test::ReadBytes(folder / kIniFileName));
  EXPECT_NE(text.find("ApplicationBackColor=65793\r\n"), std::string::npos);
  EXPECT_NE(text.find("MessageBlinkFlag=OFF\r\nMessageSoundFlag=SOUNDFILE\r\n"
                      "MessageSoundFile=/home/a/b=c ﾐﾃﾞｨ.mid\r\n"),
            std::string::npos);
  IniSettings back;
  ReadIniFile(back, folder.path());
  EXPECT_EQ(back, s);
  // An unknown flag value is written as the word the reader maps it to.
  s.MessageSoundFlag = 7;
  s.MessageBlinkFlag = 9;
  WriteIniFile(s, folder.path());
  ReadIniFile(back, folder.path());
  EXPECT_EQ(back.MessageSoundFlag, 0);
  EXPECT_EQ(back.MessageBlinkFlag, 1);
}

TEST(IniFile, BytesThatAreNotCp932AreTheFormatError) {
  TempFolder folder;
  test::WriteBytes(folder / kIniFileName, "CommentText_0=\xFD\xFE\r\n");
  IniSettings settings;
  try {
    ReadIniFile(settings, folder.path());
    ADD_FAILURE() << "no error";
  } catch (const FileError& e) {
    EXPECT_STREQ(e.what(), "velkan42.iniのファイル形式が不正です。");
    EXPECT_EQ(e.Caption, "ファイル形式エラー");
  }
}

}  // namespace
}  // namespace v42
