#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "Conversion.h"
#include "DataFile.h"
#include "IniFile.h"
#include "TestFiles.h"
#include "V1FileAccess.h"

namespace v42 {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempFolder;

const fs::path kV1 = V42_V1_EXAMPLE_DIR;
const fs::path kCurrent = fs::path(V42_GOLDEN_DIR) / "current";
constexpr const char* kFromV1Notice = "v1.xxからv2.1xに変換しました。";
constexpr const char* kToV1Notice = "v2.xxからv1.22に変換しました。";

// A temporary folder that starts as a copy of `from`.
struct CopiedFolder : TempFolder {
  explicit CopiedFolder(const fs::path& from) {
    fs::copy(from, path(), fs::copy_options::recursive);
  }
};

// "<caption>|<first line of the message>" of the FileError `call` throws ("" for none), with
// " (ends)" when the error ends the program.
template <typename Call>
std::string FailureOf(Call call) {
  try {
    call();
  } catch (const FileError& error) {
    const std::string message = error.what();
    return error.Caption + "|" + message.substr(0, message.find('\n')) +
           (error.EndsProgram ? " (ends)" : "");
  }
  return "";
}

// Every file and folder below `folder` with its bytes.
std::map<fs::path, std::string> Snapshot(const fs::path& folder) {
  std::map<fs::path, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    files[entry.path()] = entry.is_regular_file() ? ReadBytes(entry.path()) : "<folder>";
  }
  return files;
}

// The number of timetables read from that Data00.dat, or -1 for its format error. UTF-8 text
// is written as CP932; anything else goes in as it is.
int TimetablesRead(const std::string& text) {
  TempFolder folder;
  test::WriteBytes(folder / "Data00.dat", Utf8ToCp932(text).value_or(text));
  TimetableStore store;
  const std::string failure = FailureOf([&] { ReadV1Data(store, folder.path()); });
  if (failure.empty()) return store.Count;
  EXPECT_EQ(failure, "ファイル形式エラー|data00.datのファイル形式が不正です。 (ends)");
  return -1;
}

std::string Blocks(int count, const std::string& rowLine = "6,10a,40") {
  std::string text;
  for (int t = 0; t < count; ++t)
    text += "表" + std::to_string(t) + ">\r\n" + rowLine + "\r\n<\r\n";
  return text;
}

