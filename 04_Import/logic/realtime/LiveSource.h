// One fetch of a timetable's live data, for `Velkan42 --status --live` and the clock's
// fetcher.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "HttpFetch.h"
#include "LiveMatch.h"
#include "LiveRecord.h"

namespace v42::live {

// How long one fetch of live data may take, connecting included.
inline constexpr long kLiveTimeoutMs = 10000;
// Far beyond any one stop's feed, and still bounded.
inline constexpr std::uint64_t kLiveMaxBytes = 64ull << 20;

// What one URL gave: the decoded feed, or why not (Japanese). Validators for the next
// conditional request; NotModified leaves Feed empty, the caller keeps the one it had.
struct LiveFetch {
  std::optional<RealtimeFeed> Feed;
  bool NotModified = false;
  net::Validators Received;
  std::string Error;
};
// Setting *cancel to true stops a fetch under way (the program is closing).
LiveFetch FetchFeed(const std::string& url, const net::Validators& conditional = {},
                    long timeoutMs = kLiveTimeoutMs, const std::atomic<bool>* cancel = nullptr);

// Every URL fetched once and matched at `now` (POSIX seconds, local offset of this machine).
// A URL that fails adds its reason to errors and is left out.
LiveState FetchAndMatch(const RealtimeSource& source, std::int64_t now,
                        std::vector<std::string>& errors);

}  // namespace v42::live
