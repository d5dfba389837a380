// Measures the clock's tick against the wall clock, and its CPU time beside a minimal Qt
// program that only updates a label each second.
//   app_tick_bench clock <seconds> <folder with velkan42.dat>
//   app_tick_bench minimal <seconds>
//   app_tick_bench trayhost <seconds>   (a panel's tray on the session bus, for the icon)
#include <sys/resource.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDateTime>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "basVelkan42.h"
#include "frmVelkan42.h"

namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Starts measuring at the next whole second and quits after `seconds` of it.
struct Run {
  double cpuStart = 0;
  void Start(QApplication& app, int seconds) {
    QTimer::singleShot(1000 - QTime::currentTime().msec(), [this, &app, seconds] {
      cpuStart = CpuSeconds();
      QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    });
  }
  double Cpu() const { return CpuSeconds() - cpuStart; }
};

int Clock(QApplication& app, int seconds, const char* folder) {
  v42::ClockContext context;
  context.AppFolder = folder;
  v42::frmVelkan42 window(context);
  if (!window.Form_Load()) return 1;
  window.show();
  Run run;
  std::map<qint64, int> shown;  // second → how often it was shown
  std::vector<qint64> lags;
  QObject::connect(&window, &v42::frmVelkan42::Ticked, [&] {
    if (run.cpuStart == 0) return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const auto label = window.findChild<QLabel*>("lblNowTime")->text();
    const qint64 second =
        QDateTime::fromString(label, "yyyy.MM.dd  hh:mm:ss").toMSecsSinceEpoch() / 1000;
    ++shown[second];
    lags.push_back(now - second * 1000);
  });
  run.Start(app, seconds);
  app.exec();
  const double cpu = run.Cpu();
  std::sort(lags.begin(), lags.end());
  int skipped = 0, repeated = 0;
  if (!shown.empty())
    for (qint64 s = shown.begin()->first; s <= shown.rbegin()->first; ++s) {
      if (!shown.count(s))
        ++skipped;
      else if (shown[s] > 1)
        repeated += shown[s] - 1;
    }
  std::printf("clock: ticks %zu, lag median %lld ms, worst %lld ms, skipped %d, repeated %d\n",
              lags.size(), lags.empty() ? 0LL : (long long)lags[lags.size() / 2],
              lags.empty() ? 0LL : (long long)lags.back(), skipped, repeated);
  std::printf("clock: cpu %.3f s\n", cpu);
  return 0;
}

int Minimal(QApplication& app, int seconds) {
  QLabel label;
  label.resize(200, 30);
  label.show();
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    label.setText(QDateTime::currentDateTime().toString("yyyy.MM.dd  hh:mm:ss"));
  });
  timer.start(1000);
  Run run;
  run.Start(app, seconds);
  app.exec();
  std::printf("minimal: cpu %.3f s\n", run.Cpu());
  return 0;
}

// Stands in for a desktop panel: holds the tray's registry on the session bus, so the clock
// shows its icon, and fetches the icon's picture and tooltip whenever the icon says they
// changed, as a panel does.
class TrayHost : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ HostRegistered)
  Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)
  Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ Items)

 public:
  bool HostRegistered() const { return true; }
  int ProtocolVersion() const { return 0; }
  QStringList Items() const { return items_; }
  int Fetches() const { return fetches_; }

 public slots:
  void RegisterStatusNotifierItem(const QString& service) {
    items_ << service;
    const QString owner = message().service();
    for (const char* changed : {"NewIcon", "NewToolTip"})
      QDBusConnection::sessionBus().connect(
          owner, "/StatusNotifierItem", "org.kde.StatusNotifierItem", changed, this, SLOT(Fetch()));
    item_ = owner;
    Fetch();
  }
  void RegisterStatusNotifierHost(const QString&) {}
  void Fetch() {
    ++fetches_;
    QDBusMessage get = QDBusMessage::createMethodCall(item_, "/StatusNotifierItem",
                                                      "org.freedesktop.DBus.Properties", "GetAll");
    get << QStringLiteral("org.kde.StatusNotifierItem");
    QDBusConnection::sessionBus().asyncCall(get);
  }

 private:
  QStringList items_;
  QString item_;
  int fetches_ = 0;
};

int Tray(QApplication& app, int seconds) {
  TrayHost host;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.registerObject("/StatusNotifierWatcher", &host, QDBusConnection::ExportAllContents) ||
      !bus.registerService("org.kde.StatusNotifierWatcher"))
    return 1;
  std::printf("ready\n");
  std::fflush(stdout);
  QTimer::singleShot((seconds + 3) * 1000, &app, &QApplication::quit);
  app.exec();
  std::printf("trayhost: items %lld, fetches %d\n", static_cast<long long>(host.Items().size()),
              host.Fetches());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  constexpr const char* kUsage =
      "usage: %s clock <seconds> <folder> | minimal <seconds> | trayhost <seconds>\n";
  // Before the application: help needs no display.
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
      std::printf(kUsage, argv[0]);
      return 0;
    }
  }
  QApplication app(argc, argv);
  const std::string mode = argc > 1 ? argv[1] : "";
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 60;
  if (mode == "clock" && argc > 3) return Clock(app, seconds, argv[3]);
  if (mode == "minimal") return Minimal(app, seconds);
  if (mode == "trayhost") return Tray(app, seconds);
  std::fprintf(stderr, kUsage, argv[0]);
  return 2;
}

#include "app_tick_bench.moc"
