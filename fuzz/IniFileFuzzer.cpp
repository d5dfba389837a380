// velkan42.ini: any bytes either read or raise FileError; what reads writes back and reads
// back the same.
#include "FuzzSupport.h"
#include "IniFile.h"

using namespace v42;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path& folder = fuzz::Folder();
  fuzz::WriteInput(folder / kIniFileName, data, size);
  IniSettings first;
  try {
    first = ReadIniOverDefaults(folder);  // as the clock reads it
  } catch (const FileError&) {
    return 0;
  }
  IniSettings second;
  fuzz::MustSucceed("writing velkan42.ini", [&] { WriteIniFile(first, folder); });
  if (fuzz::MistakableForUtf8(ReadFileBytes(folder / kIniFileName))) return 0;
  fuzz::MustSucceed("reading the written velkan42.ini",
                    [&] { second = ReadIniOverDefaults(folder); });
  if (!(second == first)) fuzz::Finding("velkan42.ini does not read back the same");
  return 0;
}
