#include "NumberRules.h"

namespace v42 {

double LeadingNumber(std::string_view) { return 0; }
std::optional<std::uint8_t> RoundToByte(double) { return std::nullopt; }
std::optional<std::int16_t> RoundToInt16(double) { return std::nullopt; }
std::optional<std::int32_t> RoundToInt32(double) { return std::nullopt; }
std::optional<Color> ColorValue(std::string_view, Color fallback) { return fallback; }

}  // namespace v42
