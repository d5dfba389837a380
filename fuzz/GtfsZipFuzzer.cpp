// A GTFS feed as a .zip: any bytes either import or are refused with a message, and what
// imports saves and reads back the same.
#include "GtfsFuzz.h"

using namespace v42;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path file = fuzz::Folder() / "feed.zip";
  fuzz::WriteInput(file, data, size);
  fuzz::ImportFeed(file);
  return 0;
}
