#include "IniLines.h"

namespace v42 {

void ForEachIniLine(std::string_view,
                    const std::function<void(std::string_view, std::string_view)>&) {}

}  // namespace v42
