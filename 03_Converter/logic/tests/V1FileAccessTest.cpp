#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "IniFile.h"
#include "TestFiles.h"
#include "V1FileAccess.h"

namespace v42 {
namespace {

using TestFolder = test::TempFolder;

void ExpectFileError(const std::function<void()>& call, const std::string& message,
                     const std::string& caption) {
  try {
    call();
    ADD_FAILURE() << "no FileError, expected " << message;
  } catch (const FileError& error) {
    EXPECT_EQ(error.what(), message);
    EXPECT_EQ(error.Caption, caption);
  }
}

std::string Blocks(int count, const std::string& rowLine = "6,10a,40") {
  std::string text;
  for (int t = 0; t < count; ++t)
    text += "表" + std::to_string(t) + ">\r\n" + rowLine + "\r\n<\r\n";
  return text;
}

std::string ManyRows(int rows) {
  std::string text = "多い>\r\n";
  for (int r = 0; r < rows; ++r) text += std::to_string(r) + ",1\r\n";
  return text + "<\r\n";
}

std::string Cells(int count) {
  std::string line = "6";
  for (int c = 1; c < count; ++c) line += "," + std::to_string(c);
  return line;
}

TEST(ReadV1DataTest, AcceptsTheLargestFiles) {
  const struct {
    const char* name;
    std::string text;
    int count;
  } cases[] = {
      {"nine blocks", Blocks(9), 9},
      {"24 row lines", ManyRows(24), 1},
      {"31 cells", Blocks(1, Cells(31)), 1},
      {"no line break after the last block", "題>\r\n6,1\r\n<", 1},
      {"only a title", "題>\r\n<\r\n", 1},
      {"empty file", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestFolder folder;
    test::WriteCp932(folder / "Data00.dat", c.text);
    TimetableStore store;
    ReadV1Data(store, folder.path());
    EXPECT_EQ(store.Count, c.count);
  }
}

TEST(ReadV1DataTest, MalformedFilesAreTheFormatError) {
  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"a tenth block", Blocks(10)},
      {"anything after the ninth block", Blocks(9) + "x"},
      {"a 25th row line", ManyRows(25)},
      {"a 32nd cell", Blocks(1, Cells(32))},
      {"two titles in one block", "甲>\r\n乙>\r\n<\r\n"},
      {"a block without a title", "6,1\r\n<\r\n題>\r\n<\r\n"},
      {"an empty line between rows", "題>\r\n6,1\r\n\r\n7,2\r\n<\r\n"},
      {"an empty line at the end", Blocks(1) + "\r\n"},
      {"a value above 255", Blocks(1, "6,256")},
      {"a cell ending in a double-byte character", Blocks(1, "6,10あ")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestFolder folder;
    test::WriteCp932(folder / "Data00.dat", c.text);
    TimetableStore store;
    ExpectFileError([&] { ReadV1Data(store, folder.path()); },
                    "data00.datのファイル形式が不正です。", "ファイル形式エラー");
  }
  TestFolder folder;
  test::WriteBytes(folder / "Data00.dat", "\x81\x7f>\r\n<\r\n");  // not CP932
  TimetableStore store;
  ExpectFileError([&] { ReadV1Data(store, folder.path()); }, "data00.datのファイル形式が不正です。",
                  "ファイル形式エラー");
}

TEST(ReadV1DataTest, MissingFileIsReported) {
  TestFolder folder;
  TimetableStore store;
  store.Count = 4;
  ExpectFileError([&] { ReadV1Data(store, folder.path()); }, "data00.datが見つかりません。",
                  "ファイル存在エラー");
  EXPECT_EQ(store.Count, 0);
}

// Three loaded timetables, so every type line must reach all three and no fourth.
IniSettings ReadSettings(const std::string& text, TimetableStore& store) {
  TestFolder folder;
  test::WriteCp932(folder / "velkan42.ini", text);
  store.Count = 3;
  IniSettings settings;
  ReadV1Settings(settings, store, folder / "velkan42.ini");
  return settings;
}

TEST(ReadV1SettingsTest, TypeLinesWaitForTheirTypeFont) {
  TimetableStore store;
  ReadSettings(
      "\"TypeCom=甲\r\nTypeCom=乙\r\nTypeColor=255\r\nTypeFont=Bold\r\n"
      "TypeColor=16\r\nTypeFont=bold\r\nTypeCom=丙\r\nTypeFont=Italic\r\n\"",
      store);
  for (int t = 0; t < 3; ++t) {
    EXPECT_EQ(store.Records[t].Types[0], (TypeEntry{"乙", 255, kWhite, true, false}));
    EXPECT_EQ(store.Records[t].Types[1], (TypeEntry{"", 16, kWhite, false, false}));
    EXPECT_EQ(store.Records[t].Types[2], (TypeEntry{"丙", kBlack, kWhite, false, true}));
  }
  EXPECT_EQ(store.Records[3].Types[0], TypeEntry{});
}

TEST(ReadV1SettingsTest, OpeningQuoteAndClosingLineBreak) {
  TimetableStore store;
  IniSettings defaults;
  SetIniDefaults(defaults);
  // Without its opening quote the first key loses its first letter and no longer matches.
  IniSettings noQuote = ReadSettings("FontColor=255\r\nBgColor=65280\r\n\"", store);
  EXPECT_EQ(noQuote.ApplicationFontColor, defaults.ApplicationFontColor);
  EXPECT_EQ(noQuote.ApplicationBackColor, 65280);

  const std::string body =
      "\"FontColor=255\r\nMsgBlink=off\r\nMsgSound=beep\r\nComIntTime=70000\r\n";
  for (const std::string& text : {body + "\"", body + "\"\r\n"}) {
    IniSettings settings = ReadSettings(text, store);
    EXPECT_EQ(settings.ApplicationFontColor, 255);
    EXPECT_EQ(settings.MessageBlinkFlag, 1);  // words are compared exactly
    EXPECT_EQ(settings.MessageSoundFlag, 0);
    EXPECT_EQ(settings.MessageTimes_Min, defaults.MessageTimes_Min);  // outside 16 bits
    EXPECT_EQ(settings.Comments, defaults.Comments);
  }

  TestFolder folder;
  IniSettings missing;
  ReadV1Settings(missing, store, folder / "velkan42.ini");
  EXPECT_EQ(missing, defaults);
}

TEST(ReadV1SettingsTest, CommentColoursMustBeWholeNumbers) {
  const struct {
    const char* value;
    Color color;
  } good[] = {{"255", 255}, {" 65280 ", 65280}, {"2.5", 2}, {"-1", -1}, {"0", 0}};
  for (const auto& c : good) {
    SCOPED_TRACE(c.value);
    TimetableStore store;
    EXPECT_EQ(
        ReadSettings(std::string("\"ComColor02=") + c.value + "\r\n\"", store).Comments[1].Color,
        c.color);
  }
}

TEST(ReadV1SettingsTest, MalformedFilesAreTheFormatError) {
  std::string full26;
  for (int i = 0; i < 26; ++i) full26 += "TypeColor=1\r\nTypeCom=x\r\nTypeFont=Normal\r\n";
  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"a colour with trailing letters", "\"ComColor01=12abc\r\n\""},
      {"an empty colour", "\"ComColor03=\r\n\""},
      {"a colour beyond 32 bits", "\"FontColor=4294967296\r\n\""},
      {"a 27th TypeFont", "\"" + full26 + "TypeFont=Bold\r\n\""},
      {"a TypeCom after the 26th type", "\"" + full26 + "TypeCom=y\r\n\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TimetableStore store;
    ExpectFileError([&] { ReadSettings(c.text, store); }, "velkan42.iniのファイル形式が不正です。",
                    "ファイル形式エラー");
  }
}

}  // namespace
}  // namespace v42
