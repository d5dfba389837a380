// The alert as a desktop notification, received by a stand-in notification service on a
// session bus of the test's own: the binary runs itself again inside dbus-run-session.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "AppFixture.h"
#include "ClockTray.h"
#include "FlexGrid.h"

namespace {
// Before main: the binary runs itself again inside dbus-run-session, so nothing here ever
// reaches the desktop's own session bus; the private bus ends with the test.
[[maybe_unused]] const bool kOnPrivateBus = [] {
  if (std::getenv("V42_PRIVATE_BUS") != nullptr) return true;
  setenv("V42_PRIVATE_BUS", "1", 1);
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::vector<std::string> words{"dbus-run-session", "--"};
  for (std::string word; std::getline(in, word, '\0');) words.push_back(word);
  std::vector<char*> args;
  for (std::string& word : words) args.push_back(word.data());
  args.push_back(nullptr);
  execvp(args[0], args.data());
  std::perror("dbus-run-session");
  std::_Exit(1);
}();
}  // namespace

namespace v42::apptest {

// What a notification server is asked to do, recorded.
class FakeNotifications : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  struct Call {
    uint Replaces;
    QString Icon, Summary, Body;
    QVariantMap Hints;
  };
  std::vector<Call> Notified;
  std::vector<uint> Closed;

 public slots:
  uint Notify(const QString&, uint replaces, const QString& icon, const QString& summary,
              const QString& body, const QStringList&, const QVariantMap& hints, int) {
    Notified.push_back({replaces, icon, summary, body, hints});
    return replaces != 0 ? replaces : ++lastId_;
  }
  void CloseNotification(uint id) { Closed.push_back(id); }
  QStringList GetCapabilities() { return {"body"}; }

 private:
  uint lastId_ = 40;
};

namespace {

class NotifyTest : public AppFixture {
 protected:
  // The service on a connection of its own, as another program would hold it.
  void StartService() {
    ASSERT_TRUE(bus_.isConnected());
    ASSERT_TRUE(bus_.registerObject("/org/freedesktop/Notifications", &fake_,
                                    QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus_.registerService("org.freedesktop.Notifications"));
  }
  void TearDown() override {
    AppFixture::TearDown();
    bus_.unregisterService("org.freedesktop.Notifications");
    bus_.unregisterObject("/org/freedesktop/Notifications");
  }

  // Chooses a departure at 8:10:30 and ticks to the second its alert is due.
  void ChooseAndAlert(int row, int col, const QTime& due) {
    auto* grid = Find<FlexGrid>("FGrid");
    grid->SetCurrentCell(row, col);
    QTest::keyClick(grid, Qt::Key_Return);
    TickAt(due.addSecs(-1));
    ASSERT_EQ(window_->Alert(), nullptr);
    TickAt(due);
  }
  void CloseAlert() {
    QTest::mouseClick(window_->Alert()->findChild<QPushButton*>("comOK"), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return window_->Alert() == nullptr; }));
  }
  // A round trip to the service: whatever the clock sent before it has arrived by its reply.
  void Drain() {
    const QDBusPendingCall call =
        QDBusConnection::sessionBus().asyncCall(QDBusMessage::createMethodCall(
            "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
            "org.freedesktop.Notifications", "GetCapabilities"));
    ASSERT_TRUE(WaitFor([&] { return call.isFinished(); }));
  }
  static bool WaitFor(const std::function<bool()>& condition) {
    return QTest::qWaitFor(condition, 5000);
  }
  void Style(std::uint8_t style) { settings_.Desktop.Alert = style; }

  QDBusConnection bus_ = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fake");
  FakeNotifications fake_;
};

TEST_F(NotifyTest, OneNotificationAtTheAlertReplacedByTheNextAndWithdrawnWithTheWindow) {
  StartService();
  Open({DayService()}, QTime(8, 10, 30));
  ChooseAndAlert(3, 2, QTime(8, 17));  // 8:20, three minutes ahead
  ASSERT_NE(window_->Alert(), nullptr);
  Drain();
  ASSERT_EQ(fake_.Notified.size(), 1u);
  const FakeNotifications::Call& first = fake_.Notified[0];
  EXPECT_EQ(first.Replaces, 0u);
  EXPECT_EQ(first.Summary, "まもなく発車");
  EXPECT_EQ(first.Body, "8:20 発車まで あと3分");
  EXPECT_EQ(first.Hints.value("urgency").metaType(), QMetaType::fromType<uchar>());
  EXPECT_EQ(first.Hints.value("urgency").toInt(), 2);
  // The names the package installs the clock's desktop entry and icon under.
  EXPECT_EQ(first.Hints.value("desktop-entry").toString() + ".desktop", V42_CLOCK_DESKTOP_FILE);
  EXPECT_EQ(first.Icon + ".svg", V42_CLOCK_ICON_FILE);
  TickAt(QTime(8, 17, 1));
  TickAt(QTime(8, 18));
  Drain();
  EXPECT_EQ(fake_.Notified.size(), 1u);
  EXPECT_TRUE(fake_.Closed.empty());

  CloseAlert();
  Drain();
  ASSERT_EQ(fake_.Closed.size(), 1u);
  EXPECT_EQ(fake_.Closed[0], 41u);

  ChooseAndAlert(3, 3, QTime(8, 47));  // 8:50
  Drain();
  ASSERT_EQ(fake_.Notified.size(), 2u);
  EXPECT_EQ(fake_.Notified[1].Replaces, 41u);
  EXPECT_EQ(fake_.Notified[1].Body, "8:50 発車まで あと3分");
  CloseAlert();

  // A clock just started, its alert closed before the service's answer is in: the
  // notification is withdrawn all the same once its id is known.
  Open({DayService()}, QTime(8, 10, 30));
  ChooseAndAlert(3, 2, QTime(8, 17));
  CloseAlert();
  ASSERT_TRUE(WaitFor([&] { return fake_.Closed.size() == 3; }));
  EXPECT_EQ(fake_.Notified[2].Replaces, 0u);
  EXPECT_EQ(fake_.Closed, (std::vector<uint>{41, 41, 42}));
}

