// Downloads over HTTP(S) for feeds and live data: libcurl's easy interface with certificate
// verification against the system's store, a few redirects at most, timeouts, a size cap and
// conditional requests. Free of Qt; blocking, so callers run it off any window's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace v42::net {

// True for text that starts with http:// or https:// (letter case ignored).
bool IsUrl(std::string_view text);

// What a server said about the version it sent, to ask next time whether it changed.
struct Validators {
  std::string ETag, LastModified;
  bool operator==(const Validators&) const = default;
};

struct FetchOptions {
  long ConnectTimeoutMs = 10000;
  long TotalTimeoutMs = 120000;
  std::uint64_t MaxBytes = 0;  // 0: the feed zip cap
  Validators Conditional;      // If-None-Match / If-Modified-Since
  // Called now and then with the bytes received and the size announced (0: unknown);
  // returning false cancels the transfer.
  std::function<bool(std::uint64_t received, std::uint64_t total)> Progress;
  // When set, the body goes here piece by piece instead of into FetchResult::Body (a feed may
  // be far larger than memory should hold); returning false fails the transfer.
  std::function<bool(std::string_view piece)> Sink;
};

struct FetchResult {
  enum class Outcome { Ok, NotModified, Failed, Canceled } Result = Outcome::Failed;
  long HttpStatus = 0;
  std::string Body;     // Ok only, and only without a Sink
  Validators Received;  // from the final response
  std::string Error;    // Japanese reason when Failed
};

// One GET of url, following up to five redirects (http and https only).
FetchResult Fetch(const std::string& url, const FetchOptions& options);

}  // namespace v42::net
