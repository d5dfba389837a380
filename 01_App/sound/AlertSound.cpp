#include "AlertSound.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <numbers>
#include <vector>

#include "SoundDevice.h"
#include "SoundLibrary.h"

namespace v42 {
namespace {

constexpr int kRate = 44100;

// A short mono tone with soft edges, so it does not click.
std::vector<std::int16_t> BeepSamples() {
  constexpr int kMillis = 180, kHz = 880, kFade = 441;
  const int samples = kRate * kMillis / 1000;
  std::vector<std::int16_t> tone(samples);
  for (int i = 0; i < samples; ++i) {
    const double edge = std::min({1.0, i / double(kFade), (samples - i) / double(kFade)});
    tone[i] = static_cast<std::int16_t>(32767 * 0.4 * edge *
                                        std::sin(2 * std::numbers::pi * kHz * i / kRate));
  }
  return tone;
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
  if (sound::Mixer()->OpenAudio(kRate, AUDIO_S16SYS, 2, 1024) != 0) return false;
  open_ = true;
  return true;
}

void AlertSound::Beep() {
  static const std::vector<std::int16_t> tone = BeepSamples();
  // SDL alone plays it: the mixer and its decoders stay unloaded for a clock that only beeps.
  if (!sound::HasOutput()) return;
  const sound::SdlApi* sdl = sound::Sdl();
  if (beep_ != 0) sdl->CloseAudioDevice(beep_);
  SDL_AudioSpec want{};
  want.freq = kRate;
  want.format = AUDIO_S16SYS;
  want.channels = 1;
  want.samples = 1024;
  beep_ = sdl->OpenAudioDevice(nullptr, 0, &want, nullptr, 0);  // SDL converts as needed
  if (beep_ == 0) return;
  sdl->QueueAudio(beep_, tone.data(), static_cast<Uint32>(tone.size() * sizeof(tone[0])));
  sdl->PauseAudioDevice(beep_, 0);
}

PlayKind AlertSound::PlayFile(const std::string& file) {
  // A shorter name cannot carry a name and an extension.
  if (file.size() < 4 || !Readable(file)) return PlayKind::None;
  PlayKind kind = PlayKind::None;
  if (EndsWith3(file, "wav") && OpenDevice()) {
    // The path goes to SDL as it is: blanks and all, no command text to quote.
    if (Mix_Chunk* wav = sound::Mixer()->LoadWAV(file.c_str())) {
      chunk_ = wav;
      if (sound::Mixer()->PlayChannel(-1, chunk_, 0) >= 0) kind = PlayKind::Wave;
    }
  }
  if (EndsWith3(file, "mid") && HasMidiDevice() && OpenDevice()) {
    const sound::MixApi* mix = sound::Mixer();
    mix->SetSoundFonts(kSoundFontPath);
    if (Mix_Music* mid = mix->LoadMUS(file.c_str())) {
      music_ = mid;
      if (mix->PlayMusic(music_, 1) == 0) kind = PlayKind::Midi;
    }
  }
  if (kind == PlayKind::None) Stop();
  return kind;
}

void AlertSound::Stop() {
  if (beep_ != 0) {
    sound::Sdl()->CloseAudioDevice(beep_);
    beep_ = 0;
  }
  if (!open_) return;
  const sound::MixApi* mix = sound::Mixer();
  mix->HaltChannel(-1);
  mix->HaltMusic();
  if (chunk_ != nullptr) mix->FreeChunk(chunk_);
  if (music_ != nullptr) mix->FreeMusic(music_);
  chunk_ = nullptr;
  music_ = nullptr;
  mix->CloseAudio();
  open_ = false;
}

}  // namespace v42
