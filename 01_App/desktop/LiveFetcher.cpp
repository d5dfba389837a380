#include "LiveFetcher.h"

#include <QThread>
#include <algorithm>

namespace v42 {

int NextFetchDelay(int intervalSeconds, int failures) {
  constexpr int kLongest = 5 * 60;
  long long delay = intervalSeconds;
  for (int i = 0; i < failures && delay < kLongest; ++i) delay *= 2;
  return static_cast<int>(
      std::max<long long>(intervalSeconds, std::min<long long>(delay, kLongest)));
}

LiveFetcher::LiveFetcher(QObject* parent) : QObject(parent) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &LiveFetcher::FetchNow);
}

LiveFetcher::~LiveFetcher() {
  timer_.stop();
  if (thread_) {
    *cancel_ = true;  // a transfer under way ends at its next progress call
    thread_->wait();
  }
}

void LiveFetcher::SetSource(int table, std::optional<live::RealtimeSource> source) {
  if (table == table_ && source == source_) return;
  ++generation_;
  table_ = table;
  source_ = std::move(source);
  const std::size_t urls = source_ ? source_->Urls.size() : 0;
  feeds_.assign(urls, std::nullopt);
  validators_.assign(urls, {});
  failures_ = 0;
  lastError_.clear();
  timer_.stop();
  if (source_ && wanted_) FetchNow();
}

void LiveFetcher::SetInterval(int seconds) { interval_ = std::clamp(seconds, 15, 600); }

void LiveFetcher::SetWanted(bool wanted) {
  if (wanted == wanted_) return;
  wanted_ = wanted;
  if (!wanted_)
    timer_.stop();
  else if (source_ && !thread_)
    FetchNow();
}

void LiveFetcher::FetchNow() {
  if (!source_ || thread_) return;
  timer_.stop();
  const int generation = generation_;
  std::vector<std::string> urls = source_->Urls;
  std::vector<net::Validators> validators = validators_;
  std::shared_ptr<std::atomic<bool>> cancel = cancel_;
  thread_ = QThread::create([this, generation, urls, validators, cancel] {
    std::vector<live::LiveFetch> results;
    for (std::size_t i = 0; i < urls.size() && !*cancel; ++i)
      results.push_back(
          live::FetchFeed(urls[i], validators[i], live::kLiveTimeoutMs, cancel.get()));
    QMetaObject::invokeMethod(
        this,
        [this, generation, results = std::move(results)]() mutable {
          Finished(generation, std::move(results));
        },
        Qt::QueuedConnection);
  });
  connect(thread_, &QThread::finished, thread_, &QObject::deleteLater);
  thread_->start(QThread::LowPriority);
}

void LiveFetcher::Finished(int generation, std::vector<live::LiveFetch> results) {
  thread_ = nullptr;
  if (generation == generation_) {
    bool failed = false;
    lastError_.clear();
    for (std::size_t i = 0; i < results.size() && i < feeds_.size(); ++i) {
      live::LiveFetch& r = results[i];
      if (r.Feed) {
        feeds_[i] = std::move(r.Feed);
        validators_[i] = r.Received;
      } else if (!r.NotModified) {
        failed = true;
        lastError_ = r.Error;
      }
    }
    failures_ = failed ? failures_ + 1 : 0;
    emit Updated();
  }
  Schedule();
}

void LiveFetcher::Schedule() {
  if (!source_ || !wanted_ || thread_) return;
  timer_.start(NextFetchDelay(interval_, failures_) * 1000);
}

LiveState LiveFetcher::Match(std::int64_t now) const {
  if (!source_) return {};
  std::vector<live::RealtimeFeed> kept;
  for (const auto& feed : feeds_)
    if (feed) kept.push_back(*feed);
  return live::Match(source_->Table, kept, now, live::LocalUtcOffset(now));
}

}  // namespace v42
