// Everything the editor's windows share, owned by main from start to exit.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "Model.h"
#include "TableOrigins.h"

namespace v42 {

struct EditorContext {
  TimetableStore Store;
  std::filesystem::path AppFolder;
  std::uint8_t EditIndex = 0;         // the timetable the departure editor opens
  TimetableRecord WorkRecord;         // its working copy, shared with the editor's dialogs
  TableOrigins Origins;               // where the saved timetables stand in the list now
  std::vector<PendingFeed> NewFeeds;  // imported since the last save, tagged in Origins
  int NextFeedTag = 1000;
};

}  // namespace v42
