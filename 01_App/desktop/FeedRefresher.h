// The clock's daily check of timetables imported from a URL: once a day, off the window's
// thread, it fetches each source again (a conditional request) and refreshes what changed,
// leaving hand-edited timetables alone.
#pragma once

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>

namespace v42 {

class FeedRefresher : public QObject {
  Q_OBJECT

 public:
  // mayStart: false while the clock wants no change under it (an alert still to come, a
  // dialog open); the check is tried again later. today: the date the check is for.
  FeedRefresher(std::filesystem::path folder, std::function<bool()> mayStart,
                std::function<QDate()> today, QObject* parent = nullptr);
  ~FeedRefresher() override;

  // Starts the day's check now unless it ran today or runs; tests and the timer call it.
  void CheckNow();
  bool Running() const { return worker_ != nullptr; }

 signals:
  // Lines for the user (what changed, what was left because edited by hand, what failed);
  // updated: velkan42.dat now holds a refreshed timetable.
  void Finished(const QStringList& lines, bool updated);

 private:
  std::filesystem::path folder_;
  std::function<bool()> mayStart_;
  std::function<QDate()> today_;
  QDate checked_;  // the last day a check ran
  QTimer timer_;
  QPointer<QThread> worker_;
  // Set when the clock ends: a download stops at once instead of running to its timeout.
  std::shared_ptr<std::atomic<bool>> cancel_ = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace v42
