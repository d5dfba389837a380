// The V42Import command line, free of the process: tests run it in place of main.
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "Holidays.h"

namespace v42::gtfs {

struct CommandContext {
  CivilDate Today;                                   // where --days starts looking
  std::function<std::filesystem::path()> AppFolder;  // the folder when --folder is not given
};

// Runs `V42Import FEED --find TEXT` or `V42Import FEED --stop ID ...` (args without the
// program name). 0 on success; 1 with a message on err for any failure, the data file as it
// was.
int RunImportCommand(const std::vector<std::string>& args, const CommandContext& context,
                     std::ostream& out, std::ostream& err);

}  // namespace v42::gtfs
