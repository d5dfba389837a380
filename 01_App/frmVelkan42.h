// The clock's main window: the timetable grid, its legend, the three countdown panels.
#pragma once

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "ClockDesktop.h"
#include "ClockStatus.h"
#include "DayChoice.h"
#include "DepartureClock.h"
#include "DesktopNotifier.h"
#include "FeedRefresher.h"
#include "basVelkan42.h"
#include "frmMsg.h"

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;

namespace v42 {

class ClockTray;
class SaveWatcher;

class FlexGrid;

class frmVelkan42 : public QMainWindow {
  Q_OBJECT

 public:
  using ClockSource = std::function<QDateTime()>;

  explicit frmVelkan42(ClockContext& context, QWidget* parent = nullptr);
  ~frmVelkan42() override;

  // Reads the settings and the timetables and fills the window. False when the data file
  // could not be read: its message has been shown and the window must not appear.
  bool Form_Load();

  // Where the window takes its time from. A clock set here is driven by hand
  // (Timer1_Timer), so a test decides when each second comes.
  void SetClock(ClockSource clock);

  const DepartureClock& Clock() const { return *clock_; }
  frmMsg* Alert() const { return alert_; }
  ClockTray* Tray() const { return tray_.get(); }          // null while the tray icon is off
  FeedRefresher* Refresher() const { return refresher_; }  // null while the daily check is off
  bool SavesWaiting() const { return savesWaiting_; }

  static constexpr const char* kCaption = "ベルカン 42";
  // Each tick is scheduled this long after the next whole second.
  static constexpr int kTickDelayMs = 4;

 public slots:
  void Timer1_Timer();
  void menuOptionIni_Click();
  void menuOptionDayTable_Click();
  void menuOptionDesktop_Click();
  void menuHelpVersion_Click();
  void menuFileEnd_Click();

 signals:
  // After every tick that wrote the clock label.
  void Ticked();

 protected:
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();
  void BuildMenus();
  void Combo_Click(int index);
  void FGridWrite();
  void FGridTypeColor();
  void FGTypeWrite();
  void FormSizeSet();
  void AppColorSet();
  void SwatchesSet();
  void ShowState();  // labels and cell colours from the clock
  void Form_Resize();
  void FGrid_DblClick();
  void FGrid_KeyPress(int& keyAscii);
  void Choose();
  void ShowAlert();
  void OpenAlertWindow();
  void AlertFinished();
  void ArmTimer();
  void ChooseDayTable();  // the service day's timetable, when a new service day begins
  void StartOnTimetables();
  void FollowSavesSet();
  void TakeSaves();
  void DailyRefreshSet();
  void TakeRefreshed(const QStringList& lines, bool updated);
  ClockTime Now() const;
  bool ReportFileError(const FileError& error);
  void WithdrawStaleNotice();
  void TraySet();
  void TrayShow();
  void TrayToggle();
  void ValiditySet();

  ClockContext& context_;
  std::unique_ptr<DepartureClock> clock_;
  std::unique_ptr<DayChooser> dayChooser_;
  ClockSource clockSource_;
  bool handDriven_ = false;
  bool loaded_ = false;
  bool shown_ = false;      // the window has been shown once: the tray may come
  qint64 lastSecond_ = -1;  // the wall-clock second the label shows
  QTimer Timer1;
  QPointer<frmMsg> alert_;
  std::unique_ptr<ClockTray> tray_;
  QPointer<SaveWatcher> saves_;        // while the clock takes timetables saved meanwhile
  bool savesWaiting_ = false;          // saved files wait for the chosen departure's alert
  QPointer<FeedRefresher> refresher_;  // while the daily check of URL sources is on
  bool takeRefreshed_ = false;         // the daily check refreshed a timetable: take it
  DesktopNotifier notifier_;
  NoticeKeeper notice_;
  std::array<std::array<CellLook, kSlotCount>, kRowCount> shownLooks_{};
  int shownFirstX_ = -1, shownFirstY_ = -1;
  // What the shown looks were worked out from; while it stays the same, a tick skips the cells.
  struct GridKey {
    int Version, Rows, SetX, SetY, FirstX, FirstY;
    bool SetShown, Dim;
    bool operator==(const GridKey&) const = default;
  };
  std::optional<GridKey> shownGridKey_;

  QWidget* client_ = nullptr;
  // How long the timetables are valid, as last worked out for a service day and timetable.
  QLabel* lblValidity_ = nullptr;
  std::optional<ValidityView> validity_;
  std::pair<int, int> validityKey_{-1, -1};  // day number, timetable
  QComboBox* Combo = nullptr;
  FlexGrid* FGrid = nullptr;
  FlexGrid* FGType = nullptr;
  std::array<QGroupBox*, 3> frmNext{};
  std::array<QLabel*, 3> lblTime{}, lblMinute{}, lblComment{};
  std::array<QLabel*, 6> Label{};
  QLabel* lblNextColor = nullptr;
  QLabel* lblSetColor = nullptr;
  QLabel* lblNowTime = nullptr;
  std::array<QFrame*, 2> linLine{};
};

}  // namespace v42
