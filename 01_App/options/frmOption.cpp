#include "frmOption.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QValidator>
#include <algorithm>

#include "EtchedFrame.h"
#include "FileOpenDialog.h"
#include "FlexGrid.h"
#include "Fonts.h"
#include "MessageBox.h"
#include "OleColor.h"
#include "SaveSettings.h"
#include "SoundDevice.h"
#include "TextCodec.h"
#include "Twips.h"
#include "frmColor.h"

namespace v42 {

namespace {

constexpr int kCommentLimit = 10;
constexpr int kNumberLimit = 2;
constexpr int kSampleColWidth = 450;
constexpr int kOptionHeight = 240;
const char* const kInputError = "入力エラー";

// True when `input` is `old` with one run of characters deleted: taking away never makes an
// entry worse, so a value read from a hand-edited file can always be shortened.
bool IsDeletionOf(const QString& input, const QString& old) {
  if (input.size() >= old.size()) return false;
  qsizetype p = 0;
  while (p < input.size() && input[p] == old[p]) ++p;
  return old.endsWith(input.mid(p));
}

// Typing and pasting: at most `limit` characters, digits only or characters the settings
// file (CP932) can hold. Text set by the program (from the file) is shown as it is.
class EntryValidator : public QValidator {
 public:
  EntryValidator(QLineEdit* edit, int limit, bool digitsOnly)
      : QValidator(edit), edit_(edit), limit_(limit), digitsOnly_(digitsOnly) {}

  State validate(QString& input, int&) const override {
    if (IsDeletionOf(input, edit_->text())) return Acceptable;
    if (input.toUcs4().size() > limit_) return Invalid;
    if (digitsOnly_) {
      for (const QChar ch : input) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) return Invalid;
      }
    } else if (!IsCp932Representable(input.toStdString())) {
      return Invalid;
    }
    return Acceptable;
  }

 private:
  QLineEdit* edit_;
  int limit_;
  bool digitsOnly_;
};

// The number boxes take one or two digits: 1 to 99 for the warning, 0 to 99 for the walk.
bool IsTwoDigitNumber(const QString& text) {
  if (text.isEmpty() || text.size() > kNumberLimit) return false;
  for (const QChar ch : text) {
    if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) return false;
  }
  return true;
}

QColor Blend(const QColor& a, const QColor& b) {
  return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

void SetBack(QWidget* widget, const QColor& back) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, back);
  widget->setPalette(palette);
  widget->setBackgroundRole(QPalette::Window);  // buttons would otherwise fill with Button
  widget->setAutoFillBackground(true);
}

void SetFore(QWidget* widget, const QColor& fore, const QColor& back) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Active, QPalette::WindowText, fore);
  palette.setColor(QPalette::Inactive, QPalette::WindowText, fore);
  // Disabled captions stay readable on any background, yet look disabled.
  palette.setColor(QPalette::Disabled, QPalette::WindowText, Blend(fore, back));
  widget->setPalette(palette);
}

}  // namespace

SoundDevices DetectSoundDevices() {
  SoundDevices devices{HasWaveDevice(), HasMidiDevice(), {}};
  devices.Problem = SoundLibraryProblem();
  return devices;
}

frmOption::frmOption(IniSettings& settings, std::filesystem::path appFolder, QWidget* parent)
    : frmOption(settings, std::move(appFolder), DetectSoundDevices(), parent) {}

