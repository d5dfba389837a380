#include "EndOnSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace v42 {

namespace {

// The handler may only do what is async-signal-safe, so it hands the signal's number to the
// event loop through a pipe.
int g_pipe[2] = {-1, -1};
bool g_ending = false;

void OnSignal(int signal) {
  const int saved = errno;
  const char number = static_cast<char>(signal);
  [[maybe_unused]] const auto written = ::write(g_pipe[1], &number, 1);
  errno = saved;
}

void EndEventLoops() {
  char number = 0;
  if (::read(g_pipe[0], &number, 1) != 1) return;
  const int code = 128 + number;
  g_ending = true;
  QCoreApplication::exit(code);
  // A loop that starts after this one ended (main's, after a box at start-up) ends as well.
  QMetaObject::invokeMethod(
      qApp, [code] { QCoreApplication::exit(code); }, Qt::QueuedConnection);
}

}  // namespace

void EndOnSignals() {
  if (g_pipe[0] >= 0) return;
  if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, qApp, &EndEventLoops);
  struct sigaction action {};
  action.sa_handler = &OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

bool EndingOnSignal() { return g_ending; }

}  // namespace v42
