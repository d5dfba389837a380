// A logout or Ctrl+C ends the clock promptly, also once the alert's sound device is open.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <csignal>

#include "AlertSound.h"
#include "EndOnSignals.h"

namespace v42 {
namespace {

TEST(EndOnSignals, EachSignalEndsTheEventLoopWithinASecondAfterTheSoundWasOpened) {
  EndOnSignals();
  AlertSound sound;
  sound.Beep();
  ASSERT_TRUE(sound.IsOpen());
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    // Should the signal be lost, the loop still ends, with a code that fails the test.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
    watchdog.start(5000);
    QTimer::singleShot(0, [signal] { ::raise(signal); });
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_EQ(QCoreApplication::exec(), 128 + signal);
    EXPECT_LT(elapsed.elapsed(), 1000) << signal;
    // The ending also reaches a loop that starts later; it is spent here, before the next.
    QCoreApplication::sendPostedEvents();
  }
}

}  // namespace
}  // namespace v42
