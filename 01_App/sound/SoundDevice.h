// What this machine can play, as the options dialog and the alert window both judge it.
#pragma once

#include <string>

namespace v42 {

// A WAVE device: the sound libraries open and SDL has an audio output.
bool HasWaveDevice();
// A MIDI device: a WAVE device plus a MIDI decoder and a General MIDI soundfont.
bool HasMidiDevice();

// Why a sound library could not be opened, in Japanese for the user; "" when none failed.
std::string SoundLibraryProblem();

// The library files opened from now on; the defaults are the sonames of Debian's packages.
// Tests point them at a file that is not there.
inline constexpr const char* kSdlLibrary = "libSDL2-2.0.so.0";
inline constexpr const char* kMixerLibrary = "libSDL2_mixer-2.0.so.0";
void SetSoundLibraryFiles(const std::string& sdl, const std::string& mixer);

}  // namespace v42
