#include "SoundDevice.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <filesystem>

#include "AlertSound.h"

namespace v42 {

bool HasWaveDevice() {
  if (SDL_WasInit(SDL_INIT_AUDIO) == 0) {
    // SDL would turn SIGINT and SIGTERM into events nobody reads; the program ends on them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  }
  // A driver that cannot list its devices reports -1 but still has a default output.
  return SDL_GetNumAudioDevices(0) != 0;
}

bool HasMidiDevice() {
  if (!HasWaveDevice()) return false;
  if ((Mix_Init(MIX_INIT_MID) & MIX_INIT_MID) == 0) return false;
  std::error_code ec;
  return std::filesystem::is_regular_file(kSoundFontPath, ec);
}

}  // namespace v42
