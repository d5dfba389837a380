#include "SafeFile.h"

#include "Model.h"

namespace v42 {

std::string ReadFileBytes(const std::filesystem::path&) { return {}; }
void ReplaceFile(const std::filesystem::path&, std::string_view) {}
void ReplaceTextFile(const std::filesystem::path&, std::string_view) {}

}  // namespace v42
