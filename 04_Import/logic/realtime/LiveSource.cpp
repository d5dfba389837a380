#include "LiveSource.h"

namespace v42::live {

LiveFetch FetchFeed(const std::string& url, const net::Validators& conditional, long timeoutMs,
                    const std::atomic<bool>* cancel) {
  net::FetchOptions options;
  options.ConnectTimeoutMs = timeoutMs;
  options.TotalTimeoutMs = timeoutMs;
  options.MaxBytes = kLiveMaxBytes;
  options.Conditional = conditional;
  if (cancel) options.Progress = [cancel](std::uint64_t, std::uint64_t) { return !*cancel; };
  const net::FetchResult result = net::Fetch(url, options);
  LiveFetch fetched;
  fetched.Received = result.Received;
  switch (result.Result) {
    case net::FetchResult::Outcome::NotModified:
      fetched.NotModified = true;
      break;
    case net::FetchResult::Outcome::Ok:
      fetched.Feed = RealtimeFeed::Decode(result.Body, fetched.Error);
      break;
    default:
      fetched.Error = result.Error.empty() ? "取得できませんでした。" : result.Error;
  }
  return fetched;
}

LiveState FetchAndMatch(const RealtimeSource& source, std::int64_t now,
                        std::vector<std::string>& errors) {
  std::vector<RealtimeFeed> feeds;
  for (const std::string& url : source.Urls) {
    LiveFetch fetched = FetchFeed(url);
    if (fetched.Feed)
      feeds.push_back(std::move(*fetched.Feed));
    else if (!fetched.NotModified)
      errors.push_back(url + ": " + fetched.Error);
  }
  return Match(source.Table, feeds, now, LocalUtcOffset(now));
}

}  // namespace v42::live
