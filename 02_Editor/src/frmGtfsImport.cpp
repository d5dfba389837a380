#include "frmGtfsImport.h"

#include <algorithm>
#include <array>

#include <QKeyEvent>

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "DepartureGrid.h"
#include "FileOpenDialog.h"
#include "FlexGrid.h"
#include "Fonts.h"
#include "HttpFetch.h"
#include "IniFile.h"
#include "InputRules.h"
#include "LiveRecord.h"
#include "MessageBox.h"
#include "OleColor.h"
#include "TextBoxRules.h"
#include "Twips.h"

namespace v42 {

namespace {

constexpr int kDateBox = 3;     // optDay's button beside the date box
constexpr int kColWidth = 330;  // twips, as the departure editor's grid
constexpr int kProgressSteps = 1000;

QDate ToQDate(const CivilDate& date) { return QDate(date.Year, date.Month, date.Day); }
CivilDate FromQDate(const QDate& date) { return {date.year(), date.month(), date.day()}; }

QListWidgetItem* AddCheckItem(QListWidget* list, const QString& text, const QString& key) {
  auto* item = new QListWidgetItem(text, list);
  item->setData(Qt::UserRole, key);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
  item->setCheckState(Qt::Checked);
  return item;
}

// The keys of the ticked items. nullopt when every item is ticked: no filter, so that the
// timetable keeps its lines as the feed changes them.
std::optional<std::vector<std::string>> TickedKeys(const QListWidget* list) {
  std::vector<std::string> keys;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->checkState() == Qt::Checked)
      keys.push_back(list->item(i)->data(Qt::UserRole).toString().toStdString());
  if (keys.size() == static_cast<std::size_t>(list->count())) return std::nullopt;
  return keys;
}

// Radio buttons named name_0, name_1, ... as one group, the first chosen.
QButtonGroup* Options(QObject* owner, const char* name,
                      std::initializer_list<const char*> captions) {
  auto* group = new QButtonGroup(owner);
  int id = 0;
  for (const char* caption : captions) {
    auto* option = new QRadioButton(QString::fromUtf8(caption));
    option->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(id));
    group->addButton(option, id++);
  }
  group->button(0)->setChecked(true);
  return group;
}

QGroupBox* Frame(const char* caption, QLayout* layout) {
  auto* box = new QGroupBox(QString::fromUtf8(caption));
  box->setLayout(layout);
  return box;
}

// A label whose accelerator moves to the box it names.
QLabel* LabelFor(const char* caption, QWidget* buddy) {
  auto* label = new QLabel(QString::fromUtf8(caption));
  label->setBuddy(buddy);
  return label;
}

constexpr std::array<DayKind, 3> kAllDays{DayKind::Weekday, DayKind::Saturday, DayKind::Holiday};

}  // namespace

