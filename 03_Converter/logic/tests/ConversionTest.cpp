#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "Conversion.h"
#include "DataFile.h"
#include "IniFile.h"
#include "TestFiles.h"
#include "V1FileAccess.h"

namespace v42 {
namespace {

namespace fs = std::filesystem;
using TestFolder = test::TempFolder;
using test::ReadBytes;

std::string Utf8Of(const fs::path& file) {
  return Cp932ToUtf8(ReadBytes(file)).value_or("<not CP932>");
}

const fs::path kV1Example = V42_V1_EXAMPLE_DIR;
const fs::path kCurrentGolden = fs::path(V42_GOLDEN_DIR) / "current";

constexpr const char* kFromV1Notice = "v1.xxからv2.1xに変換しました。";
constexpr const char* kToV1Notice = "v2.xxからv1.22に変換しました。";

void CopyInto(const fs::path& from, const TestFolder& folder) {
  fs::copy(from, folder.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

TEST(ConvertTest, VersionOneFolderBecomesTheExpectedCurrentFiles) {
  TestFolder folder;
  CopyInto(kV1Example, folder);
  EXPECT_EQ(Convert(folder / "Data00.dat", folder / "velkan42.ini"), kFromV1Notice);
  EXPECT_FALSE(fs::exists(folder / "Data00.dat"));
  EXPECT_EQ(ReadBytes(folder / "velkan42.dat"), ReadBytes(kCurrentGolden / "velkan42.dat"));
  EXPECT_EQ(ReadBytes(folder / "velkan42.ini"), ReadBytes(kCurrentGolden / "velkan42.ini"));
}

TEST(ConvertTest, CurrentFilesBecomeTheVersionOneFolder) {
  TestFolder folder;
  CopyInto(kCurrentGolden, folder);
  EXPECT_EQ(Convert(folder / "velkan42.dat", folder / "velkan42.ini"), kToV1Notice);
  EXPECT_FALSE(fs::exists(folder / "velkan42.dat"));
  EXPECT_EQ(ReadBytes(folder / "Data00.dat"), ReadBytes(kV1Example / "Data00.dat"));
  EXPECT_EQ(ReadBytes(folder / "velkan42.ini"), ReadBytes(kV1Example / "velkan42.ini"));
}

TimetableStore ThreeTimetables() {
  TimetableStore store;
  store.Count = 3;
  const char* titles[] = {"平日", "土休日 ソ", "臨時"};
  for (int t = 0; t < 3; ++t) {
    TimetableRecord& record = store.Records[t];
    record.Title = titles[t];
    for (int r = 0; r < 4 + t; ++r) {
      record.Departures[r][0].Value = std::uint8_t((5 + r) % 24);
      for (int s = 1; s <= (r == 2 ? 30 : r); ++s) {
        record.Departures[r][s] =
            DepartureCell{std::uint8_t(s * 2 - 1), std::uint8_t(s % 3 ? 0 : 'a' + t)};
      }
    }
    for (int i = 0; i < kTypeCount; ++i) {
      record.Types[i] = TypeEntry{"種" + std::to_string(t) + "_" + std::to_string(i),
                                  i % 4 ? 0x102030 * i : kBlack, kWhite, i % 2 == 1, i % 3 == 1};
    }
    record.Types[1].BackColor = 0x00FFFF;  // lost on the way: version 1 had no background
    record.GridColors.NextBackColor = 0x00FF00;
  }
  return store;
}

IniSettings SomeSettings() {
  IniSettings settings;
  SetIniDefaults(settings);
  settings.ApplicationFontColor = kBlack;
  settings.ApplicationBackColor = 0x123456;
  settings.Comments = {CommentEntry{"終了", kBlack}, CommentEntry{" 通過 ", 77},
                       CommentEntry{"", 8454143}};
  settings.MessageTimes_Min = -4;
  settings.MoveTimes_Min = 12;
  settings.MessageBlinkFlag = 0;
  settings.MessageSoundFlag = 1;
  settings.MessageSoundFile = "/home/a/b=c.wav";
  return settings;
}

TEST(ConvertTest, RoundTripKeepsTimetablesFirstTypesAndSettings) {
  TestFolder folder;
  const TimetableStore original = ThreeTimetables();
  const IniSettings settings = SomeSettings();
  WriteDataFile(original, folder.path());
  WriteIniFile(settings, folder.path());

  EXPECT_EQ(Convert(folder / "velkan42.dat", folder / "velkan42.ini"), kToV1Notice);
  EXPECT_EQ(Convert(folder / "Data00.dat", folder / "velkan42.ini"), kFromV1Notice);

  TimetableStore back;
  ReadDataFile(back, folder.path());
  IniSettings backSettings;
  ReadIniFile(backSettings, folder.path());
  EXPECT_EQ(backSettings, settings);
  ASSERT_EQ(back.Count, 3);
  for (int t = 0; t < 3; ++t) {
    SCOPED_TRACE(t);
    EXPECT_EQ(back.Records[t].Title, original.Records[t].Title);
    EXPECT_EQ(back.Records[t].Departures, original.Records[t].Departures);
    EXPECT_EQ(back.Records[t].GridColors, GridColorSet{});
    for (int i = 0; i < kTypeCount; ++i) {
      TypeEntry expected = original.Records[0].Types[i];  // the first timetable's list
      expected.BackColor = kWhite;
      EXPECT_EQ(back.Records[t].Types[i], expected) << i;
    }
  }
}

TEST(ConvertTest, EachOutputLandsBesideItsOwnInput) {
  TestFolder folder;
  fs::create_directories(folder / "data");
  fs::create_directories(folder / "settings");
  fs::copy_file(kV1Example / "Data00.dat", folder / "data" / "Data00.dat");
  fs::copy_file(kV1Example / "velkan42.ini", folder / "settings" / "velkan42.ini");

  Convert(folder / "data" / "Data00.dat", folder / "settings" / "velkan42.ini");
  EXPECT_EQ(ReadBytes(folder / "data" / "velkan42.dat"),
            ReadBytes(kCurrentGolden / "velkan42.dat"));
  EXPECT_EQ(ReadBytes(folder / "settings" / "velkan42.ini"),
            ReadBytes(kCurrentGolden / "velkan42.ini"));
  EXPECT_FALSE(fs::exists(folder / "data" / "velkan42.ini"));
  EXPECT_FALSE(fs::exists(folder / "settings" / "velkan42.dat"));
}

TEST(ConvertTest, MissingSettingsFileIsWrittenFromTheDefaults) {
  TestFolder folder;
  fs::copy_file(kCurrentGolden / "velkan42.dat", folder / "velkan42.dat");
  Convert(folder / "velkan42.dat", folder / "velkan42.ini");
  const std::string text = Utf8Of(folder / "velkan42.ini");
  EXPECT_TRUE(text.starts_with("\"FontColor=4210752\r\nBgColor=12632256\r\n")) << text;
  EXPECT_NE(text.find("Comment03=もうすぐ来ます。\r\n"), std::string::npos);
}

struct Refusal {
  const char* name;
  fs::path timetable, settings;
  const char* message;
};

TEST(ConvertTest, RefusesMissingFilesAndUnexpectedNamesWithoutTouchingAnything) {
  TestFolder folder;
  CopyInto(kV1Example, folder);
  fs::copy_file(kV1Example / "Data00.dat", folder / "data.dat");
  fs::copy_file(kV1Example / "velkan42.ini", folder / "settings.ini");
  fs::create_directories(folder / "sub" / "velkan42.ini");
  const char* timetableMissing = "時刻表データファイルが見つかりません。";
  const Refusal cases[] = {
      {"timetable file missing", folder / "sub" / "Data00.dat", folder / "velkan42.ini",
       timetableMissing},
      {"other timetable name", folder / "data.dat", folder / "velkan42.ini", timetableMissing},
      {"a folder", folder.path() / "", folder / "velkan42.ini", timetableMissing},
      {"other settings name", folder / "Data00.dat", folder / "settings.ini",
       "設定ファイルが見つかりません。"},
      {"settings that cannot be read", folder / "Data00.dat", folder / "sub" / "velkan42.ini",
       "velkan42.iniが見つかりません。"},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      Convert(c.timetable, c.settings);
      ADD_FAILURE() << "converted";
    } catch (const FileError& error) {
      EXPECT_EQ(error.what(), std::string(c.message));
      EXPECT_EQ(error.Caption, "ファイル存在エラー");
      EXPECT_FALSE(error.EndsProgram);
    }
    EXPECT_EQ(ReadBytes(folder / "Data00.dat"), ReadBytes(kV1Example / "Data00.dat"));
    EXPECT_EQ(ReadBytes(folder / "velkan42.ini"), ReadBytes(kV1Example / "velkan42.ini"));
    EXPECT_FALSE(fs::exists(folder / "velkan42.dat"));
  }
}

TEST(ConvertTest, SecondPressReportsTheMissingTimetableFile) {
  TestFolder folder;
  CopyInto(kV1Example, folder);
  Convert(folder / "Data00.dat", folder / "velkan42.ini");
  const std::string converted = ReadBytes(folder / "velkan42.ini");
  try {
    Convert(folder / "Data00.dat", folder / "velkan42.ini");
    ADD_FAILURE() << "converted twice";
  } catch (const FileError& error) {
    EXPECT_EQ(error.what(), std::string("時刻表データファイルが見つかりません。"));
    EXPECT_FALSE(error.EndsProgram);
  }
  EXPECT_EQ(ReadBytes(folder / "velkan42.ini"), converted);
}

TEST(ConvertTest, InputThatCannotBeConvertedChangesNothing) {
  const std::string data = ReadBytes(kV1Example / "Data00.dat");
  const std::string settings = ReadBytes(kV1Example / "velkan42.ini");
  const std::string comma = Utf8Of(kV1Example / "velkan42.ini");
  const struct {
    const char* name;
    std::string data, settingsUtf8;
    bool endsProgram;
  } cases[] = {
      // The reader's own format error, which ends the program.
      {"an empty line in Data00.dat", data + "\r\n", "", true},
      // A "," would split the type line of velkan42.dat; the writer refuses it.
      {"a type name with a comma", data,
       std::string(comma).replace(comma.find("快速"), 6, "快速,急行"), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestFolder folder;
    test::WriteBytes(folder / "Data00.dat", c.data);
    if (c.settingsUtf8.empty()) {
      test::WriteBytes(folder / "velkan42.ini", settings);
    } else {
      test::WriteCp932(folder / "velkan42.ini", c.settingsUtf8);
    }
    const std::string settingsBefore = ReadBytes(folder / "velkan42.ini");
    try {
      Convert(folder / "Data00.dat", folder / "velkan42.ini");
      ADD_FAILURE() << "converted";
    } catch (const FileError& error) {
      EXPECT_EQ(error.EndsProgram, c.endsProgram) << error.what();
    }
    EXPECT_EQ(ReadBytes(folder / "Data00.dat"), c.data);
    EXPECT_EQ(ReadBytes(folder / "velkan42.ini"), settingsBefore);
    EXPECT_FALSE(fs::exists(folder / "velkan42.dat"));
  }
}

// Runs a conversion in a child whose files may not grow beyond `limit` bytes, which stops
// even root; gives 0 when it failed with a FileError that keeps the window open.
int ConvertWithFileSizeLimit(const fs::path& timetable, const fs::path& settings, rlim_t limit) {
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit size{limit, limit};
    setrlimit(RLIMIT_FSIZE, &size);
    try {
      Convert(timetable, settings);
      _exit(1);
    } catch (const FileError& error) {
      _exit(error.EndsProgram ? 2 : 0);
    } catch (...) {
      _exit(3);
    }
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST(ConvertTest, WriteFailureHalfwayLeavesTheInputsAsTheyWere) {
  TestFolder folder;
  CopyInto(kCurrentGolden, folder);
  // Data00.dat (the first output) fits under the limit, the version 1 settings do not.
  ASSERT_LT(fs::file_size(kV1Example / "Data00.dat"), 1024u);
  ASSERT_GT(fs::file_size(kV1Example / "velkan42.ini"), 1024u);

  EXPECT_EQ(ConvertWithFileSizeLimit(folder / "velkan42.dat", folder / "velkan42.ini", 1024), 0);
  EXPECT_EQ(ReadBytes(folder / "velkan42.dat"), ReadBytes(kCurrentGolden / "velkan42.dat"));
  EXPECT_EQ(ReadBytes(folder / "velkan42.ini"), ReadBytes(kCurrentGolden / "velkan42.ini"));
  EXPECT_FALSE(fs::exists(folder / "Data00.dat"));  // the finished first output is taken back
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder.path())) ++files;
  EXPECT_EQ(files, 2u);  // no temporary file left behind either

  // An earlier Data00.dat beside the current files is put back as it was.
  test::WriteBytes(folder / "Data00.dat", "古>\r\n<\r\n");
  EXPECT_EQ(ConvertWithFileSizeLimit(folder / "velkan42.dat", folder / "velkan42.ini", 1024), 0);
  EXPECT_EQ(ReadBytes(folder / "Data00.dat"), "古>\r\n<\r\n");
  EXPECT_EQ(ReadBytes(folder / "velkan42.dat"), ReadBytes(kCurrentGolden / "velkan42.dat"));
}

}  // namespace
}  // namespace v42
