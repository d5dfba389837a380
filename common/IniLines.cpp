#include "IniLines.h"

#include <string>

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

}  // namespace v42
