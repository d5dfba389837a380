// The login entry: where it goes, that any program path survives the desktop's quoting rules,
// and that the desktop's own switch (Hidden) shows as off.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "Autostart.h"
#include "Model.h"

namespace v42 {
namespace {

class AutostartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "v42autostart.XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    home_ = pattern;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME"}) {
      if (const char* value = std::getenv(name)) saved_.emplace_back(name, value);
    }
    ::setenv("HOME", home_.c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
  }
  void TearDown() override {
    ::unsetenv("XDG_CONFIG_HOME");
    for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
    std::filesystem::remove_all(home_);
  }
  std::string ExecLine(const std::string& path) {
    const std::string entry = AutostartEntry(path);
    const std::size_t start = entry.find("\nExec=") + 1;
    return entry.substr(start, entry.find('\n', start) - start);
  }

  std::filesystem::path home_;
  std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(AutostartTest, TheEntryGoesToTheConfigFolderAndComesAndGoesWithTheSwitch) {
  EXPECT_EQ(AutostartFile(), home_ / ".config/autostart/io.github.velkan42.Velkan42.desktop");
  ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
  EXPECT_EQ(AutostartFile(), home_ / ".config/autostart/io.github.velkan42.Velkan42.desktop");
  ::setenv("XDG_CONFIG_HOME", (home_ / "cfg").c_str(), 1);
  const std::filesystem::path file = home_ / "cfg/autostart/io.github.velkan42.Velkan42.desktop";
  EXPECT_EQ(AutostartFile(), file);

  EXPECT_FALSE(StartsAtLogin());
  SetStartAtLogin(true, "/usr/bin/Velkan42");
  ASSERT_TRUE(std::filesystem::is_regular_file(file));
  EXPECT_TRUE(StartsAtLogin());
  // The desktop's session settings switch an entry off by hiding it.
  std::ofstream(file, std::ios::app) << "Hidden=true\n";
  EXPECT_FALSE(StartsAtLogin());
  SetStartAtLogin(true, "/usr/bin/Velkan42");
  EXPECT_TRUE(StartsAtLogin());
  SetStartAtLogin(false, {});
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_NO_THROW(SetStartAtLogin(false, {}));  // already off
  // The desktop checks the entry's form when it is installed with the programs.
  if (std::system("command -v desktop-file-validate >/dev/null") == 0) {
    SetStartAtLogin(true, "/opt/my apps/Velkan42");
    EXPECT_EQ(std::system(("desktop-file-validate '" + file.string() + "'").c_str()), 0);
  }
}

TEST_F(AutostartTest, AnyProgramPathIsQuotedSoItStartsThatProgram) {
  EXPECT_EQ(ExecLine("/usr/bin/Velkan42"), "Exec=\"/usr/bin/Velkan42\"");
  EXPECT_EQ(ExecLine("/home/a b/100%/Velkan42"), "Exec=\"/home/a b/100%%/Velkan42\"");
  // Quote, backquote and dollar take one escaping backslash, written twice in the file; a
  // backslash takes four.
  EXPECT_EQ(ExecLine("/x\"y`z$w\\v"), "Exec=\"/x\\\\\"y\\\\`z\\\\$w\\\\\\\\v\"");
  // A line break would start a key of its own in the entry.
  EXPECT_THROW(AutostartEntry("/tmp/a\nHidden=true/Velkan42"), FileError);
  EXPECT_THROW(SetStartAtLogin(true, "/tmp/a\rb"), FileError);
  EXPECT_FALSE(StartsAtLogin());
}

}  // namespace
}  // namespace v42
