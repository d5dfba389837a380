// The clock's icon in the panel's tray: the minutes left drawn in the clock's colours, the
// whole countdown in its tooltip, and a menu of what the clock window's menus offer. The icon
// goes to a tray as soon as one appears, also one started after the clock or started again.
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QSystemTrayIcon>
#include <memory>

#include "Model.h"

class QAction;
class QActionGroup;
class QMenu;

namespace v42 {

class ClockTray : public QObject {
  Q_OBJECT

 public:
  explicit ClockTray(QObject* parent = nullptr);
  ~ClockTray() override;

  // The timetables of the submenu; current is checked.
  void SetTimetables(const QStringList& titles, int current);
  // Redraws only what changed, so the clock's tick costs next to nothing here.
  void Show(const QString& number, const QString& toolTip, int current, Color fore, Color back);

  const QString& Number() const { return number_; }
  const QString& ToolTip() const { return toolTip_; }
  const QIcon& Icon() const { return picture_; }
  QMenu* Menu() const { return menu_.get(); }
  // The icon as a tray has it: shown, and how often it was handed to a tray host.
  bool IconShown() const { return icon_ && icon_->isVisible(); }
  int Placements() const { return placements_; }

  // What a click on the icon asks for.
  void Activated(QSystemTrayIcon::ActivationReason why);

  // The panel's registry of StatusNotifier icons on the session bus.
  static constexpr const char* kWatcherService = "org.kde.StatusNotifierWatcher";

  // The icon at one size: the number on the clock's background.
  static QPixmap Draw(const QString& number, Color fore, Color back, int size);

 signals:
  void ToggleRequested();  // a left click: show or hide the clock window
  void TimetableChosen(int index);
  void OptionsRequested();
  void DesktopOptionsRequested();
  void VersionRequested();
  void QuitRequested();

 private:
  void MakeIcon();
  void HostAppeared();

  // The icon goes before its menu: on a StatusNotifier panel it still speaks of the menu as
  // it unregisters.
  std::unique_ptr<QMenu> menu_;
  // Made once a tray can take it: Qt decides once per process whether icons go over D-Bus,
  // so an icon made before the panel's registry is there would never reach it.
  std::unique_ptr<QSystemTrayIcon> icon_;
  QMenu* timetables_;
  QActionGroup* group_;
  QString number_, toolTip_;
  QIcon picture_;
  int placements_ = 0;
  Color fore_ = -1, back_ = -1;
};

}  // namespace v42
