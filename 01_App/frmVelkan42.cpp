#include "frmVelkan42.h"

#include <algorithm>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QWindowStateChangeEvent>

#include "ClockDesktop.h"
#include "ClockTray.h"
#include "DataFile.h"
#include "EtchedFrame.h"
#include "FlexGrid.h"
#include "Fonts.h"
#include "IniFile.h"
#include "MessageBox.h"
#include "OleColor.h"
#include "SaveSettings.h"
#include "SaveWatcher.h"
#include "Twips.h"
#include "frmDayTable.h"
#include "frmDesktop.h"
#include "frmMsg.h"
#include "frmOption.h"
#include "frmVersion.h"

namespace v42 {
namespace {

constexpr int kColWidth = 330;  // every column of the departure grid
constexpr int kDesignGridWidth = 4590;
constexpr int kRightPartWidth = 2310;  // panels and legend beside the grid
constexpr int kClientHeight = 5820;
constexpr int kBorderTwips = 90;  // the window's outer width less its client area

QString Q(const std::string& s) { return QString::fromStdString(s); }

void SetTextColor(QWidget* w, Color ole) { SetPaletteColor(w, QPalette::WindowText, ole); }

void SetSwatch(QLabel* swatch, Color fore, Color back) {
  SetPaletteColor(swatch, QPalette::WindowText, fore);
  SetPaletteColor(swatch, QPalette::Window, back);
}

}  // namespace

frmVelkan42::frmVelkan42(ClockContext& context, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      context_(context),
      clockSource_([] { return QDateTime::currentDateTime(); }) {
  connect(&notifier_, &DesktopNotifier::Failed, this, [this] {
    // Told to notify only, but nobody took it: the window still says it.
    if (!(context_.Settings.Desktop.Alert & DesktopSettings::AlertBlink) && !alert_)
      OpenAlertWindow();
  });
  setObjectName("frmVelkan42");
  setWindowTitle(kCaption);
  setWindowIcon(AppIcon());
  setFont(GothicFont(9));
  BuildMenus();
  BuildControls();
  Timer1.setObjectName("Timer1");
  Timer1.setSingleShot(true);
  Timer1.setTimerType(Qt::PreciseTimer);
  connect(&Timer1, &QTimer::timeout, this, &frmVelkan42::Timer1_Timer);
}

frmVelkan42::~frmVelkan42() {
  Timer1.stop();
  delete alert_;
}

void frmVelkan42::BuildMenus() {
  QMenu* menuFile = menuBar()->addMenu("ﾌｧｲﾙ(&F)");
  menuFile->setObjectName("menuFile");
  QAction* menuFileEnd = menuFile->addAction("終了(&E)");
  menuFileEnd->setObjectName("menuFileEnd");
  connect(menuFileEnd, &QAction::triggered, this, &frmVelkan42::menuFileEnd_Click);

  QMenu* menuOption = menuBar()->addMenu("ｵﾌﾟｼｮﾝ(&O)");
  menuOption->setObjectName("menuOption");
  QAction* menuOptionIni = menuOption->addAction("設定(&S)");
  menuOptionIni->setObjectName("menuOptionIni");
  connect(menuOptionIni, &QAction::triggered, this, &frmVelkan42::menuOptionIni_Click);
  QAction* menuOptionDayTable = menuOption->addAction(frmDayTable::kMenuText);
  menuOptionDayTable->setObjectName("menuOptionDayTable");
  connect(menuOptionDayTable, &QAction::triggered, this, &frmVelkan42::menuOptionDayTable_Click);
  QAction* menuOptionDesktop = menuOption->addAction("ﾃﾞｽｸﾄｯﾌﾟ(&K)");
  menuOptionDesktop->setObjectName("menuOptionDesktop");
  connect(menuOptionDesktop, &QAction::triggered, this, &frmVelkan42::menuOptionDesktop_Click);

  QMenu* menuHelp = menuBar()->addMenu("ﾍﾙﾌﾟ(&H)");
  menuHelp->setObjectName("menuHelp");
  QAction* menuHelpVersion = menuHelp->addAction("ﾊﾞｰｼﾞｮﾝ情報");
  menuHelpVersion->setObjectName("menuHelpVersion");
  connect(menuHelpVersion, &QAction::triggered, this, &frmVelkan42::menuHelpVersion_Click);
}

void frmVelkan42::BuildControls() {
  client_ = new QWidget(this);
  client_->setObjectName("client");
  client_->setAutoFillBackground(true);
  setCentralWidget(client_);

  // A sunken rule under the menu bar: a dark line over a white one.
  for (int i = 0; i < 2; ++i) {
    linLine[i] = new QFrame(client_);
    linLine[i]->setObjectName(QString("linLine_%1").arg(i));
    linLine[i]->setAutoFillBackground(true);
    SetPaletteColor(linLine[i], QPalette::Window, i == 0 ? 0x404040 : 0xFFFFFF);
    linLine[i]->setGeometry(0, TwipsToPixelsY(i * 15), TwipsToPixelsX(6900), 1);
  }

  Combo = new QComboBox(client_);
  Combo->setObjectName("Combo");
  PlaceTwips(Combo, 0, 45, 3975, 300);
  connect(Combo, &QComboBox::currentIndexChanged, this, &frmVelkan42::Combo_Click);

  FGrid = new FlexGrid(client_);
  FGrid->setObjectName("FGrid");
  PlaceTwips(FGrid, 0, 345, kDesignGridWidth, 5475);
  connect(FGrid, &FlexGrid::DblClick, this, &frmVelkan42::FGrid_DblClick);
  connect(FGrid, &FlexGrid::KeyPress, this, &frmVelkan42::FGrid_KeyPress);

  const char* captions[3] = {"Set     ", "1st     ", "2nd"};
  const int tops[3] = {2640, 360, 1200};
  // The "発車" and "分前" labels of frame i are Label(2k) and Label(2k+1), k = 1, 2, 0.
  const int labelBase[3] = {4, 0, 2};
  for (int i = 0; i < 3; ++i) {
    QGroupBox* frame = frmNext[i] = new EtchedFrame(captions[i], client_);
    frame->setObjectName(QString("frmNext_%1").arg(i));
    frame->setAutoFillBackground(true);
    PlaceTwips(frame, 4620, tops[i], 2175, 735);

    lblTime[i] = new QLabel(frame);
    lblTime[i]->setObjectName(QString("lblTime_%1").arg(i));
    lblTime[i]->setFont(GothicFont(12));
    PlaceTwips(lblTime[i], 120, 180, 615, 255);
    // Laid out from the font in use: its digits may be wider than the design font's.
    FitText(lblTime[i], "00:00");

    lblMinute[i] = new QLabel(frame);
    lblMinute[i]->setObjectName(QString("lblMinute_%1").arg(i));
    lblMinute[i]->setFont(GothicFont(12));
    lblMinute[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PlaceTwips(lblMinute[i], 1260, 180, 435, 255);

    lblComment[i] = new QLabel(frame);
    lblComment[i]->setObjectName(QString("lblComment_%1").arg(i));
    PlaceTwips(lblComment[i], 120, 480, 1935, 195);
    GrowToLineHeight(lblComment[i]);  // comments are the user's text, descenders and all

    for (int k = 0; k < 2; ++k) {
      const int n = labelBase[i] + k;
      Label[n] = new QLabel(k == 0 ? "発車" : "分前", frame);
      Label[n]->setObjectName(QString("Label_%1").arg(n));
      PlaceTwips(Label[n], k == 0 ? 840 : 1680, 240, 375, 195);
    }
  }
  lblNextColor = new QLabel("99", frmNext[1]);
  lblNextColor->setObjectName("lblNextColor");
  lblSetColor = new QLabel("99", frmNext[0]);
  lblSetColor->setObjectName("lblSetColor");
  for (QLabel* swatch : {lblNextColor, lblSetColor}) {
    swatch->setAutoFillBackground(true);
    swatch->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PlaceTwips(swatch, 480, 0, 360, 210);
  }

  FGType = new FlexGrid(client_);
  FGType->setObjectName("FGType");
  PlaceTwips(FGType, 4620, 3480, 2205, 2115);
  // The legend scrolls down its 26 rows; its one column never needs a horizontal bar.
  FGType->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  lblNowTime = new QLabel(client_);
  lblNowTime->setObjectName("lblNowTime");
  PlaceTwips(lblNowTime, 4740, 5640, 2055, 195);
  FitText(lblNowTime, "0000.00.00  00:00:00");
}

void frmVelkan42::SetClock(ClockSource clock) {
  clockSource_ = std::move(clock);
  handDriven_ = true;
  Timer1.stop();
}

ClockTime frmVelkan42::Now() const {
  const QDateTime now = clockSource_();
  const QDate d = now.date();
  const QTime t = now.time();
  return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

bool frmVelkan42::ReportFileError(const FileError& error) {
  ShowMessage(nullptr, error.what(), error.Caption, MsgIcon::Critical);
  return !error.EndsProgram;
}

bool frmVelkan42::Form_Load() {
  TimetableStore& store = context_.Store;
  store.MaxSlot = 7;
  const QDateTime started = clockSource_();
  lastSecond_ = started.toSecsSinceEpoch();
  lblNowTime->setText(started.toString("yyyy.MM.dd  hh:mm:ss"));
  // The file is read over the defaults, so a hand-written one without some keys still
  // draws readable colours.
  SetIniDefaults(context_.Settings);
  try {
    ReadIniFile(context_.Settings, context_.AppFolder);
  } catch (const FileError& error) {
    if (!ReportFileError(error)) return false;
    SetIniDefaults(context_.Settings);
  }
  AppColorSet();
  try {
    ReadDataFile(store, context_.AppFolder);
  } catch (const FileError& error) {
    ReportFileError(error);
    return false;
  }

  StartOnTimetables();
  FollowSavesSet();

  const QRect screen =
      (this->screen() ? this->screen() : QGuiApplication::primaryScreen())->availableGeometry();
  const QSize outer = frameGeometry().size();
  if (screen.width() > outer.width() && screen.height() > outer.height())
    move(screen.x() + (screen.width() - outer.width()) / 2,
         screen.y() + (screen.height() - outer.height()) / 2);
  else
    move(screen.topLeft());
  loaded_ = true;
  ArmTimer();
  return true;
}

// Builds the clock on the timetables and settings read and fills the window from it.
void frmVelkan42::StartOnTimetables() {
  const TimetableStore& store = context_.Store;
  clock_ = std::make_unique<DepartureClock>(store, context_.Settings);
  clock_->Load(Now());
  {
    const QSignalBlocker quiet(Combo);
    Combo->clear();
    for (int i = 0; i < store.Count; ++i) Combo->addItem(Q(store.Records[i].Title));
    Combo->setCurrentIndex(store.Count > 0 ? 0 : -1);
  }
  dayChooser_ = std::make_unique<DayChooser>(context_.Settings.DayTables, store,
                                             context_.Settings.MoveTimes_Min);
  ChooseDayTable();
  FGTypeWrite();
  SwatchesSet();
  FGridWrite();
  FGridTypeColor();
  FormSizeSet();
  TraySet();
  ShowState();
}

void frmVelkan42::FollowSavesSet() {
  const bool on = context_.Settings.Desktop.FollowSaves;
  if (on && !saves_) {
    saves_ = new SaveWatcher(context_.AppFolder, this);
    connect(saves_, &SaveWatcher::Saved, this, &frmVelkan42::TakeSaves);
  } else if (!on && saves_) {
    saves_->deleteLater();  // may be the sender of the signal being handled
    saves_ = nullptr;
  }
}

// What another program saved replaces what the clock read, as if the clock started again.
void frmVelkan42::TakeSaves() {
  savesWaiting_ = false;
  if (!context_.Settings.Desktop.FollowSaves) return;
  // A departure whose alert is still to come, or an alert on show, is what the user counts on,
  // and an open dialog works on the timetables and settings as they are: the saved files wait.
  const auto dialogs = findChildren<QDialog*>(Qt::FindDirectChildrenOnly);
  const bool dialogOpen =
      std::any_of(dialogs.begin(), dialogs.end(), [](QDialog* d) { return d->isVisible(); });
  if (dialogOpen || clock_->AlertArmed()) {
    savesWaiting_ = true;
    return;
  }
  TimetableStore store;
  IniSettings settings;
  try {
    ReadDataFile(store, context_.AppFolder);
    settings = ReadIniOverDefaults(context_.AppFolder);
  } catch (const FileError&) {
    return;  // half a save or a damaged file: keep what runs, as a start would refuse it
  }
  const bool sameTimetables = store.Count == context_.Store.Count &&
                              std::equal(store.Records.begin(), store.Records.begin() + store.Count,
                                         context_.Store.Records.begin());
  if (sameTimetables && settings == context_.Settings) return;
  const std::string shownTitle = Combo->currentText().toStdString();
  context_.Store = std::move(store);
  context_.Settings = settings;
  AppColorSet();
  StartOnTimetables();
  FollowSavesSet();
  // Without the day's own choice, the timetable on show stays on show, found by its title.
  if (!context_.Settings.DayTables.IsOn()) {
    const int shown = Combo->findText(Q(shownTitle));
    if (shown > 0) Combo->setCurrentIndex(shown);
  }
}

// Single shots aimed just past each whole second keep the label on the wall clock: a free
// running interval would drift and now and then skip a second.
void frmVelkan42::ArmTimer() {
  if (handDriven_) return;
  const int msec = QTime::currentTime().msec();
  Timer1.start(1000 - msec + kTickDelayMs);
}

void frmVelkan42::Timer1_Timer() {
  if (!clock_) return;
  const QDateTime now = clockSource_();
  // A timer that fires a little early must not show the same second twice.
  if (!handDriven_ && now.toSecsSinceEpoch() == lastSecond_) {
    ArmTimer();
    return;
  }
  lastSecond_ = now.toSecsSinceEpoch();
  if (savesWaiting_) TakeSaves();
  // A new service day's timetable first, so the tick and any alert it raises run on it.
  ChooseDayTable();
  const TickResult result = clock_->NowTimeWrite(Now());
  ShowState();
  WithdrawStaleNotice();
  if (result.CaptionDue && isMinimized()) setWindowTitle(Q(clock_->MinimisedCaption()));
  ArmTimer();
  // The alert opens after this tick has returned, so the clock ticks on under it, and the
  // next second is already scheduled however long its sound takes to load.
  if (result.AlertDue) QTimer::singleShot(0, this, &frmVelkan42::ShowAlert);
  emit Ticked();
}

void frmVelkan42::ShowAlert() {
  const std::uint8_t style = context_.Settings.Desktop.Alert;
  if (style & DesktopSettings::AlertNotify) {
    const AlertNotice notice = NoticeOf(*clock_);
    const bool sent = notifier_.Notify(Q(notice.Summary), Q(notice.Body));
    if (sent) notice_.Sent(*clock_, Now());
    if (!(style & DesktopSettings::AlertBlink)) {
      if (!sent) {
        OpenAlertWindow();
        return;
      }
      // No window to wait for: the clock goes on as after closing one.
      clock_->AlertClosed(Now());
      ShowState();
      return;
    }
  }
  OpenAlertWindow();
}

void frmVelkan42::OpenAlertWindow() {
  alert_ = new frmMsg(context_.Settings, this, this);
  alert_->setAttribute(Qt::WA_DeleteOnClose);
  connect(alert_, &QDialog::finished, this, &frmVelkan42::AlertFinished);
  alert_->open();
}

void frmVelkan42::AlertFinished() {
  notifier_.Close();
  notice_.Withdrawn();
  if (isMinimized()) showNormal();
  clock_->AlertClosed(Now());
  ShowState();
}

// The notification speaks of the chosen departure only while it still holds.
void frmVelkan42::WithdrawStaleNotice() {
  if (!notice_.Stale(*clock_, Now())) return;
  notifier_.Close();
  notice_.Withdrawn();
}

void frmVelkan42::Combo_Click(int index) {
  if (!clock_ || index < 0) return;
  clock_->SelectTimetable(index);
  FGTypeWrite();
  SwatchesSet();
  FGridWrite();
  FGridTypeColor();
  ShowState();
  WithdrawStaleNotice();
}

void frmVelkan42::ChooseDayTable() {
  if (const std::optional<int> table = dayChooser_->Check(Now())) {
    // The new day's timetable; a departure picked on the old one stays only while it still is
    // one to leave for, and an alert for a released one has nothing left to say.
    const QSignalBlocker quiet(Combo);
    Combo->setCurrentIndex(*table);
    if (clock_->NewServiceDay(*table, Now(), dayChooser_->Today().Early) && alert_) {
      disconnect(alert_, &QDialog::finished, this, &frmVelkan42::AlertFinished);
      notifier_.Close();
      alert_->done(QDialog::Rejected);
    }
    FGTypeWrite();
    SwatchesSet();
    FGridWrite();
    FGridTypeColor();
    ShowState();
  }
  QString tip;
  if (context_.Settings.DayTables.IsOn()) {
    const ServiceDay& today = dayChooser_->Today();
    // After the day's last departure the next day's timetable already shows, and says so.
    tip = QString(today.Early ? "次のダイヤ: " : "今日のダイヤ: ") + DayKindName(today.Kind);
    if (!today.Holiday.empty()) tip += " (" + Q(today.Holiday) + ")";
  }
  if (Combo->toolTip() != tip) Combo->setToolTip(tip);
}

void frmVelkan42::FGridWrite() {
  const GridColorSet& colors = clock_->GridColors();
  FGrid->SetRedraw(false);
  FGrid->Clear();
  FGrid->SetForeColor(colors.BaseForeColor);
  FGrid->SetBackColor(colors.BaseBackColor);
  FGrid->SetFixedRows(0);
  FGrid->SetRows(std::max(1, clock_->GridRows()));
  FGrid->SetCols(clock_->GridCols());
  FGrid->SetFixedCols(1);
  FGrid->SetAllColWidths(kColWidth);
  for (int c = 0; c < FGrid->Cols(); ++c) FGrid->SetColAlignment(c, flexAlignRightCenter);
  for (int r = 0; r < clock_->GridRows(); ++r)
    for (int c = 0; c < FGrid->Cols(); ++c) FGrid->SetTextMatrix(r, c, Q(clock_->CellText(r, c)));
  // Every cell is restyled from scratch below; forget what was shown.
  for (auto& row : shownLooks_) row.fill(CellLook{-1, -1});
  shownFirstX_ = shownFirstY_ = -1;
  shownGridKey_.reset();
  FGrid->SetRedraw(true);
}

// Bold and italic follow the type; the colours follow the clock, which knows the next and the
// chosen cells as well.
void frmVelkan42::FGridTypeColor() {
  if (!clock_->HasTimetable()) return;
  const TimetableRecord& record = context_.Store.Records[clock_->TableNo()];
  FGrid->SetRedraw(false);
  for (int r = 0; r < clock_->GridRows(); ++r) {
    for (int c = 0; c < FGrid->Cols(); ++c) {
      const std::uint8_t letter = record.Departures[r][c].TypeLetter;
      const bool typed = letter >= 'a' && letter <= 'z';
      FGrid->SetCellFontBoldAt(r, c, typed && record.Types[letter - 'a'].Bold);
      FGrid->SetCellFontItalicAt(r, c, typed && record.Types[letter - 'a'].Italic);
    }
  }
  FGrid->SetRedraw(true);
}

void frmVelkan42::FGTypeWrite() {
  FGType->SetRedraw(false);
  FGType->SetCols(1);
  FGType->SetRows(kTypeCount);
  FGType->SetFixedRows(0);
  FGType->SetFixedCols(0);
  FGType->SetColWidth(0, 2040);
  FGType->SetCol(0);
  if (clock_->HasTimetable()) {
    const TimetableRecord& record = context_.Store.Records[clock_->TableNo()];
    FGType->SetBackColor(record.GridColors.BaseBackColor);
    for (int g = 0; g < kTypeCount; ++g) {
      const TypeEntry& type = record.Types[g];
      FGType->SetTextMatrix(g, 0, "●" + Q(type.Name));
      FGType->SetCellForeColorAt(g, 0, type.ForeColor);
      FGType->SetCellFontBoldAt(g, 0, type.Bold);
      FGType->SetCellFontItalicAt(g, 0, type.Italic);
      FGType->SetCellBackColorAt(g, 0, type.BackColor);
    }
  }
  FGType->SetRedraw(true);
}

void frmVelkan42::SwatchesSet() {
  const GridColorSet& colors = clock_->GridColors();
  SetSwatch(lblNextColor, colors.NextForeColor, colors.NextBackColor);
  SetSwatch(lblSetColor, colors.ChosenForeColor, colors.ChosenBackColor);
}

void frmVelkan42::FormSizeSet() {
  const int gridWidth = FGrid->Cols() * kColWidth + 90;
  const int windowWidth = gridWidth - kDesignGridWidth + 6900;
  const int clientWidth = windowWidth - kBorderTwips;
  PlaceTwips(FGrid, 0, 345, gridWidth, 5475);
  for (QWidget* w : {static_cast<QWidget*>(frmNext[0]), static_cast<QWidget*>(frmNext[1]),
                     static_cast<QWidget*>(frmNext[2]), static_cast<QWidget*>(FGType)})
    MoveTwips(w, gridWidth + 30, PixelsToTwipsY(w->y()));
  lblNowTime->move(TwipsToPixelsX(gridWidth + 150), lblNowTime->y());
  for (QFrame* line : linLine) line->resize(TwipsToPixelsX(windowWidth), 1);
  // The clock label sits on the bottom edge; a taller stand-in font must not cut its digits.
  client_->setFixedSize(TwipsToPixelsX(clientWidth), std::max(TwipsToPixelsY(kClientHeight),
                                                              lblNowTime->geometry().bottom() + 1));
  setFixedSize(client_->width(), client_->height() + menuBar()->sizeHint().height());
}

void frmVelkan42::AppColorSet() {
  const IniSettings& s = context_.Settings;
  for (QWidget* w : {client_, static_cast<QWidget*>(frmNext[0]), static_cast<QWidget*>(frmNext[1]),
                     static_cast<QWidget*>(frmNext[2])}) {
    SetPaletteColor(w, QPalette::Window, s.ApplicationBackColor);
    SetTextColor(w, s.ApplicationFontColor);
  }
  for (int i = 0; i < 3; ++i) {
    SetTextColor(lblTime[i], s.ApplicationFontColor);
    SetTextColor(lblMinute[i], s.ApplicationFontColor);
  }
  for (QLabel* label : Label) SetTextColor(label, s.ApplicationFontColor);
  SetTextColor(lblNowTime, s.ApplicationFontColor);
}

void frmVelkan42::ShowState() {
  const DepartureClock& clock = *clock_;
  lblNowTime->setText(Q(clock.NowText()));
  for (int i = 0; i < 3; ++i) {
    const PanelText& panel = clock.Panel(i);
    lblTime[i]->setText(Q(panel.Time));
    lblMinute[i]->setText(Q(panel.Minutes));
    if (lblMinute[i]->font().pointSize() != panel.MinutesFontSize)
      lblMinute[i]->setFont(GothicFont(panel.MinutesFontSize));
    lblComment[i]->setText(Q(panel.Comment));
    SetTextColor(lblComment[i], panel.CommentColor);
  }
  const MinuteLayout& layout = clock.Panel0Layout();
  PlaceTwips(lblMinute[0], 1260, layout.Top, layout.Width, layout.Height);
  Label[5]->setText(Q(clock.UnitText()));
  PlaceTwips(Label[5], layout.UnitLeft, 240, layout.UnitWidth, 195);

  // Only the cells whose colours changed are touched, so a tick repaints next to nothing.
  const int rows = std::min(clock.GridRows(), FGrid->Rows());
  const bool dim = context_.Settings.Desktop.DimPassed;
  const GridKey key{clock.LooksVersion(),
                    rows,
                    clock.CellX(0),
                    clock.CellY(0),
                    clock.CellX(1),
                    clock.CellY(1),
                    !clock.Panel(0).Time.empty(),
                    dim};
  if (key != shownGridKey_) {
    shownGridKey_ = key;
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < FGrid->Cols(); ++c) {
        const CellLook look = ShownLook(clock, r, c, dim);
        CellLook& shown = shownLooks_[r][c];
        if (look.Fore != shown.Fore) FGrid->SetCellForeColorAt(r, c, look.Fore);
        if (look.Back != shown.Back) FGrid->SetCellBackColorAt(r, c, look.Back);
        shown = look;
      }
    }
  }
  // A new 1st departure takes the grid's current cell, as the search leaves it there.
  if (clock.CellX(1) != shownFirstX_ || clock.CellY(1) != shownFirstY_) {
    shownFirstX_ = clock.CellX(1);
    shownFirstY_ = clock.CellY(1);
    if (shownFirstX_ > 0 && shownFirstY_ >= 0) FGrid->SetCurrentCell(shownFirstY_, shownFirstX_);
  }
  TrayShow();
}

// ---- the tray icon ----

void frmVelkan42::TraySet() {
  // The tray's registration with the panel talks to the session bus; the window comes first.
  if (!shown_) return;
  if (!context_.Settings.Desktop.TrayIcon) {
    if (tray_ && !isVisible()) show();  // hidden from the tray, it would have no way back
    tray_.reset();
    return;
  }
  QStringList titles;
  for (int i = 0; i < context_.Store.Count; ++i) titles << Q(context_.Store.Records[i].Title);
  if (tray_) {
    tray_->SetTimetables(titles, clock_->TableNo());
    return;
  }
  tray_ = std::make_unique<ClockTray>();
  tray_->SetTimetables(titles, clock_->TableNo());
  connect(tray_.get(), &ClockTray::ToggleRequested, this, &frmVelkan42::TrayToggle);
  connect(tray_.get(), &ClockTray::TimetableChosen, Combo, &QComboBox::setCurrentIndex);
  connect(tray_.get(), &ClockTray::OptionsRequested, this, &frmVelkan42::menuOptionIni_Click);
  connect(tray_.get(), &ClockTray::DesktopOptionsRequested, this,
          &frmVelkan42::menuOptionDesktop_Click);
  connect(tray_.get(), &ClockTray::VersionRequested, this, &frmVelkan42::menuHelpVersion_Click);
  // Hidden, the window's closing would not end the program.
  connect(tray_.get(), &ClockTray::QuitRequested, qApp, &QCoreApplication::quit);
}

void frmVelkan42::TrayShow() {
  if (!tray_) return;
  const std::string title =
      clock_->HasTimetable() ? context_.Store.Records[clock_->TableNo()].Title : kCaption;
  tray_->Show(Q(TrayNumber(*clock_)), Q(TrayToolTip(*clock_, title)), clock_->TableNo(),
              context_.Settings.ApplicationFontColor, context_.Settings.ApplicationBackColor);
}

void frmVelkan42::TrayToggle() {
  if (isVisible() && !isMinimized()) {
    hide();
  } else {
    showNormal();  // a window mapped anew comes up on top
    activateWindow();
  }
}

void frmVelkan42::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  QTimer::singleShot(0, this, [this] {
    if (!clock_) return;
    TraySet();
    TrayShow();
  });
}

void frmVelkan42::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) Form_Resize();
}