frmGtfsImport::frmGtfsImport(EditorContext& context, CivilDate today, QWidget* parent)
    : EditorDialog(parent), ctx_(context), today_(today) {
  setObjectName("frmGtfsImport");
  setWindowTitle(QStringLiteral("GTFSから取り込み"));
  setFont(GothicFont(9));

  // --- the feed and its stop
  txtFeed_ = new QLineEdit;
  txtFeed_->setObjectName("txtFeed");
  txtFeed_->setPlaceholderText(QStringLiteral("ZIP・フォルダ・URL(入力して Enter)"));
  txtFeed_->setToolTip(QStringLiteral(
      "ZIPファイルか stops.txt のあるフォルダ(参照)、または http(s):// のURL(入力して Enter)"));
  txtFeed_->installEventFilter(this);
  cmdFeed_ = new QPushButton(QStringLiteral("参照(&B)..."));
  cmdFeed_->setObjectName("cmdFeed");
  connect(cmdFeed_, &QPushButton::clicked, this, [this] { cmdFeed_Click(); });
  auto* feedRow = new QHBoxLayout;
  feedRow->addWidget(LabelFor("フィード(&F):", txtFeed_));
  feedRow->addWidget(txtFeed_, 1);
  feedRow->addWidget(cmdFeed_);

  txtStop_ = new QLineEdit;
  txtStop_->setObjectName("txtStop");
  txtStop_->setPlaceholderText(QStringLiteral("停留所名の一部(漢字・かな)"));
  txtStop_->setEnabled(false);
  txtStop_->installEventFilter(this);
  connect(txtStop_, &QLineEdit::textChanged, this, [this] { txtStop_Change(); });
  lstStops_ = new QListWidget;
  lstStops_->setObjectName("lstStops");
  // A click, Enter or Space reads the stop; moving through the list with the keys does not, as
  // a read of a big feed takes a while.
  connect(lstStops_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { lstStops_Click(item); });
  lstStops_->installEventFilter(this);
  auto* stopRow = new QHBoxLayout;
  stopRow->addWidget(LabelFor("停留所名(&S):", txtStop_));
  stopRow->addWidget(txtStop_, 1);
  auto* stopBox = new QVBoxLayout;
  stopBox->addLayout(feedRow);
  stopBox->addLayout(stopRow);
  stopBox->addWidget(LabelFor("停留所(&L) ― Enter かスペースで読み込み", lstStops_));
  stopBox->addWidget(lstStops_, 1);

  // --- the lines
  lstRoutes_ = new QListWidget;
  lstRoutes_->setObjectName("lstRoutes");
  lstHeadsigns_ = new QListWidget;
  lstHeadsigns_->setObjectName("lstHeadsigns");
  for (QListWidget* list : {lstRoutes_, lstHeadsigns_}) {
    list->setSelectionMode(QAbstractItemView::NoSelection);
    connect(list, &QListWidget::itemChanged, this, [this] { Rebuild(); });
  }
  auto* directions = new QHBoxLayout;
  directions->addWidget(new QLabel(QStringLiteral("方向:")));
  for (int i = 0; i < 2; ++i) {
    chkDirection_[i] = new QCheckBox(QStringLiteral("%1(&%2)").arg(i).arg(i + 1));
    chkDirection_[i]->setObjectName(QStringLiteral("chkDirection_%1").arg(i));
    connect(chkDirection_[i], &QCheckBox::toggled, this, [this] { Rebuild(); });
    directions->addWidget(chkDirection_[i]);
  }
  directions->addStretch();
  auto* linesBox = new QVBoxLayout;
  linesBox->addWidget(LabelFor("路線(&R)", lstRoutes_));
  linesBox->addWidget(lstRoutes_, 1);
  linesBox->addWidget(LabelFor("行先(&H)", lstHeadsigns_));
  linesBox->addWidget(lstHeadsigns_, 1);
  linesBox->addLayout(directions);

  // --- the day, the kinds and the title
  optDay_ = Options(this, "optDay", {"平日(&W)", "土曜(&A)", "休日(&Y)", "日付(&D)"});
  auto* dayBox = new QGridLayout;
  for (int i = 0; i < 4; ++i) dayBox->addWidget(optDay_->button(i), 0, i);
  connect(optDay_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    if (!on) return;
    DayChanged();
    if (id == kDateBox) dtpDate_->setFocus();  // chosen by its Alt key too: the date is next
  });
  dtpDate_ = new QDateEdit(ToQDate(today));
  dtpDate_->setObjectName("dtpDate");
  dtpDate_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  dtpDate_->setCalendarPopup(true);
  connect(dtpDate_, &QDateEdit::dateChanged, this, [this] { DayChanged(); });
  lblDate_ = new QLabel;
  lblDate_->setObjectName("lblDate");
  dayBox->addWidget(dtpDate_, 1, 0, 1, 2);
  dayBox->addWidget(lblDate_, 1, 2, 1, 2);
  // With no timetable yet this is a first start: three timetables and a clock that switches
  // between them is what a commuter wants from it.
  chkAllDays_ = new QCheckBox(
      QStringLiteral("平日・土曜・休日をまとめて取り込み、時計を曜日で切り替える(&M)"));
  chkAllDays_->setObjectName("chkAllDays");
  chkAllDays_->setChecked(ctx_.Store.Count == 0);
  connect(chkAllDays_, &QCheckBox::toggled, this, [this] { DayChanged(); });
  dayBox->addWidget(chkAllDays_, 2, 0, 1, 4);

  optTypes_ = Options(this, "optTypes", {"路線ごと(&U)", "行先ごと(&K)"});
  auto* typesBox = new QHBoxLayout;
  for (QAbstractButton* option : optTypes_->buttons()) typesBox->addWidget(option);
  connect(optTypes_, &QButtonGroup::idToggled, this, [this](int, bool on) {
    if (on) Rebuild();
  });
  typesBox->addStretch();

  txtTitle_ = new QLineEdit;
  txtTitle_->setObjectName("txtTitle");
  MakeNameBox(txtTitle_, kTitleMaxChars);
  connect(txtTitle_, &QLineEdit::textChanged, this, [this] { Rebuild(); });

  txtRealtime_ = new QLineEdit;
  txtRealtime_->setObjectName("txtRealtime");
  txtRealtime_->setPlaceholderText(QStringLiteral("なし（http(s) のURL、空白で区切って複数可）"));
  txtRealtime_->setToolTip(QStringLiteral(
      "運行会社が GTFS リアルタイム（遅れ・バスの位置・お知らせ）を公開していれば、そのURLを"
      "入れると、時計が実際の発車見込みまでを数えます。"));

  // --- the preview
  FGrid_ = new FlexGrid;
  FGrid_->setObjectName("FGrid");
  FGrid_->SetFixedRows(0);
  FGrid_->SetRows(0);
  lstKinds_ = new QListWidget;
  lstKinds_->setObjectName("lstKinds");
  lstKinds_->setSelectionMode(QAbstractItemView::NoSelection);
  txtReport_ = new QPlainTextEdit;
  txtReport_->setObjectName("txtReport");
  txtReport_->setReadOnly(true);
  auto* previewBox = new QGridLayout;
  previewBox->addWidget(FGrid_, 0, 0, 1, 2);
  previewBox->addWidget(lstKinds_, 1, 0);
  previewBox->addWidget(txtReport_, 1, 1);
  previewBox->setRowStretch(0, 3);
  previewBox->setRowStretch(1, 1);
  previewBox->setColumnStretch(1, 2);

  cmdOk_ = new QPushButton(QStringLiteral("OK(&O)"));
  cmdOk_->setObjectName("cmdAct_0");
  cmdOk_->setEnabled(false);
  connect(cmdOk_, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
  auto* cancel = new QPushButton(QStringLiteral("Cancel(&C)"));
  cancel->setObjectName("cmdAct_1");
  connect(cancel, &QPushButton::clicked, this, [this] { CloseWithCancel(); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdOk_);
  buttons->addWidget(cancel);

  auto* left = new QVBoxLayout;
  left->addWidget(Frame("フィードと停留所", stopBox), 3);
  left->addWidget(Frame("乗る系統", linesBox), 2);
  auto* titleRow = new QHBoxLayout;
  titleRow->addWidget(LabelFor("タイトル(&T):", txtTitle_));
  titleRow->addWidget(txtTitle_, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(Frame("ダイヤ", dayBox));
  right->addWidget(Frame("種別の分け方", typesBox));
  right->addLayout(titleRow);
  auto* realtimeRow = new QHBoxLayout;
  realtimeRow->addWidget(LabelFor("リアルタイム情報(&I):", txtRealtime_));
  realtimeRow->addWidget(txtRealtime_, 1);
  right->addLayout(realtimeRow);
  right->addWidget(Frame("取り込む時刻表(&V)", previewBox), 1);
  auto* columns = new QHBoxLayout;
  columns->addLayout(left, 2);
  columns->addLayout(right, 3);
  auto* all = new QVBoxLayout(this);
  all->addLayout(columns, 1);
  all->addLayout(buttons);

  NoDefaultButtons(this);
  resize(TwipsSize(13500, 9000));
  DayChanged();
  CentreOnScreen(this);
}

frmGtfsImport::~frmGtfsImport() {
  if (!worker_) return;
  // The read holds references into this window; stop it before they go.
  cancel_ = true;
  worker_->wait();
  delete worker_;
}

// --- reading off the GUI thread ----------------------------------------------------------------

void frmGtfsImport::RunRead(const QString& label, std::function<void(const gtfs::Progress&)> read,
                            std::function<void()> done) {
  // One read at a time: its progress dialog keeps the window from starting another.
  if (worker_) return;
  cancel_ = false;
  cancelled_ = false;
  error_.clear();
  done_ = std::move(done);

  prgLoad_ = new QProgressDialog(label, QStringLiteral("キャンセル"), 0, kProgressSteps, this);
  prgLoad_->setObjectName("prgLoad");
  prgLoad_->setWindowTitle(windowTitle());
  prgLoad_->setWindowModality(Qt::WindowModal);
  prgLoad_->setAutoReset(false);
  prgLoad_->setAutoClose(false);
  connect(prgLoad_, &QProgressDialog::canceled, this, [this] { cancel_ = true; });
  // Shown at once: the window behind it takes no clicks until the read has ended.
  prgLoad_->show();

  QProgressDialog* bar = prgLoad_;
  gtfs::Progress progress;
  progress.Cancel = &cancel_;
  progress.Report = [bar](std::uint64_t done, std::uint64_t total) {
    const int step = total == 0 ? 0 : static_cast<int>(done * kProgressSteps / total);
    // Queued to the bar's own thread; dropped when the bar is gone.
    QMetaObject::invokeMethod(
        bar, [bar, step] { bar->setValue(step); }, Qt::QueuedConnection);
  };
  worker_ = QThread::create([this, read = std::move(read), progress] {
    try {
      read(progress);
    } catch (const gtfs::Cancelled&) {
      cancelled_ = true;
    } catch (const FileError& error) {
      error_ = error.what();
      errorCaption_ = error.Caption;
    } catch (const std::exception& error) {
      // Out of memory on an absurd feed, for one: the window stays and says so.
      error_ = std::string("フィードを読めませんでした。(") + error.what() + ")";
      errorCaption_ = gtfs::kImportErrorCaption;
    }
  });
  worker_->setParent(this);
  worker_->setObjectName("worker");
  connect(worker_, &QThread::finished, this, [this] { ReadFinished(); });
  worker_->start();
}

void frmGtfsImport::ReadFinished() {
  worker_->wait();
  worker_->deleteLater();
  worker_ = nullptr;
  // Hidden, not closed: closing a progress dialog reports a cancel.
  prgLoad_->hide();
  prgLoad_->deleteLater();
  prgLoad_ = nullptr;
  // The keys go back to where they were typed, whatever the window manager does.
  activateWindow();
  const auto done = std::move(done_);
  done_ = nullptr;
  if (cancel_ || cancelled_) return;
  if (!error_.empty()) {
    ShowMessage(this, error_, errorCaption_, MsgIcon::Critical);
    return;
  }
  done();
}

// --- the feed ----------------------------------------------------------------------------------

void frmGtfsImport::cmdFeed_Click() {
  const QString start = feedPath_.empty()
                            ? QDir::homePath()
                            : QFileInfo(QString::fromStdString(feedPath_)).absolutePath();
  const std::string chosen = FileOpenDialog(
      this,
      {{"GTFSフィード(*.zip)", "*.zip"}, {"展開したフィードのフォルダ(stops.txt)", "stops.txt"}},
      start.toStdString());
  if (chosen.empty()) return;
  // A folder is chosen by its stops.txt: the open-file dialog only picks files.
  const QFileInfo file(QString::fromStdString(chosen));
  OpenFeed(file.fileName().compare(QStringLiteral("stops.txt"), Qt::CaseInsensitive) == 0
               ? file.absolutePath().toStdString()
               : chosen);
}

void frmGtfsImport::txtFeed_Enter() {
  const QString typed = txtFeed_->text().trimmed();
  if (typed.isEmpty()) return;
  if (net::IsUrl(typed.toStdString())) {
    OpenFeed(typed.toStdString());
    return;
  }
  QString path = typed.startsWith(QStringLiteral("~/")) ? QDir::homePath() + typed.mid(1) : typed;
  const QFileInfo file(path);
  // As the chooser takes it: a folder also by its stops.txt.
  if (file.fileName().compare(QStringLiteral("stops.txt"), Qt::CaseInsensitive) == 0)
    path = file.absolutePath();
  OpenFeed(path.toStdString());
}

void frmGtfsImport::OpenFeed(const std::string& path) {
  auto opened = std::make_shared<std::optional<gtfs::Feed>>();
  auto state = std::make_shared<feeds::SourceState>();
  RunRead(
      QString::fromUtf8(net::IsUrl(path) ? "フィードをダウンロードして読んでいます..."
                                         : "フィードを読んでいます..."),
      [opened, state, path](const gtfs::Progress& progress) {
        const feeds::FetchedSource source =
            feeds::FetchSource(feeds::SourceText(path), {}, progress);
        if (source.Result == feeds::FetchedSource::Outcome::Canceled) throw gtfs::Cancelled();
        if (source.Result != feeds::FetchedSource::Outcome::Changed)
          throw FileError(source.Error, gtfs::kImportErrorCaption, false);
        *state = source.State;
        // Two passes, the bar split between them: the small files, then the routes per stop.
        const auto half = [&progress](int part) {
          gtfs::Progress p = progress;
          if (progress.Report) {
            p.Report = [report = progress.Report, part](std::uint64_t done, std::uint64_t total) {
              report(part * total + done, 2 * total);
            };
          }
          return p;
        };
        gtfs::Feed feed = gtfs::Feed::Open(source.Local, half(0));
        feed.ReadStopRoutes(half(1));
        opened->emplace(std::move(feed));
      },
      [this, opened, state, path] {
        feed_ = std::move(*opened);
        feedPath_ = path;
        sourceState_ = *state;
        txtFeed_->setText(QString::fromStdString(path));
        departures_.reset();
        txtStop_->setEnabled(true);
        if (const auto first = feed_->FirstDate(), last = feed_->LastDate(); first && last) {
          dtpDate_->setDateRange(ToQDate(*first), ToQDate(*last));
        }
        txtStop_Change();
        FillLines();
        DayChanged();
        txtStop_->setFocus();
      });
}

// --- the stop ----------------------------------------------------------------------------------

void frmGtfsImport::txtStop_Change() {
  if (!feed_) return;
  lstStops_->clear();
  for (const gtfs::StopEntry& entry : feed_->ListStops(txtStop_->text().toStdString())) {
    // A station's platforms stand indented under it.
    QString text = entry.ParentId.empty() ? QString() : QStringLiteral("\u3000");
    text += QString::fromStdString(entry.Stop.Name);
    const std::string detail = gtfs::StopDetail(entry);
    if (!detail.empty()) text += QStringLiteral("\u3000[%1]").arg(QString::fromStdString(detail));
    auto* item = new QListWidgetItem(text, lstStops_);
    item->setData(Qt::UserRole, QString::fromStdString(entry.Stop.Id));
    item->setToolTip(QString::fromStdString(entry.Stop.Id));
  }
  MarkReadStop();
}

bool frmGtfsImport::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return EditorDialog::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  // Taken here, not left to go on to the dialog: the read's progress window is open by then,
  // and the dialog would press its default button, Cancel.
  if (watched == txtFeed_ && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
    txtFeed_Enter();
    return true;
  }
  if (watched == lstStops_ &&
      (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
    if (QListWidgetItem* item = lstStops_->currentItem()) lstStops_Click(item);
    return true;
  }
  // From the search box the arrow down goes on into what it found.
  if (watched == txtStop_ && key == Qt::Key_Down && lstStops_->count() > 0) {
    lstStops_->setFocus();
    if (!lstStops_->currentItem()) lstStops_->setCurrentRow(0);
    return true;
  }
  return EditorDialog::eventFilter(watched, event);
}

void frmGtfsImport::MarkReadStop() {
  const QString id = departures_ ? QString::fromStdString(departures_->Stop().Id) : QString();
  for (int i = 0; i < lstStops_->count(); ++i) {
    QListWidgetItem* item = lstStops_->item(i);
    QFont font = item->font();
    font.setBold(item->data(Qt::UserRole).toString() == id);
    item->setFont(font);
  }
}

void frmGtfsImport::lstStops_Click(const QListWidgetItem* item) {
  const std::string id = item->data(Qt::UserRole).toString().toStdString();
  if (departures_ && departures_->Stop().Id == id) return;
  auto read = std::make_shared<std::optional<gtfs::StopDepartures>>();
  const gtfs::Feed* feed = &*feed_;
  RunRead(
      QStringLiteral("「%1」の時刻を読んでいます...").arg(item->text().trimmed()),
      [read, feed, id](const gtfs::Progress& progress) {
        read->emplace(feed->ReadStop(id, progress));
      },
      [this, read] {
        departures_ = std::move(*read);
        MarkReadStop();
        FillLines();
        Rebuild();
      });
}

void frmGtfsImport::FillLines() {
  const gtfs::ServingLines lines = departures_ ? departures_->Lines() : gtfs::ServingLines{};
  {
    const QSignalBlocker quietRoutes(lstRoutes_), quietHeadsigns(lstHeadsigns_);
    lstRoutes_->clear();
    for (const gtfs::RouteChoice& route : lines.Routes) {
      AddCheckItem(lstRoutes_, QString::fromStdString(route.Name), QString::fromStdString(route.Id))
          ->setToolTip(QString::fromStdString(route.Id));
    }
    lstHeadsigns_->clear();
    for (const std::string& headsign : lines.Headsigns) {
      const QString text = QString::fromStdString(headsign);
      AddCheckItem(lstHeadsigns_, text, text);
    }
  }
  for (int i = 0; i < 2; ++i) {
    const bool runs =
        std::find(lines.Directions.begin(), lines.Directions.end(), i) != lines.Directions.end();
    const QSignalBlocker quiet(chkDirection_[i]);
    chkDirection_[i]->setEnabled(runs);
    chkDirection_[i]->setChecked(runs);
    // GTFS gives directions no names; where they run to tells them apart.
    // A long one is cut so that the boxes keep to their column; the tooltip has it whole.
    constexpr int kShown = 12;
    QString headsign = QString::fromStdString(lines.DirectionHeadsigns[i]);
    chkDirection_[i]->setToolTip(headsign);
    if (headsign.size() > kShown) headsign = headsign.left(kShown - 1) + QStringLiteral("…");
    headsign.replace('&', QStringLiteral("&&"));  // a name's "&" is no accelerator
    chkDirection_[i]->setText(headsign.isEmpty()
                                  ? QStringLiteral("%1(&%2)").arg(i).arg(i + 1)
                                  : QStringLiteral("%1方面(&%2)").arg(headsign).arg(i + 1));
  }
}

// --- the day -----------------------------------------------------------------------------------

void frmGtfsImport::DayChanged() {
  // All three kinds go by their own first dates: one chosen date has no place among them.
  optDay_->button(kDateBox)->setEnabled(!chkAllDays_->isChecked());
  if (chkAllDays_->isChecked() && optDay_->checkedId() == kDateBox) {
    const QSignalBlocker quiet(optDay_);
    optDay_->button(0)->setChecked(true);
  }
  const int day = optDay_->checkedId();
  dtpDate_->setEnabled(day == kDateBox && feed_.has_value());
  date_.reset();
  if (day == kDateBox) {
    date_ = FromQDate(dtpDate_->date());
    lblDate_->clear();
  } else if (feed_) {
    const auto kind = static_cast<DayKind>(day);
    date_ = feed_->DateOfKind(kind, today_, false);
    if (date_) {
      // So that the date box starts from this day should the user switch to it.
      const QSignalBlocker quiet(dtpDate_);
      dtpDate_->setDate(ToQDate(*date_));
    }
    lblDate_->setText(
        date_ ? QStringLiteral("%1 のダイヤ").arg(ToQDate(*date_).toString(Qt::ISODate))
              : QStringLiteral("今日以降の%1がフィードにありません").arg(DayKindName(kind)));
  }
  Rebuild();
}

// --- the preview -------------------------------------------------------------------------------

void frmGtfsImport::Rebuild() {
  preview_.reset();
  choice_.reset();
  days_.clear();
  std::string why;
  if (!departures_) {
    why = feed_ ? "停留所を選んでください。" : "フィードを選んでください。";
  } else if (!date_) {
    why = "日を選んでください。";
  } else {
    gtfs::ImportChoice choice;
    choice.Date = *date_;
    const auto routes = TickedKeys(lstRoutes_);
    const auto headsigns = TickedKeys(lstHeadsigns_);
    std::vector<int> directions;
    int present = 0;
    for (int i = 0; i < 2; ++i) {
      present += chkDirection_[i]->isEnabled();
      if (chkDirection_[i]->isChecked()) directions.push_back(i);
    }
    if ((routes && routes->empty()) || (headsigns && headsigns->empty()) ||
        (present > 0 && directions.empty())) {
      why = "路線・行先・方向をそれぞれ一つ以上選んでください。";
    } else {
      if (routes) choice.RouteIds = *routes;
      if (headsigns) choice.Headsigns = *headsigns;
      if (static_cast<int>(directions.size()) < present) choice.Direction = directions.front();
      choice.Types =
          optTypes_->checkedId() == 1 ? gtfs::TypeGrouping::Headsign : gtfs::TypeGrouping::Route;
      choice.Title = txtTitle_->text().toStdString();
      for (int i = 0; i < ctx_.Store.Count; ++i)
        choice.TakenTitles.push_back(ctx_.Store.Records[i].Title);
      if (chkAllDays_->isChecked()) {
        why = BuildDays(choice);
      } else {
        preview_ = departures_->Build(choice);
      }
      choice_ = choice;
    }
  }
  ShowPreview();
  if (!preview_) {
    txtReport_->setPlainText(QString::fromUtf8(why));
    return;
  }
  QStringList lines;
  for (const gtfs::DayTimetable& table : days_) {
    QStringList kinds;
    for (DayKind kind : table.Kinds) kinds << QString::fromUtf8(DayKindName(kind));
    lines << QStringLiteral("%1 %2「%3」%4本")
                 .arg(kinds.join(QStringLiteral("・")), ToQDate(table.Date).toString("M/d"),
                      QString::fromStdString(table.Result.Record.Title))
                 .arg(table.Result.Report.Departures);
  }
  if (!days_.empty())
    lines << QStringLiteral("(表は%1のダイヤ)")
                 .arg(DayKindName(static_cast<DayKind>(optDay_->checkedId())));
  for (const std::string& line : gtfs::SummaryLines(preview_->Report))
    lines << QString::fromStdString(line);
  txtReport_->setPlainText(lines.join('\n'));
}

std::string frmGtfsImport::BuildDays(const gtfs::ImportChoice& choice) {
  try {
    days_ = gtfs::BuildDayTimetables(*feed_, *departures_, {kAllDays.begin(), kAllDays.end()},
                                     choice, today_);
  } catch (const FileError& error) {
    days_.clear();
    return error.what();
  }
  const auto shown = static_cast<DayKind>(optDay_->checkedId());
  for (const gtfs::DayTimetable& table : days_)
    if (std::find(table.Kinds.begin(), table.Kinds.end(), shown) != table.Kinds.end())
      preview_ = table.Result;
  return {};
}

void frmGtfsImport::ShowPreview() {
  // Of all three kinds at once one may well have no bus; the others still make an import.
  const bool any = preview_ && (preview_->Report.Departures > 0 || !days_.empty());
  cmdOk_->setEnabled(any);
  lstKinds_->clear();
  // Dropping every row drops every cell's style too, so no colour of the last preview stays.
  FGrid_->SetRows(0);
  if (!preview_) {
    txtTitle_->setPlaceholderText({});
    return;
  }
  const TimetableRecord& record = preview_->Record;
  if (txtTitle_->text().isEmpty())
    txtTitle_->setPlaceholderText(QString::fromStdString(record.Title));

  // As many columns as the grid has room for, more when a row needs them.
  int rows = 0,
      cols = std::clamp(FGrid_->viewport()->width() / TwipsToPixelsX(kColWidth), 2, kSlotCount);
  for (const DepartureRow& row : record.Departures) {
    if (row[0].Value == kEmptyValue) break;
    ++rows;
    for (int s = cols; s < kSlotCount; ++s)
      if (row[s].Value != kEmptyValue) cols = s + 1;
  }
  FGrid_->SetRedraw(false);
  FGrid_->SetCols(cols);
  FGrid_->SetRows(rows);
  FGrid_->SetFixedCols(1);
  FGrid_->SetAllColWidths(kColWidth);
  FGrid_->SetForeColor(record.GridColors.BaseForeColor);
  FGrid_->SetBackColor(record.GridColors.BaseBackColor);
  for (int s = 0; s < cols; ++s) FGrid_->SetColAlignment(s, flexAlignRightCenter);
  for (int r = 0; r < rows; ++r) {
    for (int s = 0; s < cols; ++s) {
      const DepartureCell& cell = record.Departures[r][s];
      if (cell.Value == kEmptyValue) continue;
      FGrid_->SetTextMatrix(r, s, QString::fromStdString(CellText(cell.Value)));
      if (s == 0 || cell.TypeLetter < 'a' || cell.TypeLetter > 'z') continue;
      const TypeEntry& type = record.Types[cell.TypeLetter - 'a'];
      FGrid_->SetCellForeColorAt(r, s, type.ForeColor);
      FGrid_->SetCellBackColorAt(r, s, type.BackColor);
    }
  }
  FGrid_->SetRedraw(true);

  for (int k = 0; k < preview_->Report.Kinds; ++k) {
    const TypeEntry& type = record.Types[k];
    auto* item = new QListWidgetItem(
        QStringLiteral("%1  %2").arg(QChar('a' + k)).arg(QString::fromStdString(type.Name)),
        lstKinds_);
    item->setForeground(ToQColor(type.ForeColor));
    item->setBackground(ToQColor(type.BackColor));
  }
}

void frmGtfsImport::cmdOk_Click() {
  if (!preview_) return;
  std::vector<std::string> realtime;
  for (const QString& url : txtRealtime_->text().split(' ', Qt::SkipEmptyParts)) {
    if (!net::IsUrl(url.toStdString())) {
      ShowMessage(this,
                  "リアルタイム情報のURL「" + url.toStdString() +
                      "」は http:// か https:// で始まるものにしてください。",
                  "GTFS取り込み", MsgIcon::Warning);
      txtRealtime_->setFocus();
      return;
    }
    realtime.push_back(url.toStdString());
  }
  try {
    if (days_.empty()) {
      gtfs::AppendTimetable(ctx_.Store, preview_->Record);
    } else {
      const std::array<int, 3> at = gtfs::AppendDayTimetables(ctx_.Store, days_);
      // The clock's settings follow when the list is saved, as the day tables always do.
      for (DayKind kind : kAllDays) ctx_.Origins.MarkDayKind(at[static_cast<int>(kind)], kind);
      int current = DayTableSettings{}.DayStartHour;
      try {
        current = ReadIniOverDefaults(ctx_.AppFolder).DayTables.DayStartHour;
      } catch (const FileError&) {
        // The save reports a settings file it cannot read; the usual start will do here.
      }
      // An earlier import's need stands unless this one needs another hour.
      if (const auto hour = gtfs::NeededDayStartHour(days_, current))
        ctx_.Origins.DayStartHour = hour;
    }
  } catch (const FileError& error) {
    // Nine timetables already: the user may delete one and import again.
    ShowMessage(this, error.what(), error.Caption, MsgIcon::Critical);
    return;
  }
  // Remembered with the save that puts the timetables into velkan42.dat.
  const auto remember = [this, &realtime](int at, const char* dayWord, CivilDate date,
                                          const gtfs::ImportResult& result) {
    gtfs::ImportChoice choice = *choice_;
    choice.Date = date;
    PendingFeed pending{ctx_.NextFeedTag++,
                        feeds::EntryFor(*feed_, feeds::SourceText(feedPath_), sourceState_,
                                        departures_->Stop(), choice, dayWord, result)};
    if (!realtime.empty()) live::PutRealtime(pending.Entry.Extra, {realtime, result.Live});
    ctx_.Origins.Mark(at, pending.Tag);
    ctx_.NewFeeds.push_back(std::move(pending));
  };
  if (days_.empty()) {
    const int day = optDay_->checkedId();
    remember(ctx_.Store.Count - 1,
             day >= 0 && day < 3 ? DayKindWord(static_cast<DayKind>(day)) : "", choice_->Date,
             *preview_);
  } else {
    // Each at the place it was appended to: the kinds that share one are found by its first.
    const int first = ctx_.Store.Count - static_cast<int>(days_.size());
    for (std::size_t i = 0; i < days_.size(); ++i) {
      remember(first + static_cast<int>(i), DayKindWord(days_[i].Kinds.front()), days_[i].Date,
               days_[i].Result);
    }
  }
  CloseWithOk();
}

}  // namespace v42
