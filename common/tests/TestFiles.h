// Temporary folders and raw file access for the core's tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>

#include "Model.h"
#include "TextCodec.h"

namespace v42::test {

// The line every timetable file starts with.
inline constexpr const char* kDeparturesLine = "******[JikokuData]******\r\n";

// A fresh folder per test, removed with everything in it afterwards.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "v42core.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

inline std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Writes UTF-8 text as the CP932 file the programs expect.
inline void WriteCp932(const std::filesystem::path& file, std::string_view utf8) {
  const auto bytes = Utf8ToCp932(utf8);
  ASSERT_TRUE(bytes.has_value());
  WriteBytes(file, *bytes);
}

inline std::string Golden(std::string_view name) {
  return ReadBytes(std::filesystem::path(V42_GOLDEN_DIR) / name);
}

// Expects `act` to raise FileError with this caption (and message, when given) and returns its
// message. Only a write error leaves the program running.
inline std::string ExpectFileError(const std::function<void()>& act, std::string_view caption,
                                   std::string_view message = {}, std::string_view what = {}) {
  try {
    act();
    ADD_FAILURE() << what << ": no error";
  } catch (const FileError& e) {
    EXPECT_EQ(e.Caption, caption) << what;
    EXPECT_EQ(e.EndsProgram, caption != "ファイル書込エラー") << what;
    if (!message.empty()) {
      EXPECT_EQ(std::string_view(e.what()), message) << what;
    }
    return e.what();
  }
  return {};
}

}  // namespace v42::test
