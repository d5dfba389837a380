// The alert's sound: one beep of our own, or a WAVE or MIDI file played once in the background.
#pragma once

#include <string>

#include <cstdint>

struct Mix_Chunk;
typedef struct _Mix_Music Mix_Music;

namespace v42 {

// The General MIDI soundfont that MIDI files are rendered with (Debian's fluid-soundfont-gm).
inline constexpr const char* kSoundFontPath = "/usr/share/sounds/sf2/FluidR3_GM.sf2";

// What is playing, as the alert window keeps it: 0 = nothing or a beep, 1 = WAVE, 2 = MIDI.
enum class PlayKind { None = 0, Wave = 1, Midi = 2 };

// Opens the audio device only while something plays; Stop() halts and releases everything.
// Every failure (no device or sound library, missing or unreadable file) ends in silence; the
// caller finds a missing library's reason in SoundLibraryProblem(). The beep needs SDL2 alone,
// a file also SDL2_mixer; both are opened at the first sound, never at start-up.
class AlertSound {
 public:
  AlertSound() = default;
  AlertSound(const AlertSound&) = delete;
  AlertSound& operator=(const AlertSound&) = delete;
  ~AlertSound();

  // One short tone.
  void Beep();
  // Plays the file once when its name ends in "wav" or "mid" (any letter case), it exists and
  // the machine has the matching device. Returns what was started.
  PlayKind PlayFile(const std::string& file);
  void Stop();
  bool IsOpen() const { return open_ || beep_ != 0; }

 private:
  bool OpenDevice();

  bool open_ = false;       // the mixer's device
  std::uint32_t beep_ = 0;  // SDL's device of the beep; 0 = closed
  Mix_Chunk* chunk_ = nullptr;
  Mix_Music* music_ = nullptr;
};

}  // namespace v42
