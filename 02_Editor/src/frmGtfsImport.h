// The GTFS import dialog: a feed, one of its stops, the lines and the day the user rides, and a
// preview of the timetable that OK adds after the editor's list. Reading the feed and the stop
// runs on a worker thread behind a progress dialog that can stop it.
#pragma once

#include <QThread>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "DayImport.h"
#include "EditorContext.h"
#include "EditorDialog.h"
#include "GtfsImport.h"

class QButtonGroup;
class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QProgressDialog;
class QPushButton;
class QRadioButton;

namespace v42 {

class FlexGrid;

class frmGtfsImport : public EditorDialog {
  Q_OBJECT

 public:
  // today: where a day kind starts looking for its first date within the feed.
  frmGtfsImport(EditorContext& context, CivilDate today, QWidget* parent);
  ~frmGtfsImport() override;

  FlexGrid* Grid() const { return FGrid_; }
  // The timetable OK would add; nullopt while there is nothing to add.
  const std::optional<gtfs::ImportResult>& Preview() const { return preview_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // One long read on the worker thread. The result is taken only when the read ended by
  // itself: a user who pressed Cancel gets everything as it was, even if the read had just
  // finished.
  void RunRead(const QString& label, std::function<void(const gtfs::Progress&)> read,
               std::function<void()> done);
  void ReadFinished();

  void cmdFeed_Click();
  void OpenFeed(const std::string& path);
  void txtStop_Change();
  void txtFeed_Enter();
  void lstStops_Click(const QListWidgetItem* item);
  void MarkReadStop();  // the stop of the lines and the preview in bold
  void FillLines();
  void DayChanged();
  void Rebuild();
  // Fills days_ and the preview of the kind shown; the reason when there is nothing to add.
  std::string BuildDays(const gtfs::ImportChoice& choice);
  void ShowPreview();
  void cmdOk_Click();

  EditorContext& ctx_;
  CivilDate today_;

  QLineEdit* txtFeed_ = nullptr;
  QPushButton* cmdFeed_ = nullptr;
  QLineEdit* txtStop_ = nullptr;
  QListWidget* lstStops_ = nullptr;
  QListWidget* lstRoutes_ = nullptr;
  QListWidget* lstHeadsigns_ = nullptr;
  QCheckBox* chkDirection_[2]{};
  QButtonGroup* optDay_ = nullptr;  // 0 平日, 1 土曜, 2 休日, 3 the date box
  QDateEdit* dtpDate_ = nullptr;
  QLabel* lblDate_ = nullptr;
  QCheckBox* chkAllDays_ = nullptr;   // all three kinds at once, and the clock switches
  QButtonGroup* optTypes_ = nullptr;  // 0 per route, 1 per headsign
  QLineEdit* txtTitle_ = nullptr;
  FlexGrid* FGrid_ = nullptr;
  QListWidget* lstKinds_ = nullptr;
  QPlainTextEdit* txtReport_ = nullptr;
  QPushButton* cmdOk_ = nullptr;

  std::optional<gtfs::Feed> feed_;
  std::string feedPath_;
  std::optional<gtfs::StopDepartures> departures_;
  std::optional<CivilDate> date_;
  std::optional<gtfs::ImportResult> preview_;
  std::vector<gtfs::DayTimetable> days_;  // what OK adds while chkAllDays is ticked

  // The read in progress.
  QThread* worker_ = nullptr;
  QProgressDialog* prgLoad_ = nullptr;
  std::atomic<bool> cancel_{false};
  std::function<void()> done_;
  std::string error_, errorCaption_;
  bool cancelled_ = false;
};

}  // namespace v42
