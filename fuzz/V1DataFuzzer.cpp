// Version 1 Data00.dat: any bytes either read or raise FileError; what reads writes back and
// reads back the same.
#include "FuzzSupport.h"
#include "V1FileAccess.h"

using namespace v42;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path& folder = fuzz::Folder();
  fuzz::WriteInput(folder / kV1DataFileName, data, size);
  fuzz::TimetableRoundTrip(
      kV1DataFileName, folder / kV1DataFileName,
      [&](TimetableStore& store) { ReadV1Data(store, folder); },
      [&](const TimetableStore& store) { WriteV1Data(store, folder); });
  return 0;
}