frmOption::frmOption(IniSettings& settings, std::filesystem::path appFolder, SoundDevices devices,
                     QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      settings_(settings),
      appFolder_(std::move(appFolder)),
      devices_(devices) {
  Build();
  Form_Load();
}

void frmOption::Build() {
  setObjectName(QStringLiteral("frmOption"));
  setWindowTitle(QString::fromUtf8("設定"));
  setModal(true);
  setFont(GothicFont(9));
  FixClientSizeTwips(this, 6345, 4455);

  auto label = [this](int index, QWidget* parent, const char* caption, int left, int top) {
    auto* l = new QLabel(QString::fromUtf8(caption), parent);
    l->setObjectName(QStringLiteral("Label_%1").arg(index));
    if (index >= 2) l->setFont(PGothicFont(9));
    MoveTwips(l, left, top);
    FitLabelToDesign(l);
    Label[index] = l;
  };
  auto sample = [](QWidget* parent, const QString& name, int left, int top) {
    auto* grid = new FlexGrid(parent);
    grid->setObjectName(name);
    grid->SetScrollBarsShown(false);
    PlaceTwips(grid, left, top, 540, 315);
    return grid;
  };
  auto edit = [](QWidget* parent, const QString& name, int left, int top, int width, int height) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    PlaceTwips(e, left, top, width, height);
    e->setTextMargins(0, 0, 0, 0);
    return e;
  };
  auto frame = [](QWidget* parent, const QString& name, const char* caption, int left, int top,
                  int width, int height) {
    auto* f = new EtchedFrame(QString::fromUtf8(caption), parent);
    f->setObjectName(name);
    PlaceTwips(f, left, top, width, height);
    return f;
  };
  auto option = [](auto* button, const QString& name, int left, int top) {
    button->setObjectName(name);
    button->adjustSize();
    // The button fills its background, so it stops short of its frame's right border.
    const int room = button->parentWidget()->width() - TwipsToPixelsX(left) - 2;
    // A font with wider letters than the design's gets a smaller size before it is cut.
    QFont font = button->font();
    while (button->sizeHint().width() > room && font.pointSizeF() > 6) {
      font.setPointSizeF(font.pointSizeF() - 0.5);
      button->setFont(font);
    }
    button->setGeometry(
        QRect(TwipsPoint(left, top),
              QSize(std::min(button->sizeHint().width(), room), TwipsToPixelsY(kOptionHeight))));
    return button;
  };
  auto command = [this](const char* caption, const QString& name, QWidget* parent, int left,
                        int top, int width, int height) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(name);
    // Enter presses the button that has the focus, and OK from anywhere else.
    b->setAutoDefault(true);
    PlaceTwips(b, left, top, width, height);
    return b;
  };

  label(0, this, "文字色", 180, 300);
  FGridFontColor = sample(this, QStringLiteral("FGridFontColor"), 1020, 240);
  label(1, this, "背景色", 180, 780);
  FGridBgColor = sample(this, QStringLiteral("FGridBgColor"), 1020, 720);
  label(7, this, "移動時間", 180, 1260);
  txtMoveTime = edit(this, QStringLiteral("txtMoveTime"), 1050, 1200, 375, 270);
  label(8, this, "分", 1560, 1260);

  FrmCom = frame(this, QStringLiteral("FrmCom"), "", 1890, 60, 4395, 1815);
  FrmCom->setFont(PGothicFont(9));
  static constexpr const char* kCommentCaptions[] = {"運用終了時", "設定時刻通過時",
                                                     "設定時刻警告時"};
  for (int i = 0; i < kCommentCount; ++i) {
    label(2 + i, FrmCom, kCommentCaptions[i], 60, 180 + 540 * i);
    txtComment[i] =
        edit(FrmCom, QStringLiteral("txtComment_%1").arg(i), 60, 375 + 540 * i, 1935, 285);
    CommentColor[i] = sample(FrmCom, QStringLiteral("CommentColor_%1").arg(i), 2040, 360 + 540 * i);
  }
  label(5, FrmCom, "警告時間", 2700, 1500);
  txtCommentAppearTime = edit(FrmCom, QStringLiteral("txtCommentAppearTime"), 3525, 1440, 390, 285);
  // Only the frame and its labels are proportional; its boxes keep the dialog's font.
  for (QWidget* w :
       std::initializer_list<QWidget*>{txtComment[0], txtComment[1], txtComment[2], CommentColor[0],
                                       CommentColor[1], CommentColor[2], txtCommentAppearTime}) {
    w->setFont(GothicFont(9));
  }
  label(6, FrmCom, "分前", 3930, 1500);

  frmMsgOption[0] =
      frame(this, QStringLiteral("frmMsgOption_0"), "通知メッセージ", 180, 1980, 6105, 1875);
  frmMsgOption[1] =
      frame(frmMsgOption[0], QStringLiteral("frmMsgOption_1"), "点滅", 120, 240, 735, 795);
  optBlink[0] = option(new QRadioButton(QStringLiteral("ON"), frmMsgOption[1]),
                       QStringLiteral("optBlink_0"), 60, 240);
  optBlink[1] = option(new QRadioButton(QStringLiteral("OFF"), frmMsgOption[1]),
                       QStringLiteral("optBlink_1"), 60, 480);
  frmMsgOption[2] =
      frame(frmMsgOption[0], QStringLiteral("frmMsgOption_2"), "通知音", 960, 240, 5025, 1515);
  frmMsgOption[4] = frame(frmMsgOption[2], QStringLiteral("frmMsgOption_4"), "有効デバイス", 3000,
                          180, 1875, 555);
  chkDev[0] = option(new QCheckBox(QStringLiteral("WAVE"), frmMsgOption[4]),
                     QStringLiteral("chkDev_0"), 180, 240);
  chkDev[1] = option(new QCheckBox(QStringLiteral("MIDI"), frmMsgOption[4]),
                     QStringLiteral("chkDev_1"), 1140, 240);
  // The boxes show what this machine can play; they are not settings to toggle.
  for (QCheckBox* box : chkDev) {
    box->setFocusPolicy(Qt::NoFocus);
    box->installEventFilter(this);
  }
  frmMsgOption[3] = frame(frmMsgOption[2], QStringLiteral("frmMsgOption_3"), "             ", 120,
                          720, 4785, 675);
  txtSoundFile = edit(frmMsgOption[3], QStringLiteral("txtSoundFile"), 120, 240, 3585, 300);
  comOpen = command("参照", QStringLiteral("comOpen"), frmMsgOption[3], 3780, 240, 855, 300);
  static constexpr const char* kSoundCaptions[] = {"OFF", "BEEP", "SOUND FILE"};
  for (int i = 0; i < 3; ++i) {
    optSound[i] = option(new QRadioButton(QString::fromUtf8(kSoundCaptions[i]), frmMsgOption[2]),
                         QStringLiteral("optSound_%1").arg(i), 240, 240 + 240 * i);
  }
  // "SOUND FILE" stands where the blank caption of the file frame leaves a gap in its edge.
  optSound[2]->raise();

  comOK = command("ＯＫ", QStringLiteral("comOK"), this, 4380, 4020, 855, 315);
  comCancel = command("ｷｬﾝｾﾙ", QStringLiteral("comCancel"), this, 5340, 4020, 855, 315);
  comOK->setDefault(true);

  for (QLineEdit* box : {txtMoveTime, txtCommentAppearTime}) {
    box->setValidator(new EntryValidator(box, kNumberLimit, true));
  }
  for (QLineEdit* box : txtComment) {
    box->setValidator(new EntryValidator(box, kCommentLimit, false));
  }
  for (QLineEdit* box : {txtMoveTime, txtCommentAppearTime, txtSoundFile, txtComment[0],
                         txtComment[1], txtComment[2]}) {
    box->installEventFilter(this);
  }

  QWidget* order[] = {
      FGridFontColor, FGridBgColor,    txtMoveTime,   txtComment[0],   CommentColor[0],
      txtComment[1],  CommentColor[1], txtComment[2], CommentColor[2], txtCommentAppearTime,
      optBlink[0],    optBlink[1],     optSound[0],   optSound[1],     optSound[2],
      comOpen,        comOK,           comCancel,     txtSoundFile};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  auto onEnter = [](FlexGrid* grid, auto handler) {
    // One click opens the colours; the picker is modal, so a double click opens it once.
    connect(grid, &FlexGrid::Click, grid, handler);
    connect(grid, &FlexGrid::DblClick, grid, handler);
    connect(grid, &FlexGrid::KeyPress, grid, [handler](int& key) {
      const bool enter = key == 13;
      key = 0;
      if (enter) handler();
    });
  };
  onEnter(FGridFontColor, [this] { FGridFontColor_DblClick(); });
  onEnter(FGridBgColor, [this] { FGridBgColor_DblClick(); });
  for (int i = 0; i < kCommentCount; ++i) {
    onEnter(CommentColor[i], [this, i] { CommentColor_DblClick(i); });
  }
  for (int i = 0; i < 3; ++i) {
    connect(optSound[i], &QRadioButton::toggled, this, [this, i](bool on) {
      if (on) optSound_Click(i);
    });
  }
  connect(comOK, &QPushButton::clicked, this, &frmOption::comOK_Click);
  connect(comCancel, &QPushButton::clicked, this, &frmOption::comCancel_Click);
  connect(comOpen, &QPushButton::clicked, this, &frmOption::comOpen_Click);
}