TEST(ReadV1DataTest, LimitsAndMalformedFiles) {
  std::string rows24 = "多い>\r\n", cells31 = "6";
  for (int r = 0; r < 24; ++r) rows24 += std::to_string(r) + ",1\r\n";
  for (int c = 1; c < 31; ++c) cells31 += "," + std::to_string(c);
  const struct {
    const char* name;
    std::string text;
    int read;
  } cases[] = {
      {"nine blocks", Blocks(9), 9},
      {"a tenth block", Blocks(10), -1},
      {"24 row lines", rows24 + "<\r\n", 1},
      {"a 25th row line", rows24 + "24,1\r\n<\r\n", -1},
      {"31 cells", Blocks(1, cells31), 1},
      {"a 32nd cell", Blocks(1, cells31 + ",31"), -1},
      {"no line break after the last block", "題>\r\n6,1\r\n<", 1},
      {"two titles in one block", "甲>\r\n乙>\r\n<\r\n", -1},
      {"a block without a title", "6,1\r\n<\r\n題>\r\n<\r\n", -1},
      {"an empty line between rows", "題>\r\n6,1\r\n\r\n7,2\r\n<\r\n", -1},
      {"an empty line at the end", Blocks(1) + "\r\n", -1},
      {"a value above 255", Blocks(1, "6,256"), -1},
      {"bytes that are not CP932", "\x81\x7f>\r\n<\r\n", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(TimetablesRead(c.text), c.read) << c.name;
}

// Reads that settings text with three timetables loaded, so every type line must reach all
// three and no fourth.
IniSettings ReadSettings(const std::string& text, TimetableStore& store) {
  TempFolder folder;
  test::WriteCp932(folder / "velkan42.ini", text);
  store.Count = 3;
  IniSettings settings;
  ReadV1Settings(settings, store, folder / "velkan42.ini");
  return settings;
}

TEST(ReadV1SettingsTest, NoOpeningQuoteLosesTheFirstKeyAndTypeLinesWaitForTheirTypeFont) {
  TimetableStore store;
  const IniSettings settings = ReadSettings(
      "FontColor=255\r\nBgColor=65280\r\nComIntTime=70000\r\n"
      "TypeCom=甲\r\nTypeCom=乙\r\nTypeColor=255\r\nTypeFont=Bold\r\n"
      "TypeColor=16\r\nTypeFont=bold\r\nTypeCom=丙\r\nTypeFont=Italic\r\n\"",
      store);
  IniSettings defaults;
  SetIniDefaults(defaults);
  // The first key loses its first letter to the missing quote and no longer matches.
  EXPECT_EQ(settings.ApplicationFontColor, defaults.ApplicationFontColor);
  EXPECT_EQ(settings.ApplicationBackColor, 65280);
  EXPECT_EQ(settings.MessageTimes_Min, defaults.MessageTimes_Min);  // outside 16 bits
  for (int t = 0; t < 3; ++t) {
    EXPECT_EQ(store.Records[t].Types[0], (TypeEntry{"乙", 255, kWhite, true, false}));
    EXPECT_EQ(store.Records[t].Types[1], (TypeEntry{"", 16, kWhite, false, false}));
    EXPECT_EQ(store.Records[t].Types[2], (TypeEntry{"丙", kBlack, kWhite, false, true}));
  }
  EXPECT_EQ(store.Records[3].Types[0], TypeEntry{});
}

TEST(ReadV1SettingsTest, ColoursMustBeWholeNumbersAndTypesAtMost26) {
  std::string full26 = "\"";
  for (int i = 0; i < 26; ++i) full26 += "TypeColor=1\r\nTypeCom=x\r\nTypeFont=Normal\r\n";
  const struct {
    std::string text;
    std::optional<Color> comColor02;  // none: the format error
  } cases[] = {
      {"\"ComColor02= 65280 \r\n\"", 65280},      {"\"ComColor02=-2.5\r\n\"", -2},
      {"\"ComColor02=12abc\r\n\"", std::nullopt}, {"\"ComColor02=\r\n\"", std::nullopt},
      {full26 + "TypeCom=y\r\n\"", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    TimetableStore store;
    IniSettings settings;
    EXPECT_EQ(
        FailureOf([&] { settings = ReadSettings(c.text, store); }),
        c.comColor02 ? "" : "ファイル形式エラー|velkan42.iniのファイル形式が不正です。 (ends)");
    EXPECT_EQ(settings.Comments[1].Color, c.comColor02.value_or(settings.Comments[1].Color));
  }
}

// Version 1 had three comments: a key naming a fourth, a zeroth or a longer number is some
// other key, ignored whatever its value, and never reaches past the comments.
TEST(ReadV1SettingsTest, CommentKeysBeyondTheThreeAreIgnored) {
  TimetableStore store;
  const IniSettings settings = ReadSettings(
      "\"Comment04=四\r\nComColor04=12abc\r\nComment00=零\r\nComColor00=5\r\n"
      "Comment011=長\r\nComColor011=7\r\nComment4=短\r\nComColor4=9\r\n\"",
      store);
  IniSettings defaults;
  SetIniDefaults(defaults);
  EXPECT_EQ(settings, defaults);
  EXPECT_EQ(store.Records[0].Types[0], TypeEntry{});
}

TEST(ConvertTest, GoldenFilesBothWaysEachOutputBesideItsOwnInput) {
  const struct {
    fs::path from, expected;
    const char *oldName, *newName, *notice, *settingsFolder;
  } cases[] = {{kV1, kCurrent, "Data00.dat", "velkan42.dat", kFromV1Notice, "settings"},
               {kCurrent, kV1, "velkan42.dat", "Data00.dat", kToV1Notice, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.oldName);
    CopiedFolder folder(c.from);
    const fs::path settings = folder / c.settingsFolder / "velkan42.ini";
    fs::create_directories(settings.parent_path());
    fs::rename(folder / "velkan42.ini", settings);
    EXPECT_EQ(Convert(folder / c.oldName, settings), c.notice);
    EXPECT_FALSE(fs::exists(folder / c.oldName));
    EXPECT_EQ(ReadBytes(folder / c.newName), ReadBytes(c.expected / c.newName));
    EXPECT_EQ(ReadBytes(settings), ReadBytes(c.expected / "velkan42.ini"));
  }
}

TEST(ConvertTest, RoundTripKeepsTimetablesTheFirstTypesAndEverySetting) {
  CopiedFolder folder(kCurrent);
  TimetableStore original;
  ReadDataFile(original, folder.path());
  TimetableStore changed = original;  // other types in the later timetables, which version 1 drops
  for (std::size_t t = 1; t < 3; ++t) {
    changed.Records[t].Types[t] = TypeEntry{"別", 0x102030, kWhite, true, true};
  }
  WriteDataFile(changed, folder.path());
  IniSettings settings;
  ReadIniFile(settings, folder.path());
  settings.MessageTimes_Min = -4;
  settings.MessageBlinkFlag = 0;
  settings.MessageSoundFlag = 1;
  WriteIniFile(settings, folder.path());

  EXPECT_EQ(Convert(folder / "velkan42.dat", folder / "velkan42.ini"), kToV1Notice);
  EXPECT_EQ(Convert(folder / "Data00.dat", folder / "velkan42.ini"), kFromV1Notice);
  TimetableStore back;
  ReadDataFile(back, folder.path());
  EXPECT_EQ(back.Count, 3);
  for (std::size_t t = 0; t < 3; ++t) EXPECT_EQ(back.Records[t], original.Records[t]) << t;
  IniSettings backSettings;
  ReadIniFile(backSettings, folder.path());
  EXPECT_EQ(backSettings, settings);
}

TEST(ConvertTest, MissingSettingsFileIsWrittenFromTheDefaults) {
  TempFolder folder;
  fs::copy_file(kCurrent / "velkan42.dat", folder / "velkan42.dat");
  Convert(folder / "velkan42.dat", folder / "velkan42.ini");
  const std::string text = Cp932ToUtf8(ReadBytes(folder / "velkan42.ini")).value_or("");
  EXPECT_TRUE(text.starts_with("\"FontColor=4210752\r\nBgColor=12632256\r\nComment01=")) << text;
}

TEST(ConvertTest, RefusedOrUnconvertibleInputChangesNothing) {
  CopiedFolder folder(kV1);
  fs::copy_file(kV1 / "Data00.dat", folder / "data.dat");
  fs::copy_file(kV1 / "velkan42.ini", folder / "settings.ini");
  fs::create_directories(folder / "sub/velkan42.ini");
  // A "," would split the type line of velkan42.dat; the writer refuses it.
  fs::create_directories(folder / "comma");
  fs::copy_file(kV1 / "Data00.dat", folder / "comma/Data00.dat");
  std::string ini = Cp932ToUtf8(ReadBytes(kV1 / "velkan42.ini")).value_or("");
  test::WriteCp932(folder / "comma/velkan42.ini", ini.replace(ini.find("快速"), 6, "快速,急行"));
  const auto before = Snapshot(folder.path());

  const std::string missing = "ファイル存在エラー|時刻表データファイルが見つかりません。";
  const struct {
    const char* name;
    fs::path timetable, settings;
    std::string failure;
  } cases[] = {
      {"timetable file missing", folder / "sub/Data00.dat", folder / "velkan42.ini", missing},
      {"other timetable name", folder / "data.dat", folder / "velkan42.ini", missing},
      {"other settings name", folder / "Data00.dat", folder / "settings.ini",
       "ファイル存在エラー|設定ファイルが見つかりません。"},
      {"settings that cannot be read", folder / "Data00.dat", folder / "sub/velkan42.ini",
       "ファイル読込エラー|velkan42.iniを読み込めませんでした。"},
      {"a type name with a comma", folder / "comma/Data00.dat", folder / "comma/velkan42.ini",
       "ファイル書込エラー|種別名「快速,急行」には"
       "velkan42.datに保存できない文字が含まれています。"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FailureOf([&] { Convert(c.timetable, c.settings); }), c.failure) << c.name;
    EXPECT_EQ(Snapshot(folder.path()), before) << c.name;
  }
}

TEST(ConvertTest, WriteFailureHalfwayChangesNothing) {
  // Data00.dat (the first output) fits under 1024 bytes, the version 1 settings do not.
  ASSERT_LT(fs::file_size(kV1 / "Data00.dat"), 1024u);
  CopiedFolder folder(kCurrent);
  // The finished Data00.dat is taken back, and an earlier one is put back as it was.
  for (bool earlierV1File : {false, true}) {
    if (earlierV1File) test::WriteBytes(folder / "Data00.dat", "古>\r\n<\r\n");
    const auto before = Snapshot(folder.path());
    // A child whose files cannot grow beyond 1024 bytes, even as root, gets a write error
    // that keeps the window open.
    const pid_t child = fork();
    if (child == 0) {
      signal(SIGXFSZ, SIG_IGN);
      const rlimit size{1024, 1024};
      setrlimit(RLIMIT_FSIZE, &size);
      const std::string failure =
          FailureOf([&] { Convert(folder / "velkan42.dat", folder / "velkan42.ini"); });
      _exit(failure.starts_with("ファイル書込エラー|") && !failure.ends_with(" (ends)") ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Snapshot(folder.path()), before) << earlierV1File;
  }
}

}  // namespace
}  // namespace v42

namespace v42 {
namespace {

// A damaged timetable or settings file is refused: nothing is converted and nothing deleted.
TEST(ConvertTest, DamagedCurrentFilesAreRefusedAndKept) {
  const struct {
    const char* name;
    const char* file;
    std::string bytes;
    const char* caption;
  } cases[] = {
      {"empty timetables", "velkan42.dat", "", "ファイル形式エラー"},
      {"zeroed timetables", "velkan42.dat", std::string(512, '\0'), "ファイル形式エラー"},
      {"timetables without section lines", "velkan42.dat", "t>\r\n6,5\r\n<\r\n",
       "ファイル形式エラー"},
      {"UTF-16 settings", "velkan42.ini", std::string("\xFF\xFE=\0\r\0\n\0", 8),
       "ファイル形式エラー"},
  };
  for (const auto& c : cases) {
    CopiedFolder folder(kCurrent);
    test::WriteBytes(folder / c.file, c.bytes);
    const auto before = Snapshot(folder.path());
    const std::string failure =
        FailureOf([&] { Convert(folder / "velkan42.dat", folder / "velkan42.ini"); });
    EXPECT_EQ(failure.substr(0, failure.find('|')), c.caption) << c.name << ": " << failure;
    EXPECT_EQ(Snapshot(folder.path()), before) << c.name;
  }
}

}  // namespace
}  // namespace v42
