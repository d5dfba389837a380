#include "IniLines.h"

#include <string>

#include "NumberRules.h"

namespace v42 {

void ForEachIniLine(
    std::string_view utf8Text,
    const std::function<void(std::string_view key, std::string_view value)>& onLine) {
  std::string line;
  for (char c : utf8Text) {
    if (c == '\n') continue;
    if (c != '\r') {
      line += c;
      continue;
    }
    // Keys never hold "=", so the first one ends the key and the value keeps any others
    // (a sound file such as /home/a/b=c.wav).
    const auto eq = line.find('=');
    if (eq == std::string::npos) {
      onLine({}, line);
    } else {
      const std::string_view whole(line);
      onLine(whole.substr(0, eq), whole.substr(eq + 1));
    }
    line.clear();
  }
}

std::uint8_t BlinkFlagOf(std::string_view word) { return word == "OFF" ? 0 : 1; }

const char* BlinkWord(std::uint8_t flag) { return flag != 0 ? "ON" : "OFF"; }

std::uint8_t SoundFlagOf(std::string_view word) {
  return word == "BEEP" ? 1 : word == "SOUNDFILE" ? 2 : 0;
}

const char* SoundWord(std::uint8_t flag) {
  return flag == 1 ? "BEEP" : flag == 2 ? "SOUNDFILE" : "OFF";
}

void SetMinutes(std::int16_t& field, std::string_view value) {
  if (const auto number = RoundToInt16(LeadingNumber(value))) field = *number;
}

}  // namespace v42