TEST_F(NotifyTest, TheStyleChoosesTheWindowTheNotificationOrBoth) {
  StartService();
  Style(DesktopSettings::AlertBlink);
  Open({DayService()}, QTime(8, 10, 30));
  ChooseAndAlert(3, 2, QTime(8, 17));
  EXPECT_NE(window_->Alert(), nullptr);
  CloseAlert();
  Drain();
  EXPECT_TRUE(fake_.Notified.empty());

  Style(DesktopSettings::AlertNotify);
  Open({DayService()}, QTime(8, 10, 30));
  ChooseAndAlert(3, 2, QTime(8, 17));
  Drain();
  EXPECT_EQ(fake_.Notified.size(), 1u);
  EXPECT_EQ(window_->Alert(), nullptr);
  EXPECT_EQ(Text("lblComment_0"), "もうすぐ来ます。");  // as after closing the window
  TickAt(QTime(8, 18));
  EXPECT_EQ(window_->Alert(), nullptr);
  EXPECT_EQ(fake_.Notified.size(), 1u);
}

// A notification out on the desktop goes once the departure's minute is over, or once the pick
// it speaks of is released or moved, whichever style sent it.
TEST_F(NotifyTest, TheNotificationIsWithdrawnOnceItNoLongerHolds) {
  StartService();
  std::size_t closed = 0;
  const auto withdrawn = [&] {
    Drain();
    return WaitFor([&] { return fake_.Closed.size() == closed + 1; }) && (++closed, true);
  };
  for (std::uint8_t style : {DesktopSettings::AlertNotify, DesktopSettings::AlertBoth}) {
    Style(style);
    Open({DayService()}, QTime(8, 10, 30));
    ChooseAndAlert(3, 2, QTime(8, 17));  // 8:20
    TickAt(QTime(8, 20, 59));
    Drain();
    EXPECT_EQ(fake_.Closed.size(), closed) << int(style);
    TickAt(QTime(8, 21));
    EXPECT_TRUE(withdrawn()) << int(style);
    if (window_->Alert() != nullptr) CloseAlert();
    Drain();
    EXPECT_EQ(fake_.Closed.size(), closed) << "withdrawn once";
  }

  Style(DesktopSettings::AlertNotify);
  auto* grid = Find<FlexGrid>("FGrid");
  for (const auto& [row, col] : {std::pair{4, 1}, std::pair{3, 3}}) {  // an empty cell; 8:50
    Open({DayService()}, QTime(8, 10, 30));
    ChooseAndAlert(3, 2, QTime(8, 17));
    Drain();
    EXPECT_EQ(fake_.Closed.size(), closed);
    grid = Find<FlexGrid>("FGrid");
    grid->SetCurrentCell(row, col);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_TRUE(withdrawn()) << row << "," << col;
  }
}

// The panel's tray starts after the clock, as at login, and later starts again: the icon goes
// to it each time, whatever the number shows.
TEST_F(NotifyTest, TheTrayIconGoesToAHostThatAppearsLateAndAgainAfterItRestarts) {
  Open({DayService()}, QTime(8, 10, 30));
  ClockTray* tray = window_->Tray();
  ASSERT_NE(tray, nullptr);
  EXPECT_FALSE(tray->IconShown());
  QObject host;
  for (int start = 1; start <= 2; ++start) {
    ASSERT_TRUE(bus_.registerObject("/StatusNotifierWatcher", &host));
    ASSERT_TRUE(bus_.registerService(ClockTray::kWatcherService));
    EXPECT_TRUE(WaitFor([&] { return tray->Placements() == start; })) << start;
    EXPECT_TRUE(tray->IconShown());
    bus_.unregisterService(ClockTray::kWatcherService);
    bus_.unregisterObject("/StatusNotifierWatcher");
  }
  EXPECT_EQ(tray->Number(), "5");  // the number never changed in between
}

// Without a notification service nothing is said about it; told to notify only, the clock
// falls back to its window rather than letting the alert go unseen.
TEST_F(NotifyTest, NoServiceMeansTheWindowAndNoMessage) {
  for (std::uint8_t style : {DesktopSettings::AlertBoth, DesktopSettings::AlertNotify}) {
    Style(style);
    Open({DayService()}, QTime(8, 10, 30));
    ChooseAndAlert(3, 2, QTime(8, 17));
    ASSERT_TRUE(WaitFor([&] { return window_->Alert() != nullptr; })) << int(style);
    CloseAlert();
    EXPECT_TRUE(MessageBoxSeam::Calls().empty());
  }
}

}  // namespace
}  // namespace v42::apptest

#include "app_notify_test.moc"
