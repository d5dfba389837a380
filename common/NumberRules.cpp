#include "NumberRules.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace v42 {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

template <typename Int>
std::optional<Int> RoundTo(double value) {
  const double r = RoundHalfEven(value);
  // NaN fails both comparisons and so is out of range as well.
  if (!(r >= static_cast<double>(std::numeric_limits<Int>::min()) &&
        r <= static_cast<double>(std::numeric_limits<Int>::max()))) {
    return std::nullopt;
  }
  return static_cast<Int>(r);
}

}  // namespace

double LeadingNumber(std::string_view token) {
  // Blanks are skipped wherever they stand, as the files of the first version were read.
  std::string number;
  bool seenPoint = false;
  bool seenDigit = false;
  for (char c : token) {
    if (IsBlank(c)) continue;
    if ((c == '-' || c == '+') && number.empty()) {
      number += c;
    } else if (IsDigit(c)) {
      number += c;
      seenDigit = true;
    } else if (c == '.' && !seenPoint) {
      number += c;
      seenPoint = true;
    } else {
      break;
    }
  }
  if (!seenDigit) return 0;
  return std::strtod(number.c_str(), nullptr);
}

double RoundHalfEven(double value) {
  if (!std::isfinite(value)) return value;
  const double below = std::floor(value);
  const double diff = value - below;
  if (diff < 0.5) return below;
  if (diff > 0.5) return below + 1;
  return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

std::optional<std::uint8_t> RoundToByte(double value) { return RoundTo<std::uint8_t>(value); }
std::optional<std::int16_t> RoundToInt16(double value) { return RoundTo<std::int16_t>(value); }
std::optional<std::int32_t> RoundToInt32(double value) { return RoundTo<std::int32_t>(value); }

std::optional<Color> ColorValue(std::string_view token, Color fallback) {
  const double value = LeadingNumber(token);
  if (value == 0) return fallback;
  const auto rounded = RoundToInt32(value);
  if (!rounded) return std::nullopt;
  // A fraction below one half would round to 0, which the grid takes for "no colour".
  return *rounded == 0 ? fallback : *rounded;
}

}  // namespace v42
