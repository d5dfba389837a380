#include "frmDesktop.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "Autostart.h"
#include "Fonts.h"
#include "MessageBox.h"
#include "SaveSettings.h"

namespace v42 {

namespace {
// The style of each option button, in their order.
constexpr std::array<std::uint8_t, 3> kAlertStyles{
    DesktopSettings::AlertBlink, DesktopSettings::AlertNotify, DesktopSettings::AlertBoth};
}  // namespace

frmDesktop::frmDesktop(IniSettings& settings, std::filesystem::path appFolder, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      settings_(settings),
      appFolder_(std::move(appFolder)) {
  setObjectName("frmDesktop");
  setWindowTitle("デスクトップ");
  setFont(PGothicFont(9));
  auto* layout = new QVBoxLayout(this);

  chkTrayIcon = new QCheckBox("ﾀｽｸﾄﾚｲに残り時間を表示する", this);
  chkTrayIcon->setObjectName("chkTrayIcon");
  layout->addWidget(chkTrayIcon);

  auto* frmAlert = new QGroupBox("発車前の通知", this);
  frmAlert->setObjectName("frmAlert");
  auto* alertLayout = new QVBoxLayout(frmAlert);
  const char* alertTexts[3] = {"点滅ｳｨﾝﾄﾞｳ", "ﾃﾞｽｸﾄｯﾌﾟ通知", "両方"};
  for (int i = 0; i < 3; ++i) {
    optAlert[i] = new QRadioButton(alertTexts[i], frmAlert);
    optAlert[i]->setObjectName(QString("optAlert_%1").arg(i));
    alertLayout->addWidget(optAlert[i]);
  }
  layout->addWidget(frmAlert);

  chkDimPassed = new QCheckBox("乗れない発車時刻を淡く表示する", this);
  chkDimPassed->setObjectName("chkDimPassed");
  layout->addWidget(chkDimPassed);

  chkFollowSaves = new QCheckBox("ｴﾃﾞｨﾀで保存した時刻表をすぐに表示する", this);
  chkFollowSaves->setObjectName("chkFollowSaves");
  layout->addWidget(chkFollowSaves);

  chkStartAtLogin = new QCheckBox("ﾛｸﾞｲﾝ時に起動する", this);
  chkStartAtLogin->setObjectName("chkStartAtLogin");
  layout->addWidget(chkStartAtLogin);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* comOK = new QPushButton("ＯＫ", this);
  comOK->setObjectName("comOK");
  comOK->setDefault(true);
  auto* comCancel = new QPushButton("ｷｬﾝｾﾙ", this);
  comCancel->setObjectName("comCancel");
  buttons->addWidget(comOK);
  buttons->addWidget(comCancel);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  connect(comOK, &QPushButton::clicked, this, &frmDesktop::comOK_Click);
  connect(comCancel, &QPushButton::clicked, this, &QDialog::reject);

  const DesktopSettings& desktop = settings_.Desktop;
  chkTrayIcon->setChecked(desktop.TrayIcon);
  for (std::size_t i = 0; i < kAlertStyles.size(); ++i)
    optAlert[i]->setChecked(desktop.Alert == kAlertStyles[i]);
  chkDimPassed->setChecked(desktop.DimPassed);
  chkFollowSaves->setChecked(desktop.FollowSaves);
  chkStartAtLogin->setChecked(StartsAtLogin());
}

void frmDesktop::comOK_Click() {
  const auto enter = [this](IniSettings& entered) {
    entered.Desktop.TrayIcon = chkTrayIcon->isChecked();
    for (std::size_t i = 0; i < kAlertStyles.size(); ++i)
      if (optAlert[i]->isChecked()) entered.Desktop.Alert = kAlertStyles[i];
    entered.Desktop.DimPassed = chkDimPassed->isChecked();
    entered.Desktop.FollowSaves = chkFollowSaves->isChecked();
  };
  // The login entry is a file of its own, touched only when the box was changed.
  if (chkStartAtLogin->isChecked() != StartsAtLogin()) {
    try {
      SetStartAtLogin(chkStartAtLogin->isChecked(),
                      QCoreApplication::applicationFilePath().toStdString());
    } catch (const FileError& e) {
      ShowMessage(this, e.what(), e.Caption, MsgIcon::Critical);
      return;
    }
  }
  // The settings change only once the file holds them; a failed save keeps the dialog open.
  if (SaveSettings(this, enter, settings_, appFolder_)) accept();
}

}  // namespace v42