void frmVelkan42::Form_Resize() {
  if (!loaded_) return;
  if (isMinimized()) {
    setWindowTitle(Q(clock_->MinimisedCaption()));
  } else {
    setWindowTitle(kCaption);
    clock_->Refresh();
    ShowState();
  }
}

void frmVelkan42::FGrid_DblClick() { Choose(); }

void frmVelkan42::FGrid_KeyPress(int& keyAscii) {
  if (keyAscii == 13 && !clock_->Panel(1).Time.empty()) Choose();
}

void frmVelkan42::Choose() {
  const int row = FGrid->Row(), col = FGrid->Col();
  clock_->ChooseDeparture(row, col);
  ShowState();
  WithdrawStaleNotice();
  FGrid->SetCurrentCell(row, col);
}

void frmVelkan42::menuOptionIni_Click() {
  auto* dialog = new frmOption(context_.Settings, context_.AppFolder, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  // The dialog writes the file on OK; either way the clock takes what the file holds now.
  connect(dialog, &QDialog::finished, this, [this] {
    try {
      ReadIniFile(context_.Settings, context_.AppFolder);
    } catch (const FileError& error) {
      ReportFileError(error);
    }
    clock_->SetSettings(context_.Settings);
    dayChooser_->SetWalk(context_.Settings.MoveTimes_Min);
    AppColorSet();
    FGTypeWrite();
    FGridTypeColor();
    clock_->Refresh();
    ShowState();
  });
  dialog->open();
}

void frmVelkan42::menuOptionDesktop_Click() {
  auto* dialog = new frmDesktop(context_.Settings, context_.AppFolder, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this, [this] {
    TraySet();
    FollowSavesSet();
    ShowState();  // dimming on or off
  });
  dialog->open();
}

void frmVelkan42::menuOptionDayTable_Click() {
  // The dialog numbers the timetables as this clock read them at its start; after the editor
  // has saved another list, those numbers would pick the wrong timetables from the file.
  if (!SameTimetableList(context_.Store, context_.AppFolder)) {
    ShowMessage(this, frmDayTable::kListChanged, frmDayTable::kCaption, MsgIcon::Information);
    return;
  }
  auto* dialog = new frmDayTable(context_.Settings, context_.Store, context_.AppFolder, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  // Saved settings choose at once: the user has just said which timetable today runs on.
  connect(dialog, &QDialog::accepted, this, [this] {
    dayChooser_->SetSettings(context_.Settings.DayTables);
    ChooseDayTable();
  });
  dialog->open();
}

void frmVelkan42::menuHelpVersion_Click() {
  auto* box = new frmVersion(context_.Settings, context_.AppFolder, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

void frmVelkan42::menuFileEnd_Click() { close(); }

}  // namespace v42
