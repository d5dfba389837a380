// Fetches the shown timetable's live data now and then, off the window's thread: a timer,
// conditional requests, a back-off after failures. The window matches what it kept at the
// moment it asks, so data that grows stale stops counting without a new fetch.
#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "LiveSource.h"

class QThread;

namespace v42 {

// Seconds until the next fetch: the interval, doubled after each failure in a row, but never
// more than five minutes (nor less than the interval).
int NextFetchDelay(int intervalSeconds, int failures);

class LiveFetcher : public QObject {
  Q_OBJECT

 public:
  explicit LiveFetcher(QObject* parent = nullptr);
  ~LiveFetcher() override;

  // The timetable on show and its live source; nullopt stops fetching and forgets its data.
  void SetSource(int table, std::optional<live::RealtimeSource> source);
  void SetInterval(int seconds);
  // Fetching is wanted only while a departure lies close ahead; without it the timer rests.
  void SetWanted(bool wanted);

  bool HasSource() const { return source_.has_value(); }
  int Table() const { return table_; }
  bool Busy() const { return thread_ != nullptr; }
  int Failures() const { return failures_; }
  const std::string& LastError() const { return lastError_; }
  // The kept feeds matched at `now` (POSIX seconds); not fresh without any.
  LiveState Match(std::int64_t now) const;
  // Fetches at once (unless one is under way), then goes on with the timer.
  void FetchNow();

 signals:
  void Updated();  // a fetch ended, with or without new data

 private:
  void Schedule();
  void Finished(int generation, std::vector<live::LiveFetch> results);

  QTimer timer_;
  int table_ = -1;
  std::optional<live::RealtimeSource> source_;
  std::vector<std::optional<live::RealtimeFeed>> feeds_;  // by URL, the last good one
  std::vector<net::Validators> validators_;
  int interval_ = 30;
  bool wanted_ = false;
  int failures_ = 0;
  std::string lastError_;
  int generation_ = 0;  // a fetch for an earlier source is dropped when it ends
  QThread* thread_ = nullptr;
  std::shared_ptr<std::atomic<bool>> cancel_ = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace v42
