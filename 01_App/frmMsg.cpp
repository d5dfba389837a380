#include "frmMsg.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <iostream>

#include "Fonts.h"
#include "SoundDevice.h"
#include "Twips.h"
#include "basVelkan42.h"

namespace v42 {

frmMsg::frmMsg(const IniSettings& settings, QWidget* mainWindow, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      main_(mainWindow) {
  setObjectName("frmMsg");
  setWindowTitle(kCaption);
  setWindowIcon(AppIcon());
  setFont(GothicFont(9));
  setAutoFillBackground(true);
  FixClientSizeTwips(this, 2670, 1215);

  Label1 = new QLabel("もうすぐ設定時刻です。", this);
  Label1->setObjectName("Label1");
  PlaceTwips(Label1, 660, 300, 1995, 195);
  Image1 = new QLabel(this);
  Image1->setObjectName("Image1");
  PlaceTwips(Image1, 60, 180, 480, 480);
  Image1->setAlignment(Qt::AlignCenter);
  Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
  comOK = new QPushButton("ＯＫ", this);
  comOK->setObjectName("comOK");
  PlaceTwips(comOK, 900, 780, 855, 315);
  comOK->setDefault(true);
  connect(comOK, &QPushButton::clicked, this, &frmMsg::comOK_Click);

  Timer1.setObjectName("Timer1");
  connect(&Timer1, &QTimer::timeout, this, &frmMsg::Timer1_Timer);
  Form_Load(settings);
}

frmMsg::~frmMsg() { Form_Unload(); }

void frmMsg::Form_Load(const IniSettings& settings) {
  CentreOnScreen(this);
  ActivatedFlag = 0;
  SoundKind = 0;
  if (settings.MessageBlinkFlag != 0) {
    FlashMsgFlag = 1;
    FlashMainFlag = (main_ != nullptr && main_->isMinimized()) ? 1 : 0;
    Timer1.start(500);
  } else {
    Timer1.stop();
  }
  if (settings.MessageSoundFlag == 1) {
    sound_.Beep();
  } else if (settings.MessageSoundFlag == 2) {
    SoundKind = static_cast<std::int16_t>(sound_.PlayFile(settings.MessageSoundFile));
  }
  // The alert itself stays as it is; the reason for its silence goes to the log.
  if (settings.MessageSoundFlag != 0 && !sound_.IsOpen() && !SoundLibraryProblem().empty())
    std::cerr << SoundLibraryProblem() << '\n';
}

void frmMsg::Timer1_Timer() {
  if (ActivatedFlag == 0) {
    // A platform without window stacking (offscreen) only warns about raising.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) raise();
    activateWindow();
    ActivatedFlag = 1;
  }
  FlashWindow(this, FlashMsgFlag);
  FlashWindow(main_, FlashMainFlag);
  if (FlashMsgFlag == 1) {
    FlashMsgFlag = 0;
    FlashMainFlag = 1;
  } else {
    FlashMsgFlag = 1;
    FlashMainFlag = 0;
  }
}

// A call with 1 switches a window to its other look, a call with 0 returns it to normal.
// This window swaps its caption and colours; the main window, which may sit minimised in
// the taskbar, asks the desktop for attention instead.
void frmMsg::FlashWindow(QWidget* window, std::int16_t invert) {
  if (window == nullptr) return;
  if (window == this) {
    msgInverted_ = invert != 0 && !msgInverted_;
    setWindowTitle(msgInverted_ ? kInvertedCaption : kCaption);
    QPalette pal = QApplication::palette(this);
    if (msgInverted_) {
      pal.setColor(QPalette::Window, pal.color(QPalette::Highlight));
      pal.setColor(QPalette::WindowText, pal.color(QPalette::HighlightedText));
    }
    setPalette(pal);
    return;
  }
  mainInverted_ = invert != 0 && !mainInverted_;
  if (mainInverted_) QApplication::alert(window, 500);
}

void frmMsg::comOK_Click() { accept(); }

void frmMsg::done(int result) {
  Form_Unload();
  QDialog::done(result);
}

// However the window goes (OK, Esc, close box, owner closing), the main window gets its
// normal look back and the sound stops.
void frmMsg::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  Timer1.stop();
  if (FlashMainFlag == 0) FlashWindow(main_, 0);
  sound_.Stop();
}

}  // namespace v42
