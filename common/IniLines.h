// The line rules of settings files: "key=value" lines ended by CR, LF ignored.
#pragma once

#include <functional>
#include <string_view>

namespace v42 {

// Calls onLine(key, value) for every line ended by CR; a last line without CR is dropped.
// A line is split at its first "=", so values may contain "="; a line without one has an
// empty key.
void ForEachIniLine(
    std::string_view utf8Text,
    const std::function<void(std::string_view key, std::string_view value)>& onLine);

}  // namespace v42
