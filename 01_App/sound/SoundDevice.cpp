#include "SoundDevice.h"

#include <filesystem>

#include "AlertSound.h"
#include "SoundLibrary.h"

namespace v42 {

namespace sound {

bool HasOutput() {
  const SdlApi* sdl = Sdl();
  if (sdl == nullptr) return false;
  if (sdl->WasInit(SDL_INIT_AUDIO) == 0) {
    // SDL would turn SIGINT and SIGTERM into events nobody reads; the program ends on them.
    sdl->SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (sdl->InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  }
  // A driver that cannot list its devices reports -1 but still has a default output.
  return sdl->GetNumAudioDevices(0) != 0;
}

}  // namespace sound

bool HasWaveDevice() { return sound::Mixer() != nullptr && sound::HasOutput(); }

bool HasMidiDevice() {
  if (!HasWaveDevice()) return false;
  if ((sound::Mixer()->Init(MIX_INIT_MID) & MIX_INIT_MID) == 0) return false;
  std::error_code ec;
  return std::filesystem::is_regular_file(kSoundFontPath, ec);
}

}  // namespace v42
