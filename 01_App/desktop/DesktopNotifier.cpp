#include "DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

#include "Autostart.h"

namespace v42 {

namespace {
constexpr const char* kInterface = "org.freedesktop.Notifications";
constexpr unsigned char kCritical = 2;  // urgency: stays until the user closes it
}  // namespace

DesktopNotifier::DesktopNotifier(QObject* parent) : QObject(parent) {}

bool DesktopNotifier::Notify(const QString& summary, const QString& body) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
  const QVariantMap hints{{"urgency", QVariant::fromValue(kCritical)},
                          {"desktop-entry", QString(kClockDesktopId)}};
  call << QStringLiteral("ベルカン 42") << id_ << QString(kClockDesktopId) << summary << body
       << QStringList() << hints << -1;
  closeWhenKnown_ = false;
  out_ = true;
  ++pending_;
  // The tick must not wait on another process: the reply comes back through the event loop.
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    --pending_;
    const QDBusPendingReply<uint> reply = *w;
    if (reply.isError()) {
      emit Failed();
      return;
    }
    id_ = reply.value();
    if (closeWhenKnown_ && pending_ == 0) CloseNow();
  });
  return true;
}

void DesktopNotifier::Close() {
  if (!out_) return;  // withdrawn already
  if (pending_ > 0)
    closeWhenKnown_ = true;
  else
    CloseNow();
}

void DesktopNotifier::CloseNow() {
  closeWhenKnown_ = false;
  out_ = false;
  if (id_ == 0) return;
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kPath, kInterface, "CloseNotification");
  call << id_;
  QDBusConnection::sessionBus().call(call, QDBus::NoBlock);
}

}  // namespace v42
