#include "IniFile.h"

namespace v42 {

void SetIniDefaults(IniSettings&) {}
void ReadIniFile(IniSettings&, const std::filesystem::path&) {}
void WriteIniFile(const IniSettings&, const std::filesystem::path&) {}

}  // namespace v42