void frmOption::Form_Load() {
  for (FlexGrid* grid :
       {FGridFontColor, FGridBgColor, CommentColor[0], CommentColor[1], CommentColor[2]}) {
    grid->SetRows(1);
    grid->SetCols(1);
    grid->SetFixedRows(0);
    grid->SetFixedCols(0);
    grid->SetColWidth(0, kSampleColWidth);
  }
  WorkFontColor = settings_.ApplicationFontColor;
  WorkBackColor = settings_.ApplicationBackColor;
  for (int i = 0; i < kCommentCount; ++i) {
    WorkCommentColor[i] = settings_.Comments[i].Color;
    PaintComment(i);
    txtComment[i]->setText(QString::fromStdString(settings_.Comments[i].Text));
  }
  txtCommentAppearTime->setText(QString::number(settings_.MessageTimes_Min));
  txtMoveTime->setText(QString::number(settings_.MoveTimes_Min));
  optBlink[settings_.MessageBlinkFlag != 0 ? 0 : 1]->setChecked(true);

  const int sound = settings_.MessageSoundFlag <= 2 ? settings_.MessageSoundFlag : 0;
  optSound[sound]->setChecked(true);
  optSound_Click(sound);
  txtSoundFile->setText(QString::fromStdString(settings_.MessageSoundFile));

  chkDev[0]->setChecked(devices_.Wave);
  chkDev[1]->setChecked(devices_.Midi);
  const bool anyDevice = devices_.Wave || devices_.Midi;
  optSound[2]->setEnabled(anyDevice);
  if (!anyDevice) {
    txtSoundFile->setEnabled(false);
    comOpen->setEnabled(false);
    frmMsgOption[3]->setEnabled(false);
    if (optSound[2]->isChecked()) optSound[0]->setChecked(true);
  }
  SetFormColor();
}

