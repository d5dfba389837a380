// Live departures: a GTFS Realtime feed's bytes decoded, and its trip updates, vehicle
// positions and alerts matched to the departures of one imported timetable. Free of Qt; the
// clock's fetcher and `Velkan42 --status --live` share it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "LiveState.h"
#include "LiveTimetable.h"

namespace v42::rt {
class FeedMessage;
}

namespace v42::live {

// Data older than this, by its feed's own header, is not used.
inline constexpr int kStaleSeconds = 5 * 60;

// One decoded feed. Copies share the decoded message, which never changes.
class RealtimeFeed {
 public:
  // Nullopt with the reason in Japanese when the bytes are not a GTFS Realtime feed.
  static std::optional<RealtimeFeed> Decode(std::string_view bytes, std::string& error);
  // The header's timestamp (POSIX seconds); nullopt when the feed does not say.
  std::optional<std::int64_t> Timestamp() const;
  const rt::FeedMessage& Message() const { return *message_; }

 private:
  explicit RealtimeFeed(std::shared_ptr<const rt::FeedMessage> message);
  std::shared_ptr<const rt::FeedMessage> message_;
};

// The live state of the timetable's departures at `now` (POSIX seconds). utcOffset is the
// timetable's local time minus UTC in seconds (service days begin at local midnight). Stale
// feeds are left out; with none left the state is not fresh and every departure unknown.
LiveState Match(const LiveTimetable& table, const std::vector<RealtimeFeed>& feeds,
                std::int64_t now, int utcOffset);

// The local time's offset from UTC at that moment, as this machine's time zone has it.
int LocalUtcOffset(std::int64_t at);

}  // namespace v42::live
