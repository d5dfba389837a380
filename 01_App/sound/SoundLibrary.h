// SDL2 and SDL2_mixer, opened the first time a sound is wanted: the clock starts without the
// sound stack, a beep needs SDL2 alone, and only a sound file brings in the mixer and its
// decoders. Private to the sound classes.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

namespace v42::sound {

// Each entry is a pointer to the library's function of that name (SDL_ or Mix_ prefixed).
#define V42_SDL_FUNCTIONS(X) \
  X(WasInit)                 \
  X(SetHint)                 \
  X(InitSubSystem)           \
  X(GetNumAudioDevices) X(OpenAudioDevice) X(QueueAudio) X(PauseAudioDevice) X(CloseAudioDevice)
#define V42_MIX_FUNCTIONS(X)                                                                     \
  X(Init)                                                                                        \
  X(OpenAudio)                                                                                   \
  X(CloseAudio)                                                                                  \
  X(LoadWAV) X(LoadMUS) X(SetSoundFonts) X(PlayChannel) X(PlayMusic) X(HaltChannel) X(HaltMusic) \
      X(FreeChunk) X(FreeMusic)

#define V42_SDL_MEMBER(name) decltype(&::SDL_##name) name = nullptr;
#define V42_MIX_MEMBER(name) decltype(&::Mix_##name) name = nullptr;
struct SdlApi {
  V42_SDL_FUNCTIONS(V42_SDL_MEMBER)
};
struct MixApi {
  V42_MIX_FUNCTIONS(V42_MIX_MEMBER)
};
#undef V42_SDL_MEMBER
#undef V42_MIX_MEMBER

// The library's functions, or nullptr when it cannot be opened (SoundLibraryProblem says
// why). A failure is tried again on the next call: the user may install the package meanwhile.
const SdlApi* Sdl();
const MixApi* Mixer();  // opens SDL2 too

// SDL2 opens and has an audio output (its audio part started on first use).
bool HasOutput();

}  // namespace v42::sound
