#include "frmV42Editor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QFileSystemWatcher>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <memory>
#include <optional>

#include "AppFolder.h"
#include "DataFile.h"
#include "DataFormat.h"
#include "EditorList.h"
#include "EndOnSignals.h"
#include "FeedRefresh.h"
#include "FilesLock.h"
#include "FirstStart.h"
#include "Fonts.h"
#include "MessageBox.h"
#include "TableOrigins.h"
#include "Twips.h"
#include "frmDataEdit.h"
#include "frmGtfsImport.h"

namespace v42 {

namespace {

constexpr int kClientWidth = 4155;
constexpr int kClientHeight = 2220;
constexpr const char* kSavedMessage = "ファイルを保存しました。";
constexpr const char* kNoticeCaption = "通知メッセージ";
constexpr const char* kVersionCaption = "ﾊﾞｰｼﾞｮﾝ情報";
constexpr const char* kSaveQuestion = "変更を保存しますか？";
constexpr const char* kChangedOnDisk = "時刻表ファイルがほかのプログラムで変更されています。";
constexpr const char* kRecoveryQuestion = "保存されていない変更が見つかりました。復元しますか？";
// Unsaved edits go to the recovery file this often, besides when the program is ended.
constexpr int kRecoveryIntervalMs = 60 * 1000;
// A file without timetables opens the list empty, with the two ways to fill it.
constexpr const char* kEmptyHint =
    "時刻表がありません。「ADD NEW」で作るか、ﾌｧｲﾙ→GTFSから取り込みで取り込んでください。";

struct ButtonDesign {
  const char* Caption;
  int Left, Top, Width, Height;
};
constexpr std::array<ButtonDesign, 6> kButtons{{
    {"ALL DELETE", 0, 1695, 1395, 255},
    {"DELETE", 1380, 1695, 1395, 255},
    {"ADD NEW", 2760, 1695, 1395, 255},
    {"Edit", 0, 1965, 4155, 255},
    {"▲", 3735, 0, 420, 855},
    {"▼", 3735, 840, 420, 855},
}};

// "出典: ...\n有効期間: 2026/04/01〜2026/09/30" for the list's tooltip.
std::string SourceText(const feeds::FeedEntry& e) {
  const auto slashed = [](std::string date) {
    std::replace(date.begin(), date.end(), '-', '/');
    return date.empty() ? std::string("不明") : date;
  };
  std::string text = "出典: " + e.Source + "\n停留所: " + e.StopName +
                     "\n有効期間: " + slashed(e.ValidFrom()) + "〜" + slashed(e.ValidUntil());
  if (!e.FeedVersion.empty()) text += "\n版: " + e.FeedVersion;
  return text;
}

}  // namespace

frmV42Editor::frmV42Editor(EditorContext& context, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                              Qt::MSWindowsFixedSizeDialogHint),
      ctx_(context) {
  setObjectName("frmV42Editor");
  setWindowTitle(QString::fromUtf8(kEditorTitle));
  setFont(GothicFont(9));

  auto* client = new QWidget(this);
  setCentralWidget(client);
  client->setFixedSize(TwipsSize(kClientWidth, kClientHeight));

  lstDataList_ = new QListWidget(client);
  lstDataList_->setObjectName("lstDataList");
  lstDataList_->setSelectionMode(QAbstractItemView::SingleSelection);
  PlaceTwips(lstDataList_, 0, 15, 3735, 1680);
  lstDataList_->installEventFilter(this);
  lstDataList_->viewport()->installEventFilter(this);
  connect(lstDataList_, &QListWidget::itemSelectionChanged, this, [this] { ButtonStateSet(); });
  lblEmpty_ = new QLabel(QString::fromUtf8(kEmptyHint), lstDataList_->viewport());
  lblEmpty_->setObjectName("lblEmpty");
  lblEmpty_->setWordWrap(true);
  lblEmpty_->setAlignment(Qt::AlignCenter);
  // Laid out in the list's viewport, so it takes the list's size whenever that is known.
  (new QVBoxLayout(lstDataList_->viewport()))->addWidget(lblEmpty_);
  lblEmpty_->hide();

  for (int i = 0; i < 6; ++i) {
    const auto& design = kButtons[i];
    auto* button = new QPushButton(QString::fromUtf8(design.Caption), client);
    button->setObjectName(QStringLiteral("cmdAct_%1").arg(i));
    button->setAutoDefault(false);
    // The design's 255-twip buttons leave no room for the style's padding.
    button->setStyleSheet(QStringLiteral("QPushButton { padding: 0px; }"));
    PlaceTwips(button, design.Left, design.Top, design.Width, design.Height);
    connect(button, &QPushButton::clicked, this, [this, i] { cmdAct_Click(i); });
    cmdAct_[i] = button;
  }
  // The list comes first, then the buttons as a user reads them.
  setTabOrder(lstDataList_, cmdAct_[4]);
  setTabOrder(cmdAct_[4], cmdAct_[5]);
  setTabOrder(cmdAct_[5], cmdAct_[0]);
  setTabOrder(cmdAct_[0], cmdAct_[1]);
  setTabOrder(cmdAct_[1], cmdAct_[2]);
  setTabOrder(cmdAct_[2], cmdAct_[3]);

  auto* menuFile = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
  menuFile->setObjectName("menuFile");
  auto* save = menuFile->addAction(QStringLiteral("保存(&S)"));
  save->setObjectName("menuFileSave");
  connect(save, &QAction::triggered, this, [this] { menuFileSave_Click(); });
  auto* importGtfs = menuFile->addAction(QStringLiteral("GTFSから取り込み(&G)..."));
  importGtfs->setObjectName("menuFileImport");
  connect(importGtfs, &QAction::triggered, this, [this] { menuFileImport_Click(); });
  auto* refresh = menuFile->addAction(QStringLiteral("GTFSから更新(&U)..."));
  refresh->setObjectName("menuFileRefresh");
  connect(refresh, &QAction::triggered, this, [this] { menuFileRefresh_Click(); });
  menuFile->addSeparator()->setObjectName("menuFileBar");
  auto* end = menuFile->addAction(QStringLiteral("終了(&E)"));
  end->setObjectName("menuFileEnd");
  connect(end, &QAction::triggered, this, [this] { close(); });
  auto* menuEdit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
  menuEdit->setObjectName("menuEdit");
  undo_ = menuEdit->addAction(QStringLiteral("元に戻す(&U)"));
  undo_->setObjectName("menuEditUndo");
  undo_->setShortcut(QKeySequence::Undo);
  connect(undo_, &QAction::triggered, this, [this] { Undo(); });
  redo_ = menuEdit->addAction(QStringLiteral("やり直し(&R)"));
  redo_->setObjectName("menuEditRedo");
  redo_->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  connect(redo_, &QAction::triggered, this, [this] { Redo(); });
  auto* menuHelp = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
  menuHelp->setObjectName("menuHelp");
  auto* version = menuHelp->addAction(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
  version->setObjectName("menuHelpVersion");
  connect(version, &QAction::triggered, this, [this] { menuHelpVersion_Click(); });

  setFixedSize(sizeHint());

  // A short pause lets a burst of folder events (temporary file, rename) settle into one look.
  diskSettle_ = new QTimer(this);
  diskSettle_->setSingleShot(true);
  diskSettle_->setInterval(200);
  connect(diskSettle_, &QTimer::timeout, this, [this] { CheckDisk(); });
  watcher_ = new QFileSystemWatcher(this);
  connect(watcher_, &QFileSystemWatcher::directoryChanged, diskSettle_,
          qOverload<>(&QTimer::start));
  auto* recovery = new QTimer(this);
  recovery->setInterval(kRecoveryIntervalMs);
  connect(recovery, &QTimer::timeout, this, [this] { KeepUnsavedEdits(); });
  recovery->start();
}

bool frmV42Editor::Form_Load(bool importing) {
  ctx_.Store.MaxRows = 1;
  ctx_.Store.MaxSlot = 10;
  // An import on a first start begins from no file at all, which the first save makes. A file
  // that is there is read as always; one without a timetable opens as an empty list.
  if (!importing || !NeedsFirstStart(ctx_.AppFolder)) {
    try {
      // The bytes are kept, to tell later whether another program saved over them.
      snapshot_ = TakeSnapshot(ctx_.AppFolder);
      if (!snapshot_.Exists) throw MissingFileError(kDataFileName);
      ParseDataFile(ctx_.Store, snapshot_.Bytes);
    } catch (const FileError& error) {
      ShowMessage(this, error.what(), error.Caption, MsgIcon::Critical);
      return false;
    }
  }
  ctx_.Origins.Reset(ctx_.Store.Count);
  saved_ = ctx_.Store;
  base_ = ctx_.Store;
  OfferRecovery();
  WatchFolder();
  CentreOnScreen(this);
  ListTitles();
  ButtonStateSet();
  return true;
}

std::string frmV42Editor::VersionText() {
  return "【ベルカン42エディタ】\u3000Ver 1.10\n\n"
         "時刻表を編集して velkan42.dat に保存します。\n"
         "ベルカン42 開発チーム";
}

void frmV42Editor::ListTitles() {
  lstDataList_->clear();
  for (int i = 0; i < ctx_.Store.Count; ++i)
    lstDataList_->addItem(QString::fromStdString(ctx_.Store.Records[i].Title));
  ShowSources();
}

// Each imported timetable tells its source and validity where the pointer rests on it.
void frmV42Editor::ShowSources() {
  std::optional<feeds::FeedRecord> record;
  try {
    record = feeds::ReadFeedRecord(ctx_.AppFolder);
  } catch (const FileError&) {
    // Reported when a save or a refresh needs it; the list works without it.
  }
  const int count = lstDataList_->count();
  std::vector<const feeds::FeedEntry*> shown(count, nullptr);
  if (record) {
    for (const feeds::FeedEntry& e : record->Entries) {
      const int row = ctx_.Origins.Current(e.Timetable, count);
      if (row >= 0) shown[row] = &e;
    }
  }
  for (const PendingFeed& p : ctx_.NewFeeds) {
    const int row = ctx_.Origins.Current(p.Tag, count);
    if (row >= 0) shown[row] = &p.Entry;
  }
  for (int i = 0; i < count; ++i)
    lstDataList_->item(i)->setToolTip(shown[i] ? QString::fromStdString(SourceText(*shown[i]))
                                               : QString());
}

int frmV42Editor::SelectedIndex() const {
  const auto selected = lstDataList_->selectedItems();
  return selected.isEmpty() ? -1 : lstDataList_->row(selected.front());
}

void frmV42Editor::Select(int index) {
  lstDataList_->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

void frmV42Editor::ButtonStateSet() {
  const auto on = ButtonStates(lstDataList_->count(), SelectedIndex());
  for (int i = 0; i < 6; ++i) cmdAct_[i]->setEnabled(on[i]);
  lblEmpty_->setVisible(lstDataList_->count() == 0);
  undo_->setEnabled(history_.CanUndo());
  redo_->setEnabled(history_.CanRedo());
}

ListState frmV42Editor::State() const {
  ListState state;
  state.Records = ctx_.Store.Records;
  state.Count = ctx_.Store.Count;
  state.Origins = ctx_.Origins;
  return state;
}

void frmV42Editor::Restore(const ListState& state) {
  const int sel = SelectedIndex();
  ctx_.Store.Records = state.Records;
  ctx_.Store.Count = static_cast<std::uint8_t>(state.Count);
  ctx_.Origins = state.Origins;
  ListTitles();
  if (sel >= 0 && sel < state.Count) Select(sel);
  ButtonStateSet();
}

void frmV42Editor::Recorded(const ListState& before) {
  if (!(State() == before)) history_.Record(before);
  ButtonStateSet();
}

void frmV42Editor::Undo() {
  if (const auto state = history_.Undo(State())) Restore(*state);
}

void frmV42Editor::Redo() {
  if (const auto state = history_.Redo(State())) Restore(*state);
}

void frmV42Editor::cmdAct_Click(int index) {
  const int sel = SelectedIndex();
  auto& store = ctx_.Store;
  const ListState before = State();
  switch (index) {
    case kAllDelete:
      if (store.Count == 0 ||
          ShowMessage(this, AllDeleteQuestion(store), kEditorTitle, MsgIcon::Question,
                      QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        break;
      lstDataList_->clear();
      AllDelete(store);
      ctx_.Origins.Reset(0);
      break;
    case kDelete:
      if (sel < 0 || ShowMessage(this, DeleteQuestion(store, sel), kEditorTitle, MsgIcon::Question,
                                 QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        break;
      delete lstDataList_->takeItem(sel);
      DeleteAt(store, sel);
      ctx_.Origins.Erase(sel);
      lstDataList_->clearSelection();
      break;
    case kAddNew:
      if (!AddNew(store)) break;
      ctx_.Origins.Insert(store.Count - 1);
      lstDataList_->addItem(QString::fromUtf8(kNewTitle));
      break;
    case kEdit:
      if (sel >= 0) EditSelected(sel);
      break;
    case kUp:
    case kDown: {
      const int to = index == kUp ? MoveUp(store, sel) : MoveDown(store, sel);
      if (to == sel) break;
      ctx_.Origins.Swap(sel, to);
      lstDataList_->item(sel)->setText(QString::fromStdString(store.Records[sel].Title));
      lstDataList_->item(to)->setText(QString::fromStdString(store.Records[to].Title));
      Select(to);
      break;
    }
    default:
      break;
  }
  Recorded(before);
}

void frmV42Editor::EditSelected(int sel) {
  ctx_.EditIndex = static_cast<std::uint8_t>(sel);
  auto* editor = new frmDataEdit(ctx_, this);
  connect(editor, &QDialog::finished, this, [this, before = State()] {
    // The title may have changed.
    ListTitles();
    Recorded(before);
  });
  editor->ShowModal();
}

void frmV42Editor::menuFileSave_Click() { Save(); }

bool frmV42Editor::Save() {
  // The file on disk that the user chose to overwrite, if asked.
  std::optional<DiskSnapshot> overwrite;
  for (;;) {
    std::string note;
    std::optional<DiskComparison> ask;
    std::optional<FileError> followError;
    try {
      MakeAppFolder(ctx_.AppFolder);  // an import on a first start has made nothing yet
      // Check and write as one step: no other program's save can fall between them.
      const FilesLock lock(ctx_.AppFolder);
      DiskComparison disk = CompareWithDisk(snapshot_, base_, ctx_.AppFolder);
      const bool fits = ctx_.Store.Count + disk.Appended <= kTimetableCount;
      if (disk.Change == DiskChange::Appended && fits && !overwrite) {
        // An import added timetables: they go after the editor's own list.
        for (int k = 0; k < disk.Appended; ++k) {
          const int at = ctx_.Store.Count;
          ctx_.Store.Records[at] = disk.OnDisk.Records[base_.Count + k];
          ++ctx_.Store.Count;
          ctx_.Origins.Adopt(at, base_.Count + k);
        }
        ctx_.Store.MaxRows = std::max(ctx_.Store.MaxRows, disk.OnDisk.MaxRows);
        ctx_.Store.MaxSlot = std::max(ctx_.Store.MaxSlot, disk.OnDisk.MaxSlot);
        note = "\nほかのプログラムが追加した時刻表 " + std::to_string(disk.Appended) +
               " 件を、一覧の最後に加えて保存しました。";
      } else if (disk.Change != DiskChange::None && (!overwrite || !(*overwrite == disk.Now))) {
        ask = std::move(disk);  // asked below, without holding the lock
      }
      if (!ask) {
        WriteDataFile(ctx_.Store, ctx_.AppFolder);
        // Once velkan42.dat is saved the source record and the clock's day timetables follow
        // theirs. A file that cannot be written is told (after the lock is let go); the
        // timetables are saved.
        try {
          FollowFeedRecord(ctx_.Origins, ctx_.NewFeeds, ctx_.Store.Count, ctx_.AppFolder);
        } catch (const FileError& error) {
          followError = error;
        }
        try {
          FollowDayTables(ctx_.Origins, ctx_.Store.Count, ctx_.AppFolder);
        } catch (const FileError& error) {
          if (!followError) followError = error;
        }
        snapshot_ = TakeSnapshot(ctx_.AppFolder);
        base_ = TimetableStore{};
        ParseDataFile(base_, snapshot_.Bytes);
      }
    } catch (const FileError& error) {
      // Nothing was replaced; the timetables stay in memory so that the user can try again.
      ShowMessage(this, error.what(), error.Caption, MsgIcon::Critical);
      return false;
    }
    if (ask) {
      const int choice = ShowChoice(this, kChangedOnDisk, kEditorTitle, MsgIcon::Warning,
                                    {"上書き保存", "読み込み直す", "キャンセル"});
      if (choice == 0) {
        overwrite = ask->Now;
        continue;
      }
      if (choice == 1) TakeFromDisk(*ask);
      return false;
    }
    if (followError)
      ShowMessage(this, followError->what(), followError->Caption, MsgIcon::Critical);
    if (!note.empty()) ListTitles();
    saved_ = ctx_.Store;
    savedOnce_ = true;
    RemoveRecovery(ctx_.AppFolder);
    WatchFolder();
    ShowMessage(this, kSavedMessage + note, kNoticeCaption, MsgIcon::Information);
    return true;
  }
}

void frmV42Editor::TakeFromDisk(const DiskComparison& disk) {
  if (!disk.Readable) {
    // Say why the file cannot be taken: missing, unreadable or damaged.
    try {
      TimetableStore probe;
      ReadDataFile(probe, ctx_.AppFolder);
    } catch (const FileError& error) {
      ShowMessage(this, error.what(), error.Caption, MsgIcon::Critical);
    }
    return;
  }
  // The selection stays on the same timetable: by position when the title there is the same,
  // else by its title.
  const int sel = SelectedIndex();
  const std::string title = sel >= 0 ? ctx_.Store.Records[sel].Title : std::string();
  TimetableStore store = disk.OnDisk;
  store.MaxRows = std::max(store.MaxRows, ctx_.Store.MaxRows);
  store.MaxSlot = std::max(store.MaxSlot, ctx_.Store.MaxSlot);
  ctx_.Store = store;
  saved_ = store;
  base_ = disk.OnDisk;
  snapshot_ = disk.Now;
  ctx_.Origins.Reset(store.Count);
  // Steps back would lead to lists another program has since replaced on disk.
  history_ = UndoHistory<ListState>();
  RemoveRecovery(ctx_.AppFolder);
  ListTitles();
  int select = -1;
  if (sel >= 0 && sel < store.Count && store.Records[sel].Title == title) {
    select = sel;
  } else if (sel >= 0) {
    for (int i = 0; i < store.Count && select < 0; ++i)
      if (store.Records[i].Title == title) select = i;
  }
  if (select >= 0) Select(select);
  ButtonStateSet();
}

void frmV42Editor::CheckDisk() {
  // Unsaved changes wait for the save, which decides; a dialog open on a timetable is not
  // pulled from under the user either.
  if (Changed() || QApplication::activeModalWidget() != nullptr) {
    if (!Changed()) diskSettle_->start(1000);
    return;
  }
  const DiskComparison disk = CompareWithDisk(snapshot_, base_, ctx_.AppFolder);
  if (disk.Change != DiskChange::None && disk.Readable) TakeFromDisk(disk);
}

void frmV42Editor::WatchFolder() {
  // Saves by other programs replace the file, so the folder is what changes. One that does
  // not exist yet (an import on a first start) is watched once the first save has made it.
  const QString folder = QString::fromStdString(ctx_.AppFolder.string());
  std::error_code ec;
  if (!std::filesystem::is_directory(ctx_.AppFolder, ec) ||
      watcher_->directories().contains(folder)) {
    return;
  }
  watcher_->addPath(folder);
}

void frmV42Editor::KeepUnsavedEdits() {
  if (!Changed()) return;
  try {
    WriteRecovery(ctx_.Store, ctx_.AppFolder);
  } catch (const FileError&) {
    // The folder cannot take it; the edits are still in the window until it ends.
  }
}

void frmV42Editor::OfferRecovery() {
  TimetableStore recovered = ctx_.Store;
  if (!ReadRecovery(recovered, ctx_.AppFolder)) return;
  const auto answer = ShowMessage(this, kRecoveryQuestion, kEditorTitle, MsgIcon::Question,
                                  QMessageBox::Yes | QMessageBox::No);
  if (answer == QMessageBox::Yes) {
    ctx_.Store = recovered;
    // Day tables follow by position, the best guess for a list whose moves are not known.
  } else if (!EndingOnSignal()) {
    RemoveRecovery(ctx_.AppFolder);
  }
}

bool frmV42Editor::Changed() const {
  return ctx_.Store.Count != saved_.Count || ctx_.Store.Records != saved_.Records;
}

void frmV42Editor::closeEvent(QCloseEvent* event) {
  // Quitting is the one place where unsaved timetables could vanish without a word.
  if (Changed()) {
    const auto answer = ShowMessage(this, kSaveQuestion, kEditorTitle, MsgIcon::Question,
                                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel || (answer == QMessageBox::Yes && !Save())) {
      event->ignore();
      return;
    }
    if (answer == QMessageBox::No && !EndingOnSignal()) {
      RemoveRecovery(ctx_.AppFolder);
      saved_ = ctx_.Store;  // discarded: nothing is kept at the program's end
    }
  }
  QMainWindow::closeEvent(event);
}

void frmV42Editor::menuFileImport_Click() {
  const QDate today = QDate::currentDate();
  auto* dialog = new frmGtfsImport(ctx_, {today.year(), today.month(), today.day()}, this);
  connect(dialog, &QDialog::accepted, this, [this, before = State()] {
    ListTitles();
    Select(ctx_.Store.Count - 1);
    Recorded(before);
  });
  // The keys come back to the list (and its menu), whatever the window manager does: a first
  // start goes on to the save with them.
  connect(dialog, &QDialog::finished, this, [this] {
    activateWindow();
    lstDataList_->setFocus();
  });
  dialog->ShowModal();
}

void frmV42Editor::menuFileRefresh_Click() {
  // A refresh replaces timetables in the file: the list must be the file's first.
  if (Changed()) {
    if (ShowMessage(this, "更新の前に変更を保存します。よろしいですか？", kEditorTitle,
                    MsgIcon::Question, QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok ||
        !Save()) {
      return;
    }
  }
  const QDate today = QDate::currentDate();
  feeds::RefreshOptions options;
  options.Today = {today.year(), today.month(), today.day()};
  auto* progress = new QProgressDialog(QStringLiteral("取り込んだ時刻表を更新しています..."),
                                       QStringLiteral("キャンセル"), 0, 0, this);
  progress->setObjectName("prgRefresh");
  progress->setWindowModality(Qt::WindowModal);
  progress->setMinimumDuration(0);
  auto cancel = std::make_shared<std::atomic<bool>>(false);
  connect(progress, &QProgressDialog::canceled, this, [cancel] { *cancel = true; });
  options.Progress.Cancel = cancel.get();
  auto lines = std::make_shared<std::vector<std::string>>();
  const std::filesystem::path folder = ctx_.AppFolder;
  QThread* worker = QThread::create([options, cancel, lines, folder] {
    try {
      for (const feeds::RefreshLine& line : feeds::RefreshAll(folder, options))
        lines->push_back(feeds::LineText(line));
      if (lines->empty()) lines->push_back("GTFSから取り込んだ時刻表はありません。");
    } catch (const gtfs::Cancelled& e) {
      lines->push_back(e.what());
    } catch (const FileError& e) {
      lines->push_back(e.what());
    }
  });
  connect(worker, &QThread::finished, this, [this, worker, progress, lines] {
    worker->deleteLater();
    progress->hide();
    progress->deleteLater();
    // What refreshed is in the file now; the list was saved before, so it is taken as it is.
    try {
      TakeFromDisk(CompareWithDisk(snapshot_, base_, ctx_.AppFolder));
    } catch (const FileError& error) {
      lines->push_back(error.what());
    }
    ListTitles();
    ButtonStateSet();
    QStringList text;
    for (const std::string& line : *lines) text << QString::fromStdString(line);
    ShowMessage(this, text.join('\n').toStdString(), kNoticeCaption, MsgIcon::Information);
  });
  progress->show();
  worker->start();
}

void frmV42Editor::menuHelpVersion_Click() {
  ShowMessage(this, VersionText(), kVersionCaption, MsgIcon::Information, QMessageBox::Ok,
              AppFolderNote(ctx_.AppFolder));
}

bool frmV42Editor::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lstDataList_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    const int sel = SelectedIndex();
    if (key == Qt::Key_Delete && sel >= 0) {
      cmdAct_Click(kDelete);
      return true;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && sel >= 0) {
      cmdAct_Click(kEdit);
      return true;
    }
    // With nothing selected the arrow keys start at the first entry.
    if ((key == Qt::Key_Down || key == Qt::Key_Up) && sel < 0 && lstDataList_->count() > 0) {
      Select(0);
      return true;
    }
  }
  if (watched == lstDataList_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    // Let the list select the entry under the pointer first, then act on the selection.
    lstDataList_->viewport()->removeEventFilter(this);
    QCoreApplication::sendEvent(lstDataList_->viewport(), event);
    lstDataList_->viewport()->installEventFilter(this);
    if (SelectedIndex() >= 0) cmdAct_Click(kEdit);
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace v42
