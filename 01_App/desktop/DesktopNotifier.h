// The alert as a desktop notification, through the freedesktop notification service on the
// session bus. Each alert replaces the clock's previous one instead of piling up.
#pragma once

#include <QObject>
#include <QString>

namespace v42 {

class DesktopNotifier : public QObject {
  Q_OBJECT

 public:
  explicit DesktopNotifier(QObject* parent = nullptr);

  // Sends the notification without waiting for the service. False when there is no session
  // bus; a missing service reports Failed later.
  bool Notify(const QString& summary, const QString& body);
  // Withdraws the notification shown last, also one whose id is still on its way.
  void Close();

  static constexpr const char* kService = "org.freedesktop.Notifications";
  static constexpr const char* kPath = "/org/freedesktop/Notifications";

 signals:
  void Failed();  // the service did not take the notification

 private:
  void CloseNow();

  uint id_ = 0;  // the service's id of our last notification; 0 = none
  int pending_ = 0;
  bool out_ = false;  // a notification is on show, as far as we know
  bool closeWhenKnown_ = false;
};

}  // namespace v42
