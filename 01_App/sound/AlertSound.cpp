#include "AlertSound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <numbers>
#include <vector>

#include "SoundDevice.h"

namespace v42 {
namespace {

constexpr int kRate = 44100;

// A mono 16-bit WAVE image of a short tone with soft edges, so it does not click.
std::vector<std::uint8_t> BeepWave() {
  constexpr int kMillis = 180, kHz = 880, kFade = 441;
  const int samples = kRate * kMillis / 1000;
  std::vector<std::uint8_t> wav(44 + samples * 2);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) wav[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  auto put16 = [&](std::size_t at, std::uint16_t v) {
    wav[at] = static_cast<std::uint8_t>(v);
    wav[at + 1] = static_cast<std::uint8_t>(v >> 8);
  };
  std::memcpy(&wav[0], "RIFF", 4);
  put32(4, static_cast<std::uint32_t>(wav.size() - 8));
  std::memcpy(&wav[8], "WAVEfmt ", 8);
  put32(16, 16);
  put16(20, 1);  // PCM
  put16(22, 1);  // mono
  put32(24, kRate);
  put32(28, kRate * 2);
  put16(32, 2);
  put16(34, 16);
  std::memcpy(&wav[36], "data", 4);
  put32(40, static_cast<std::uint32_t>(samples * 2));
  for (int i = 0; i < samples; ++i) {
    const double edge = std::min({1.0, i / double(kFade), (samples - i) / double(kFade)});
    const double v = 0.4 * edge * std::sin(2 * std::numbers::pi * kHz * i / kRate);
    put16(44 + 2 * i, static_cast<std::uint16_t>(static_cast<std::int16_t>(v * 32767)));
  }
  return wav;
}

bool Readable(const std::string& file) { return std::ifstream(file, std::ios::binary).is_open(); }

// The last three characters of the name, any letter case.
bool EndsWith3(const std::string& file, const char* ext) {
  if (file.size() < 3) return false;
  for (int i = 0; i < 3; ++i) {
    const unsigned char c = static_cast<unsigned char>(file[file.size() - 3 + i]);
    if (std::tolower(c) != ext[i]) return false;
  }
  return true;
}

}  // namespace

AlertSound::~AlertSound() { Stop(); }

bool AlertSound::OpenDevice() {
  if (open_) return true;
  if (!HasWaveDevice()) return false;
  if (Mix_OpenAudio(kRate, AUDIO_S16SYS, 2, 1024) != 0) return false;
  open_ = true;
  return true;
}

void AlertSound::Beep() {
  static const std::vector<std::uint8_t> wave = BeepWave();
  if (!OpenDevice()) return;
  Mix_Chunk* beep = Mix_LoadWAV_RW(SDL_RWFromConstMem(wave.data(), int(wave.size())), 1);
  if (beep == nullptr) return;
  if (chunk_ != nullptr) {
    Mix_HaltChannel(-1);
    Mix_FreeChunk(chunk_);
  }
  chunk_ = beep;
  Mix_PlayChannel(-1, chunk_, 0);
}

PlayKind AlertSound::PlayFile(const std::string& file) {
  // A shorter name cannot carry a name and an extension.
  if (file.size() < 4 || !Readable(file)) return PlayKind::None;
  PlayKind kind = PlayKind::None;
  if (EndsWith3(file, "wav") && HasWaveDevice() && OpenDevice()) {
    // The path goes to SDL as it is: blanks and all, no command text to quote.
    if (Mix_Chunk* wav = Mix_LoadWAV(file.c_str())) {
      chunk_ = wav;
      if (Mix_PlayChannel(-1, chunk_, 0) >= 0) kind = PlayKind::Wave;
    }
  }
  if (EndsWith3(file, "mid") && HasMidiDevice() && OpenDevice()) {
    Mix_SetSoundFonts(kSoundFontPath);
    if (Mix_Music* mid = Mix_LoadMUS(file.c_str())) {
      music_ = mid;
      if (Mix_PlayMusic(music_, 1) == 0) kind = PlayKind::Midi;
    }
  }
  if (kind == PlayKind::None) Stop();
  return kind;
}

void AlertSound::Stop() {
  if (!open_) return;
  Mix_HaltChannel(-1);
  Mix_HaltMusic();
  if (chunk_ != nullptr) Mix_FreeChunk(chunk_);
  if (music_ != nullptr) Mix_FreeMusic(music_);
  chunk_ = nullptr;
  music_ = nullptr;
  Mix_CloseAudio();
  open_ = false;
}

}  // namespace v42
