// Small WAVE and MIDI files written on the fly, so the tests need no binary fixtures.
#pragma once

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>

namespace v42::test {

// A mono 16-bit 44.1 kHz tone of the given length.
inline void WriteToneWav(const std::filesystem::path& file, int millis) {
  const std::uint32_t samples = 44100u * millis / 1000u;
  std::ofstream out(file, std::ios::binary);
  auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  out.write("RIFF", 4);
  u32(36 + samples * 2);
  out.write("WAVEfmt ", 8);
  u32(16), u16(1), u16(1), u32(44100), u32(88200), u16(2), u16(16);
  out.write("data", 4);
  u32(samples * 2);
  for (std::uint32_t i = 0; i < samples; ++i)
    u16(static_cast<std::uint16_t>(
        static_cast<std::int16_t>(12000 * std::sin(2 * std::numbers::pi * 440 * i / 44100.0))));
}

// A format-0 MIDI file: one piano note held for about four seconds.
inline void WriteNoteMidi(const std::filesystem::path& file) {
  const unsigned char track[] = {0x00, 0x90, 69,   100,  0x83, 0x00,  // note on, delta 384
                                 0x80, 69,   0x00, 0x00, 0xFF, 0x2F, 0x00};
  const unsigned char header[] = {'M', 'T', 'h', 'd', 0,   0,   0,   6, 0, 0, 0,
                                  1,   0,   48,  'M', 'T', 'r', 'k', 0, 0, 0, sizeof(track)};
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(header), sizeof header);
  out.write(reinterpret_cast<const char*>(track), sizeof track);
}

}  // namespace v42::test