void frmOption::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnScreen(this);
  if (!devices_.Problem.empty()) {
    // Over the dialog, once: the unchecked devices are explained where they are seen.
    QTimer::singleShot(0, this, [this, problem = devices_.Problem] {
      ShowMessage(this, problem, "音声ｴﾗｰ", MsgIcon::Warning);
    });
    devices_.Problem.clear();
  }
}

void frmOption::SetFormColor() {
  const QColor back = ToQColor(WorkBackColor);
  const QColor fore = ToQColor(WorkFontColor);
  SetBack(this, back);
  SetBack(FrmCom, back);
  for (QGroupBox* frame : frmMsgOption) {
    SetBack(frame, back);
    SetFore(frame, fore, back);
  }
  for (QWidget* w : {static_cast<QWidget*>(optBlink[0]), static_cast<QWidget*>(optBlink[1]),
                     static_cast<QWidget*>(optSound[0]), static_cast<QWidget*>(optSound[1]),
                     static_cast<QWidget*>(optSound[2]), static_cast<QWidget*>(chkDev[0]),
                     static_cast<QWidget*>(chkDev[1])}) {
    SetBack(w, back);
    SetFore(w, fore, back);
  }
  for (QLabel* l : Label) SetFore(l, fore, back);
  for (QLineEdit* box : txtComment) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, back);
    box->setPalette(palette);
  }
  PaintSample(FGridFontColor, WorkFontColor);
  PaintSample(FGridBgColor, WorkBackColor);
}

void frmOption::PaintSample(FlexGrid* sample, Color color) {
  sample->SetCellBackColorAt(0, 0, color);
}

void frmOption::PaintComment(int index) {
  PaintSample(CommentColor[index], WorkCommentColor[index]);
  QPalette palette = txtComment[index]->palette();
  palette.setColor(QPalette::Text, ToQColor(WorkCommentColor[index]));
  txtComment[index]->setPalette(palette);
}

void frmOption::FGridFontColor_DblClick() {
  WorkFontColor = PickColor(this, WorkFontColor,
                            {1020 + WindowLeftTwips(this), 240 + WindowTopTwips(this) + 315 + 300});
  SetFormColor();
}

void frmOption::FGridBgColor_DblClick() {
  WorkBackColor = PickColor(this, WorkBackColor,
                            {1020 + WindowLeftTwips(this), 720 + WindowTopTwips(this) + 315 + 300});
  SetFormColor();
}

