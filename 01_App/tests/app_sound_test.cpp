// The alert's sound through SDL's disk driver: what would be heard lands in a file.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "AlertSound.h"
#include "SoundDevice.h"
#include "SoundFiles.h"

namespace fs = std::filesystem;
using v42::AlertSound;
using v42::PlayKind;

namespace {

using namespace std::chrono_literals;

bool Loaded(const char* library) {
  void* handle = dlopen(library, RTLD_NOW | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);
  return handle != nullptr;
}

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
  // Waits until the device has written this many more bytes (it writes in real time).
  void WaitHeard(std::uintmax_t bytes) const {
    const std::uintmax_t until = Heard() + bytes;
    for (int i = 0; i < 500 && Heard() < until; ++i) std::this_thread::sleep_for(10ms);
    ASSERT_GE(Heard(), until);
  }

  fs::path dir_, out_;
};

// The beep needs SDL alone: a clock that only beeps never loads the mixer and its decoders.
TEST_F(SoundTest, OneBeepIsHeardAndReleasedWithoutTheMixer) {
  const bool mixerBefore = Loaded(v42::kMixerLibrary);
  AlertSound sound;
  sound.Beep();
  ASSERT_TRUE(sound.IsOpen());
  WaitHeard(44100 * 2 * 300 / 1000);  // the 180 ms tone and some silence, as mono 16-bit
  sound.Stop();
  EXPECT_FALSE(sound.IsOpen());
  EXPECT_GT(NonSilent(), 44100 / 20);
  if (!mixerBefore) {
    EXPECT_FALSE(Loaded(v42::kMixerLibrary));
  }
}

TEST_F(SoundTest, AWaveWithBlanksInItsPathPlaysAndClosingCutsItOff) {
  const fs::path wav = dir_ / "my alerts" / "tone.WaV";
  fs::create_directories(wav.parent_path());
  v42::test::WriteToneWav(wav, 5000);
  AlertSound sound;
  EXPECT_EQ(sound.PlayFile(wav.string()), PlayKind::Wave);
  WaitHeard(44100 * 4 / 2);  // half a second of stereo 16-bit
  sound.Stop();
  const auto heard = Heard();
  EXPECT_GT(NonSilent(), 44100 / 4);
  // Five seconds of stereo 16-bit would be 882000 bytes: the rest was never played.
  EXPECT_LT(heard, 882000u / 2);
  std::this_thread::sleep_for(300ms);  // nothing more may come
  EXPECT_EQ(Heard(), heard);
}

TEST_F(SoundTest, AMidiFilePlaysThroughTheSoundfontUntilClosed) {
  const fs::path mid = dir_ / "tune.Mid";
  v42::test::WriteNoteMidi(mid);
  AlertSound sound;
  EXPECT_EQ(sound.PlayFile(mid.string()), PlayKind::Midi);
  WaitHeard(44100 * 4 * 9 / 10);
  sound.Stop();
  EXPECT_GT(NonSilent(), 44100 / 4);
  const auto heard = Heard();
  std::this_thread::sleep_for(300ms);
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

// A library that cannot be opened leaves the alert silent and says which package brings it;
// once it is there again, sound comes back without a restart.
TEST_F(SoundTest, AMissingLibraryIsSilentAndNamedUntilItIsThere) {
  const fs::path wav = dir_ / "tone.wav";
  v42::test::WriteToneWav(wav, 200);
  const struct {
    std::string sdl, mixer, package;
    bool beeps;
  } cases[] = {{(dir_ / "libSDL2-missing.so").string(), v42::kMixerLibrary, "libsdl2-2.0-0", false},
               {v42::kSdlLibrary, (dir_ / "libSDL2_mixer-missing.so").string(),
                "libsdl2-mixer-2.0-0", true}};
  for (const auto& c : cases) {
    v42::SetSoundLibraryFiles(c.sdl, c.mixer);
    AlertSound sound;
    EXPECT_EQ(sound.PlayFile(wav.string()), PlayKind::None);
    EXPECT_FALSE(sound.IsOpen());
    EXPECT_FALSE(v42::HasWaveDevice());
    EXPECT_FALSE(v42::HasMidiDevice());
    const std::string problem = v42::SoundLibraryProblem();
    EXPECT_NE(problem.find("missing.so を読み込めないため、音を鳴らせません。"), std::string::npos)
        << problem;
    EXPECT_NE(problem.find("パッケージ " + c.package + " を入れると"), std::string::npos)
        << problem;
    sound.Beep();
    EXPECT_EQ(sound.IsOpen(), c.beeps) << c.package;
    sound.Stop();
  }
  v42::SetSoundLibraryFiles(v42::kSdlLibrary, v42::kMixerLibrary);
  AlertSound sound;
  EXPECT_EQ(sound.PlayFile(wav.string()), PlayKind::Wave);
  EXPECT_EQ(v42::SoundLibraryProblem(), "");
}

}  // namespace

int main(int argc, char** argv) {
  // Replaces the silent dummy driver of the test environment.
  setenv("SDL_AUDIODRIVER", "disk", 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
