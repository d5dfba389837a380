#include "ClockTray.h"

#include <QActionGroup>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>

#include "Fonts.h"
#include "OleColor.h"

namespace v42 {

ClockTray::ClockTray(QObject* parent)
    : QObject(parent), menu_(std::make_unique<QMenu>()), timetables_(menu_->addMenu("時刻表(&T)")) {
  menu_->setObjectName("trayMenu");
  timetables_->setObjectName("trayTimetables");
  group_ = new QActionGroup(timetables_);
  connect(group_, &QActionGroup::triggered, this,
          [this](QAction* action) { emit TimetableChosen(action->data().toInt()); });
  menu_->addSeparator();
  connect(menu_->addAction("設定(&S)"), &QAction::triggered, this, &ClockTray::OptionsRequested);
  connect(menu_->addAction("デスクトップ(&D)"), &QAction::triggered, this,
          &ClockTray::DesktopOptionsRequested);
  connect(menu_->addAction("ﾊﾞｰｼﾞｮﾝ情報"), &QAction::triggered, this, &ClockTray::VersionRequested);
  menu_->addSeparator();
  connect(menu_->addAction("終了(&E)"), &QAction::triggered, this, &ClockTray::QuitRequested);

  // An X11 panel embeds the icon, and Qt itself watches for such a tray to appear or start
  // again, once the icon is shown.
  if (QGuiApplication::platformName() == "xcb") MakeIcon();
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  auto* watcher = new QDBusServiceWatcher(kWatcherService, bus,
                                          QDBusServiceWatcher::WatchForRegistration, this);
  connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, &ClockTray::HostAppeared);
  if (!icon_ && bus.interface()->isServiceRegistered(kWatcherService)) MakeIcon();
}

void ClockTray::MakeIcon() {
  icon_ = std::make_unique<QSystemTrayIcon>();
  icon_->setObjectName("trayIcon");
  icon_->setContextMenu(menu_.get());
  connect(icon_.get(), &QSystemTrayIcon::activated, this, &ClockTray::Activated);
  icon_->setToolTip(toolTip_);
  if (picture_.isNull()) return;  // shown with its first number
  icon_->setIcon(picture_);
  icon_->show();
  ++placements_;
}

void ClockTray::HostAppeared() {
  if (!icon_) {
    MakeIcon();
    return;
  }
  // A registry started again knows nothing of the icon: it is offered anew.
  if (!icon_->isVisible()) return;
  icon_->hide();
  icon_->show();
  ++placements_;
}

void ClockTray::Activated(QSystemTrayIcon::ActivationReason why) {
  if (why == QSystemTrayIcon::Trigger) emit ToggleRequested();
}

ClockTray::~ClockTray() = default;

void ClockTray::SetTimetables(const QStringList& titles, int current) {
  for (QAction* action : group_->actions()) delete action;
  for (int i = 0; i < titles.size(); ++i) {
    QAction* action = timetables_->addAction(titles[i]);
    action->setCheckable(true);
    action->setChecked(i == current);
    action->setData(i);
    group_->addAction(action);
  }
}

void ClockTray::Show(const QString& number, const QString& toolTip, int current, Color fore,
                     Color back) {
  if (number != number_ || fore != fore_ || back != back_) {
    number_ = number;
    fore_ = fore;
    back_ = back;
    picture_ = QIcon();
    for (int size : {16, 22, 24, 32, 48, 64}) picture_.addPixmap(Draw(number, fore, back, size));
    if (icon_) {
      icon_->setIcon(picture_);
      if (!icon_->isVisible()) {
        icon_->show();
        ++placements_;
      }
    }
  }
  if (toolTip != toolTip_) {
    toolTip_ = toolTip;
    if (icon_) icon_->setToolTip(toolTip);
  }
  const QList<QAction*> actions = group_->actions();
  if (current >= 0 && current < actions.size() && !actions[current]->isChecked())
    actions[current]->setChecked(true);
}

QPixmap ClockTray::Draw(const QString& number, Color fore, Color back, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(ToQColor(back));
  QPainter painter(&pixmap);
  QFont font = GothicFont(9);
  font.setBold(true);
  // Two digits fill the width; the monospace font's digits are half its height wide.
  font.setPixelSize(std::max(6, size * (number.size() > 2 ? 7 : 9) / 10));
  painter.setFont(font);
  painter.setPen(ToQColor(fore));
  painter.drawText(pixmap.rect(), Qt::AlignCenter, number);
  return pixmap;
}

}  // namespace v42