void frmOption::CommentColor_DblClick(int index) {
  // All three comment samples open the picker below the first one.
  WorkCommentColor[index] =
      PickColor(this, WorkCommentColor[index],
                {2040 + 1890 + WindowLeftTwips(this), 360 + 60 + WindowTopTwips(this) + 315 + 300});
  PaintComment(index);
}

void frmOption::optSound_Click(int index) {
  const bool file = index == 2;
  txtSoundFile->setEnabled(file);
  comOpen->setEnabled(file);
  frmMsgOption[3]->setEnabled(file);
}

void frmOption::comOpen_Click() {
  std::vector<FileFilter> filter;
  if (chkDev[0]->isChecked()) filter.push_back({"Waveﾌｧｲﾙ(*.WAV)", "*.wav"});
  if (chkDev[1]->isChecked()) filter.push_back({"Midiﾌｧｲﾙ(*.MID)", "*.mid"});
  filter.push_back({"全てのﾌｧｲﾙ(*.*)", "*.*"});
  txtSoundFile->setText(
      QString::fromStdString(FileOpenDialog(this, filter, QDir::currentPath().toStdString())));
}

bool frmOption::Validate() {
  auto fail = [this](const char* message) {
    ShowMessage(this, message, kInputError, MsgIcon::Critical);
    return false;
  };
  const QString appear = txtCommentAppearTime->text();
  if (!IsTwoDigitNumber(appear) || appear.toInt() == 0) {
    return fail("警告時間が不正です。\r1～99の範囲内にしてください。");
  }
  if (!IsTwoDigitNumber(txtMoveTime->text())) return fail("移動時間が不正です。");
  for (QLineEdit* box :
       {txtComment[0], txtCommentAppearTime, txtMoveTime, txtComment[1], txtComment[2]}) {
    if (box->text().isEmpty()) return fail("未入力ﾃﾞｰﾀが存在します。");
  }
  if (optSound[2]->isChecked() && txtSoundFile->text().isEmpty()) {
    return fail("SOUND FILEを入力してください。");
  }
  return true;
}

void frmOption::comOK_Click() {
  if (!Validate()) return;
  const auto enter = [this](IniSettings& entered) {
    entered.ApplicationFontColor = WorkFontColor;
    entered.ApplicationBackColor = WorkBackColor;
    for (int i = 0; i < kCommentCount; ++i) {
      entered.Comments[i].Text = txtComment[i]->text().toStdString();
      entered.Comments[i].Color = WorkCommentColor[i];
    }
    entered.MessageTimes_Min = static_cast<std::int16_t>(txtCommentAppearTime->text().toInt());
    entered.MoveTimes_Min = static_cast<std::int16_t>(txtMoveTime->text().toInt());
    entered.MessageBlinkFlag = optBlink[0]->isChecked() ? 1 : 0;
    entered.MessageSoundFlag = optSound[2]->isChecked() ? 2 : optSound[1]->isChecked() ? 1 : 0;
    entered.MessageSoundFile = txtSoundFile->text().toStdString();
  };
  // The settings change only once the file holds them; a failed save keeps the dialog open.
  if (!SaveSettings(this, enter, settings_, appFolder_)) return;
  closing_ = true;
  accept();
}

void frmOption::comCancel_Click() {
  closing_ = true;
  QDialog::reject();
}

// Esc and the close box do what Cancel does.
void frmOption::reject() {
  if (closing_) {
    QDialog::reject();
    return;
  }
  comCancel_Click();
}

bool frmOption::eventFilter(QObject* watched, QEvent* event) {
  if (watched == chkDev[0] || watched == chkDev[1]) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
        return true;
      default:
        return QDialog::eventFilter(watched, event);
    }
  }
  auto* box = qobject_cast<QLineEdit*>(watched);
  if (!box) return QDialog::eventFilter(watched, event);
  if (event->type() == QEvent::FocusIn) {
    // Entering a box selects its whole text, also when Enter moved the focus here.
    if (static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason) box->selectAll();
  } else if (event->type() == QEvent::KeyPress && box == txtCommentAppearTime) {
    // Enter goes on from the warning minutes to the walking time; from there it confirms.
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      txtMoveTime->setFocus(Qt::OtherFocusReason);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace v42
