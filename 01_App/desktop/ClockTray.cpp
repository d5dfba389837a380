#include "ClockTray.h"

#include <QActionGroup>
#include <QMenu>
#include <QPainter>

#include "Fonts.h"
#include "OleColor.h"

namespace v42 {

ClockTray::ClockTray(QObject* parent)
    : QObject(parent),
      menu_(std::make_unique<QMenu>()),
      icon_(this),
      timetables_(menu_->addMenu("時刻表(&T)")) {
  icon_.setObjectName("trayIcon");
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
  icon_.setContextMenu(menu_.get());
  connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
    if (why == QSystemTrayIcon::Trigger) emit ToggleRequested();
  });
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
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) icon.addPixmap(Draw(number, fore, back, size));
    icon_.setIcon(icon);
    // Without a tray the icon is never shown, and Qt has nothing to complain about; a panel
    // that starts later gets the icon with its next number.
    if (!icon_.isVisible() && QSystemTrayIcon::isSystemTrayAvailable()) icon_.show();
  }
  if (toolTip != icon_.toolTip()) icon_.setToolTip(toolTip);
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
