// The clock's icon in the panel's tray: the minutes left drawn in the clock's colours, the
// whole countdown in its tooltip, and a menu of what the clock window's menus offer.
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
  QString ToolTip() const { return icon_.toolTip(); }
  QIcon Icon() const { return icon_.icon(); }
  QMenu* Menu() const { return menu_.get(); }

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
  // The icon goes before its menu: on a StatusNotifier panel it still speaks of the menu as
  // it unregisters.
  std::unique_ptr<QMenu> menu_;
  QSystemTrayIcon icon_;
  QMenu* timetables_;
  QActionGroup* group_;
  QString number_;
  Color fore_ = -1, back_ = -1;
};

}  // namespace v42
