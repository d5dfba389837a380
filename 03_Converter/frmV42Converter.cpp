#include "frmV42Converter.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <string>
#include <vector>

#include "AppFolder.h"
#include "Conversion.h"
#include "FileOpenDialog.h"
#include "Fonts.h"
#include "MessageBox.h"
#include "Model.h"
#include "Twips.h"

namespace v42 {

namespace {

// The client area below the menu bar, in twips.
constexpr int kClientWidth = 7575;
constexpr int kClientHeight = 1755;

std::filesystem::path PathOf(const QLineEdit* box) {
  return std::filesystem::path(box->text().toStdString());
}

}  // namespace

frmV42Converter::frmV42Converter(std::filesystem::path appFolder, QWidget* parent)
    : QMainWindow(parent), appFolder_(std::move(appFolder)) {
  setObjectName("frmV42Converter");
  setWindowTitle("ベルカン42コンバータ");
  setFont(GothicFont(9));

  QMenu* menuFile = menuBar()->addMenu("ﾌｧｲﾙ(&F)");
  menuFile->setObjectName("menuFile");
  QAction* menuFileEnd = menuFile->addAction("終了(&E)");
  menuFileEnd->setObjectName("menuFileEnd");
  connect(menuFileEnd, &QAction::triggered, this, &frmV42Converter::menuFileEnd_Click);
  QMenu* menuHelp = menuBar()->addMenu("ﾍﾙﾌﾟ(&H)");
  menuHelp->setObjectName("menuHelp");
  QAction* menuHelpVersion = menuHelp->addAction("ﾊﾞｰｼﾞｮﾝ情報");
  menuHelpVersion->setObjectName("menuHelpVersion");
  connect(menuHelpVersion, &QAction::triggered, this, &frmV42Converter::menuHelpVersion_Click);

  auto* client = new QWidget(this);
  client->setObjectName("client");
  setCentralWidget(client);
  client->setFixedSize(TwipsSize(kClientWidth, kClientHeight));

  // An etched rule under the menu bar: grey, and white one pixel (15 twips) below it.
  Line2 = new QFrame(client);
  Line2->setObjectName("Line2");
  Line2->setStyleSheet("background-color: #808080;");
  PlaceTwips(Line2, 0, 0, kClientWidth, 15);
  Line1 = new QFrame(client);
  Line1->setObjectName("Line1");
  Line1->setStyleSheet("background-color: #ffffff;");
  PlaceTwips(Line1, 0, 15, kClientWidth, 15);

  const char* labels[2] = {"時刻表データファイル", "設定ファイル"};
  for (int i = 0; i < 2; ++i) {
    const int top = 255 + i * 510;
    Label1[i] = new QLabel(labels[i], client);
    Label1[i]->setObjectName(QString("Label1_%1").arg(i));
    Label1[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    PlaceTwips(Label1[i], 120, top, 2040, 330);

    txtFilePath[i] = new QLineEdit(client);
    txtFilePath[i]->setObjectName(QString("txtFilePath_%1").arg(i));
    txtFilePath[i]->installEventFilter(this);
    PlaceTwips(txtFilePath[i], 2220, top, 4260, 330);
    // Typed paths count as much as chosen ones.
    connect(txtFilePath[i], &QLineEdit::textChanged, this, &frmV42Converter::UpdateChangeButton);

    cmdAct[i] = new QPushButton("参照", client);
    cmdAct[i]->setObjectName(QString("cmdAct_%1").arg(i));
    PlaceTwips(cmdAct[i], 6600, top - 15, 855, 360);
    connect(cmdAct[i], &QPushButton::clicked, this, [this, i] { cmdAct_Click(i); });
  }

  cmdChange = new QPushButton("変換", client);
  cmdChange->setObjectName("cmdChange");
  PlaceTwips(cmdChange, 3150, 1200, 1275, 390);
  connect(cmdChange, &QPushButton::clicked, this, &frmV42Converter::cmdChange_Click);

  setFixedSize(client->width(), client->height() + menuBar()->sizeHint().height());
  Form_Load();
}

void frmV42Converter::Form_Load() {
  CentreOnScreen(this);
  cmdChange->setEnabled(false);
}

void frmV42Converter::UpdateChangeButton() {
  cmdChange->setEnabled(!txtFilePath[0]->text().isEmpty() && !txtFilePath[1]->text().isEmpty());
}

void frmV42Converter::cmdAct_Click(int index) {
  const std::vector<FileFilter> filter =
      index == 0 ? std::vector<FileFilter>{{"ver1.xx 時刻表ﾃﾞｰﾀﾌｧｲﾙ(Data00.dat)", "Data00.dat"},
                                           {"ver2.xx 時刻表ﾃﾞｰﾀﾌｧｲﾙ(velkan42.dat)", "velkan42.dat"}}
                 : std::vector<FileFilter>{{"設定ﾌｧｲﾙ(velkan42.ini)", "velkan42.ini"}};
  const std::string chosen = FileOpenDialog(this, filter, appFolder_.string());
  if (!chosen.empty()) txtFilePath[index]->setText(QString::fromStdString(chosen));
  UpdateChangeButton();
}

void frmV42Converter::cmdChange_Click() {
  const std::array<std::filesystem::path, 2> FilePaths = {PathOf(txtFilePath[0]),
                                                          PathOf(txtFilePath[1])};
  try {
    const std::string notice = Convert(FilePaths[0], FilePaths[1]);
    ShowMessage(this, notice, "通知メッセージ", MsgIcon::Information);
  } catch (const FileError& error) {
    ShowMessage(this, error.what(), error.Caption, MsgIcon::Critical);
    if (error.EndsProgram) close();
  }
}

void frmV42Converter::menuFileEnd_Click() { close(); }

void frmV42Converter::menuHelpVersion_Click() {
  ShowMessage(this, "【ベルカン42コンバータ】　Ver 1.10\n\nCopyright (C) 2026 Velkan42 Project",
              "ﾊﾞｰｼﾞｮﾝ情報", MsgIcon::Information, QMessageBox::Ok, AppFolderNote(appFolder_));
}

bool frmV42Converter::eventFilter(QObject* watched, QEvent* event) {
  // A path box selects its whole text when it gets the focus, so a new path replaces it;
  // later, because the click that gave the focus would clear the selection again.
  if (event->type() == QEvent::FocusIn) {
    if (auto* box = qobject_cast<QLineEdit*>(watched)) {
      QTimer::singleShot(0, box, &QLineEdit::selectAll);
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace v42
