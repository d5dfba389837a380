// Version 1 settings: any bytes either read or raise FileError; the settings and the type list
// write back and read back the same.
#include "FuzzSupport.h"
#include "V1FileAccess.h"

using namespace v42;

namespace {

// Version 1 holds black as 0 and keeps a 0 it reads; the current black 0x010101 is written as
// 0. Both are the same colour to the round trip.
void AsVersion1(Color& color) {
  if (color == kBlack) color = 0;
}

// Two timetables loaded, so the type list must reach both.
void Read(const std::filesystem::path& file, IniSettings& settings, TimetableStore& store) {
  store.Count = 2;
  ReadV1Settings(settings, store, file);
  if (!(store.Records[0].Types == store.Records[1].Types)) {
    v42::fuzz::Finding("the version 1 type list differs between timetables");
  }
  AsVersion1(settings.ApplicationFontColor);
  AsVersion1(settings.ApplicationBackColor);
  for (CommentEntry& comment : settings.Comments) AsVersion1(comment.Color);
  for (int t = 0; t < store.Count; ++t) {
    for (TypeEntry& type : store.Records[t].Types) AsVersion1(type.ForeColor);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path file = fuzz::Folder() / "velkan42.ini";
  fuzz::WriteInput(file, data, size);
  IniSettings firstSettings, secondSettings;
  TimetableStore firstStore, secondStore;
  try {
    Read(file, firstSettings, firstStore);
  } catch (const FileError&) {
    return 0;
  }
  fuzz::MustSucceed("writing the version 1 settings",
                    [&] { WriteV1Settings(firstSettings, firstStore, file); });
  fuzz::MustSucceed("reading the written version 1 settings",
                    [&] { Read(file, secondSettings, secondStore); });
  if (!(secondSettings == firstSettings) || !fuzz::SameTimetables(firstStore, secondStore)) {
    fuzz::Finding("the version 1 settings do not read back the same");
  }
  return 0;
}
