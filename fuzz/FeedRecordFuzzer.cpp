// velkan42.feeds.json: any bytes either read or raise FileError; what reads writes back and
// reads back the same, keys this program does not know included.
#include "FeedRecord.h"
#include "FuzzSupport.h"

using namespace v42;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path& folder = fuzz::Folder();
  fuzz::WriteInput(folder / feeds::kFeedsFileName, data, size);
  std::optional<feeds::FeedRecord> first;
  try {
    first = feeds::ReadFeedRecord(folder);
  } catch (const FileError&) {
    return 0;
  }
  if (!first) fuzz::Finding("an existing velkan42.feeds.json read as missing");
  std::optional<feeds::FeedRecord> second;
  fuzz::MustSucceed("writing velkan42.feeds.json", [&] { feeds::WriteFeedRecord(*first, folder); });
  fuzz::MustSucceed("reading the written velkan42.feeds.json",
                    [&] { second = feeds::ReadFeedRecord(folder); });
  if (!second || feeds::FeedRecordText(*second) != feeds::FeedRecordText(*first))
    fuzz::Finding("velkan42.feeds.json does not read back the same");
  return 0;
}
