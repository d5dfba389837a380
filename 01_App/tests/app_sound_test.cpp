// The alert's sound through SDL's disk driver: what would be heard lands in a file.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "AlertSound.h"
#include "SoundFiles.h"

namespace fs = std::filesystem;
using v42::AlertSound;
using v42::PlayKind;

namespace {

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("v42 sound " + std::to_string(::getpid()));
    fs::create_directories(dir_);
    out_ = dir_ / "heard.raw";
    setenv("SDL_DISKAUDIOFILE", out_.c_str(), 1);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Non-zero 16-bit samples written to the disk device (after it was closed and flushed).
  long NonSilent() const {
    std::ifstream in(out_, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    long count = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
      if (bytes[i] != 0 || bytes[i + 1] != 0) ++count;
    return count;
  }
  std::uintmax_t Heard() const { return fs::exists(out_) ? fs::file_size(out_) : 0; }

  fs::path dir_, out_;
};

TEST_F(SoundTest, OneBeepIsHeardAndReleased) {
  AlertSound sound;
  sound.Beep();
  ASSERT_TRUE(sound.IsOpen());
  SDL_Delay(400);
  sound.Stop();
  EXPECT_FALSE(sound.IsOpen());
  EXPECT_GT(NonSilent(), 44100 / 20);
}

TEST_F(SoundTest, AWaveWithBlanksInItsPathPlaysAndClosingCutsItOff) {
  const fs::path wav = dir_ / "my alerts" / "tone.WaV";
  fs::create_directories(wav.parent_path());
  v42::test::WriteToneWav(wav, 5000);
  AlertSound sound;
  EXPECT_EQ(sound.PlayFile(wav.string()), PlayKind::Wave);
  SDL_Delay(500);
  sound.Stop();
  const auto heard = Heard();
  EXPECT_GT(NonSilent(), 44100 / 4);
  // Five seconds of stereo 16-bit would be 882000 bytes: the rest was never played.
  EXPECT_LT(heard, 882000u / 2);
  SDL_Delay(300);
  EXPECT_EQ(Heard(), heard);
}

TEST_F(SoundTest, AMidiFilePlaysThroughTheSoundfontUntilClosed) {
  const fs::path mid = dir_ / "tune.Mid";
  v42::test::WriteNoteMidi(mid);
  AlertSound sound;
  EXPECT_EQ(sound.PlayFile(mid.string()), PlayKind::Midi);
  SDL_Delay(900);
  sound.Stop();
  EXPECT_GT(NonSilent(), 44100 / 4);
  const auto heard = Heard();
  SDL_Delay(300);
  EXPECT_EQ(Heard(), heard);
}

TEST_F(SoundTest, WhatCannotPlayStaysSilentWithoutOpeningTheDevice) {
  v42::test::WriteToneWav(dir_ / "tone.wav.txt", 200);
  v42::test::WriteToneWav(dir_ / "x.mp3", 200);
  for (const std::string& name :
       {(dir_ / "missing.wav").string(), std::string("a.w"), std::string(),
        (dir_ / "tone.wav.txt").string(), (dir_ / "x.mp3").string()}) {
    AlertSound sound;
    EXPECT_EQ(sound.PlayFile(name), PlayKind::None) << name;
    EXPECT_FALSE(sound.IsOpen()) << name;
  }
  EXPECT_EQ(Heard(), 0u);
}

}  // namespace

int main(int argc, char** argv) {
  // Replaces the silent dummy driver of the test environment.
  setenv("SDL_AUDIODRIVER", "disk", 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
