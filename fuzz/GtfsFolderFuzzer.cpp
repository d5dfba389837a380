// A GTFS feed as a folder: the input holds its files, each after a line "--- <name>" naming
// one of the feed's files (anything else on such a line is content). Any files either import
// or are refused with a message, and what imports saves and reads back the same.
#include <algorithm>
#include <string_view>

#include "GtfsFuzz.h"

using namespace v42;

namespace {

constexpr std::string_view kFiles[] = {
    "agency.txt",   "stops.txt",          "routes.txt",      "trips.txt",        "stop_times.txt",
    "calendar.txt", "calendar_dates.txt", "frequencies.txt", "translations.txt", "feed_info.txt"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path folder = fuzz::Folder() / "feed";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view name;
  std::size_t begin = 0;  // of the current file's content
  const auto flush = [&](std::size_t end) {
    if (name.empty()) return;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(input.data() + begin);
    fuzz::WriteInput(folder / name, bytes, end - begin);
  };
  for (std::size_t line = 0; line < input.size();) {
    const std::size_t next = std::min(input.find('\n', line), input.size() - 1) + 1;
    const std::string_view text = input.substr(line, next - line);
    if (text.starts_with("--- ")) {
      std::string_view named = text.substr(4);
      if (named.ends_with('\n')) named.remove_suffix(1);
      if (std::find(std::begin(kFiles), std::end(kFiles), named) != std::end(kFiles)) {
        flush(line);
        name = named;
        begin = next;
      }
    }
    line = next;
  }
  flush(input.size());
  fuzz::ImportFeed(folder);
  return 0;
}
