// What this machine can play, as the options dialog and the alert window both judge it.
#pragma once

namespace v42 {

// A WAVE device: SDL has an audio output.
bool HasWaveDevice();
// A MIDI device: a WAVE device plus a MIDI decoder and a General MIDI soundfont.
bool HasMidiDevice();

}  // namespace v42
