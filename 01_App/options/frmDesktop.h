// The clock's desktop extras: the tray icon, how the alert shows, dimming passed departures,
// taking timetables saved while it runs, starting at login.
// Modal; OK stores them into the settings and writes velkan42.ini; Cancel stores nothing.
#pragma once

#include <QDialog>
#include <array>
#include <filesystem>

#include "Model.h"

class QCheckBox;
class QRadioButton;

namespace v42 {

class frmDesktop : public QDialog {
  Q_OBJECT

 public:
  frmDesktop(IniSettings& settings, std::filesystem::path appFolder, QWidget* parent = nullptr);

 private:
  void comOK_Click();

  IniSettings& settings_;
  std::filesystem::path appFolder_;
  QCheckBox* chkTrayIcon;
  std::array<QRadioButton*, 3> optAlert{};  // the window, the notification, both
  QCheckBox* chkDimPassed;
  QCheckBox* chkFollowSaves;
  QCheckBox* chkDailyRefresh;
  QCheckBox* chkStartAtLogin;
};

}  // namespace v42
