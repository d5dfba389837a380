// The number rules that every reader of the suite shares.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "Model.h"

namespace v42 {

// The token's leading decimal number, blanks skipped, stopping at the first character that
// cannot continue it; 0 when there is none.
double LeadingNumber(std::string_view token);

// The nearest integer, a half going to the even neighbour (2.5 gives 2, 3.5 gives 4).
double RoundHalfEven(double value);

// Rounding to the nearest integer, a half to the even neighbour; nullopt when out of range.
std::optional<std::uint8_t> RoundToByte(double value);
std::optional<std::int16_t> RoundToInt16(double value);
std::optional<std::int32_t> RoundToInt32(double value);

// A colour field: 0 (or no number, or a fraction that rounds to 0) gives the fallback;
// nullopt when it does not fit 32 bits.
std::optional<Color> ColorValue(std::string_view token, Color fallback);

}  // namespace v42
