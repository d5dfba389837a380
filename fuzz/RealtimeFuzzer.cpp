// GTFS Realtime bytes from any server: decoded and matched to a timetable, nothing may crash,
// overflow or leak, and what matched must be a state the clock can show.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "LiveMatch.h"

namespace {

const v42::live::LiveTimetable& Table() {
  static const v42::live::LiveTimetable table = [] {
    v42::live::LiveTimetable t;
    t.StopIds = {"s5", "st"};
    t.AgencyIds = {"a"};
    t.Departures.push_back(
        {"t1", "r1", 8 * 3600 + 900, 5, "s5", {{1, "s1", 8 * 3600}, {3, "s3", 8 * 3600 + 480}}});
    t.Departures.push_back({"t2", "r1", 24 * 3600 + 2400, 2, "s5", {}});
    t.Departures.push_back({"t1", "r1", 20 * 3600, 9, "s5", {}});
    return t;
  }();
  return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  const auto feed = v42::live::RealtimeFeed::Decode(
      std::string_view(reinterpret_cast<const char*>(data), size), error);
  if (!feed) return 0;
  const std::int64_t now = feed->Timestamp().value_or(1796600000);
  const v42::LiveState state = v42::live::Match(Table(), {*feed}, now, 9 * 3600);
  if (state.Fresh != (state.Departures.size() == Table().Departures.size())) __builtin_trap();
  for (const v42::LiveDeparture& d : state.Departures) {
    if (d.Hour < 0 || d.Hour > 23 || d.Minute < 0 || d.Minute > 59) __builtin_trap();
    if (d.Delay && (*d.Delay > 86400 || *d.Delay < -86400)) __builtin_trap();
    (void)d.ShiftMinutes();
  }
  return 0;
}
