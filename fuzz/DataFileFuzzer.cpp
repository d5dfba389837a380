// velkan42.dat: any bytes either read or raise FileError; what reads writes back and reads
// back the same.
#include "DataFile.h"
#include "FuzzSupport.h"

using namespace v42;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path& folder = fuzz::Folder();
  fuzz::WriteInput(folder / kDataFileName, data, size);
  fuzz::TimetableRoundTrip(
      kDataFileName, folder / kDataFileName,
      [&](TimetableStore& store) { ReadDataFile(store, folder); },
      [&](const TimetableStore& store) { WriteDataFile(store, folder); });
  return 0;
}
