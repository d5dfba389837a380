// Which timetable the clock selects by itself on weekdays, Saturdays and holidays. Modal; OK
// writes velkan42.ini and closes with Accepted, Cancel closes and stores nothing.
#pragma once

#include <QDialog>
#include <array>
#include <filesystem>

#include "Model.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;

namespace v42 {

class frmDayTable : public QDialog {
  Q_OBJECT

 public:
  // The store gives the titles to choose from; the settings change only when OK has saved.
  frmDayTable(IniSettings& settings, const TimetableStore& store, std::filesystem::path appFolder,
              QWidget* parent = nullptr);

  static constexpr const char* kMenuText = "曜日ダイヤ設定(&D)...";
  static constexpr const char* kCaption = "曜日ダイヤ設定";
  static constexpr const char* kListChanged =
      "時刻表データが変更されています。\r時計を起動し直してから設定してください。";

 private:
  void comOK_Click();

  IniSettings& settings_;
  TimetableStore shown_;  // the list the choices number
  std::filesystem::path appFolder_;
  std::array<QComboBox*, 3> cmbDayTable{};  // by kind of day; entry 0 = no switching
  QSpinBox* spnDayStartHour = nullptr;
  QCheckBox* chkYearEndHoliday = nullptr;
  QPushButton* comOK = nullptr;
  QPushButton* comCancel = nullptr;
};

}  // namespace v42
