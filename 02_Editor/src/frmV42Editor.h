// The editor's main window: the list of timetables and the operations on it.
#pragma once

#include <QMainWindow>
#include <array>

#include "DiskChanges.h"
#include "EditorContext.h"
#include "EditorList.h"
#include "UndoHistory.h"

class QLabel;
class QListWidget;
class QTimer;
class QFileSystemWatcher;
class QPushButton;
class QAction;

namespace v42 {

inline constexpr const char* kEditorTitle = "ベルカン42エディタ";

class frmV42Editor : public QMainWindow {
  Q_OBJECT

 public:
  explicit frmV42Editor(EditorContext& context, QWidget* parent = nullptr);

  // Reads the data file and fills the list. False when the program is to end (the reason has
  // been shown). importing: with no data file yet the list starts empty instead.
  bool Form_Load(bool importing = false);

  // File → import from GTFS; a start that imports opens it at once.
  void menuFileImport_Click();

  // The version box's text.
  static std::string VersionText();

  // Puts unsaved edits in the recovery file; for a program ended by a signal.
  void KeepUnsavedEdits();
  // 元に戻す (Ctrl+Z) and やり直し (Ctrl+Y) of the list: deletions, additions, moves, edits
  // and imports.
  void Undo();
  void Redo();

  // True once this session has saved a file holding at least one timetable.
  bool SavedATimetable() const { return savedOnce_ && saved_.Count > 0; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void cmdAct_Click(int index);
  void ButtonStateSet();
  void ListTitles();
  int SelectedIndex() const;
  void Select(int index);
  void EditSelected(int sel);
  void menuFileSave_Click();
  bool Save();
  bool Changed() const;
  void menuHelpVersion_Click();
  void OfferRecovery();
  void TakeFromDisk(const DiskComparison& disk);
  void CheckDisk();
  void WatchFolder();

  DiskSnapshot snapshot_;  // velkan42.dat as last read or saved
  TimetableStore base_;    // what snapshot_ holds
  QTimer* diskSettle_ = nullptr;
  QFileSystemWatcher* watcher_ = nullptr;
  ListState State() const;
  void Restore(const ListState& state);
  void Recorded(const ListState& before);

  EditorContext& ctx_;
  QListWidget* lstDataList_ = nullptr;
  std::array<QPushButton*, 6> cmdAct_{};
  TimetableStore saved_;  // the store as last read or saved
  QLabel* lblEmpty_ = nullptr;
  QAction* undo_ = nullptr;
  QAction* redo_ = nullptr;
  UndoHistory<ListState> history_;
  bool savedOnce_ = false;
};

}  // namespace v42
