#include "FeedRefresher.h"

#include <memory>
#include <vector>

#include "FeedRefresh.h"

namespace v42 {

namespace {
constexpr int kCheckEveryMs = 15 * 60 * 1000;  // a day's first check need not be on the minute
}

FeedRefresher::FeedRefresher(std::filesystem::path folder, std::function<bool()> mayStart,
                             std::function<QDate()> today, QObject* parent)
    : QObject(parent),
      folder_(std::move(folder)),
      mayStart_(std::move(mayStart)),
      today_(std::move(today)) {
  connect(&timer_, &QTimer::timeout, this, &FeedRefresher::CheckNow);
  timer_.start(kCheckEveryMs);
  QTimer::singleShot(0, this, &FeedRefresher::CheckNow);
}

FeedRefresher::~FeedRefresher() {
  // The thread must not outlive what it reports to; told to stop, it ends within a moment.
  if (worker_) {
    *cancel_ = true;
    worker_->disconnect(this);
    worker_->wait();
  }
}

void FeedRefresher::CheckNow() {
  const QDate today = today_();
  if (worker_ || checked_ == today || !mayStart_()) return;
  checked_ = today;
  feeds::RefreshOptions options;
  options.Today = {today.year(), today.month(), today.day()};
  options.UrlsOnly = true;
  options.Progress.Cancel = cancel_.get();
  auto lines = std::make_shared<QStringList>();
  auto updated = std::make_shared<bool>(false);
  const std::filesystem::path folder = folder_;
  worker_ = QThread::create([folder, options, lines, updated, cancel = cancel_] {
    try {
      for (const feeds::RefreshLine& line : feeds::RefreshAll(folder, options)) {
        *updated = *updated || line.Outcome == feeds::RefreshOutcome::Updated;
        // Nothing to tell of a timetable that stayed as it was.
        if (line.Outcome != feeds::RefreshOutcome::Unchanged)
          *lines << QString::fromStdString(feeds::LineText(line));
      }
    } catch (const std::exception& e) {
      *lines << QString::fromUtf8(e.what());
    }
  });
  connect(worker_, &QThread::finished, this, [this, lines, updated] {
    worker_->deleteLater();
    worker_ = nullptr;
    emit Finished(*lines, *updated);
  });
  worker_->start();
}

}  // namespace v42
