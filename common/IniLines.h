// The line rules of settings files: "key=value" lines ended by CR, LF ignored.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace v42 {

// Calls onLine(key, value) for every line ended by CR; a last line without CR is dropped.
// A line is split at its first "=", so values may contain "="; a line without one has an
// empty key.
void ForEachIniLine(
    std::string_view utf8Text,
    const std::function<void(std::string_view key, std::string_view value)>& onLine);

// The values the current and the version 1 settings files read and write alike.
// "OFF" turns blinking off; any other word leaves it on.
std::uint8_t BlinkFlagOf(std::string_view word);
const char* BlinkWord(std::uint8_t flag);
// "BEEP" is 1, "SOUNDFILE" 2, any other word 0 (no sound).
std::uint8_t SoundFlagOf(std::string_view word);
const char* SoundWord(std::uint8_t flag);
// A number of minutes: the leading number rounded to 16 bits; a value that does not fit
// leaves the field as a missing key would.
void SetMinutes(std::int16_t& field, std::string_view value);

}  // namespace v42
