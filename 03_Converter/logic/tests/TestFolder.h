// A fresh temporary folder per test and byte-level file helpers.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

#include "TextCodec.h"

namespace v42::test {

class TestFolder {
 public:
  TestFolder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("v42convert-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~TestFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

inline std::string Bytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream(file, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// Writes UTF-8 test text as the CP932 bytes the programs meet on disk.
inline void WriteCp932(const std::filesystem::path& file, std::string_view utf8) {
  const std::optional<std::string> bytes = Utf8ToCp932(utf8);
  ASSERT_TRUE(bytes.has_value());
  WriteBytes(file, *bytes);
}

inline std::string Utf8Of(const std::filesystem::path& file) {
  return Cp932ToUtf8(Bytes(file)).value_or("<not CP932>");
}

}  // namespace v42::test
