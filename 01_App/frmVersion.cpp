#include "frmVersion.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "AppFolder.h"
#include "Fonts.h"
#include "OleColor.h"
#include "Twips.h"

namespace v42 {
frmVersion::frmVersion(const IniSettings& settings, const std::filesystem::path& appFolder,
                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName("frmVersion");
  setWindowTitle("ﾊﾞｰｼﾞｮﾝ情報");
  setToolTip(QString::fromStdString(AppFolderNote(appFolder)));
  setFont(GothicFont(9));
  FixClientSizeTwips(this, 3555, 2745);

  Command1 = new QPushButton("ＯＫ", this);
  Command1->setObjectName("Command1");
  PlaceTwips(Command1, 2460, 2280, 855, 315);
  Command1->setDefault(true);
  connect(Command1, &QPushButton::clicked, this, &QDialog::accept);

  frmVer = new QFrame(this);
  frmVer->setObjectName("frmVer");
  frmVer->setFrameShape(QFrame::Box);
  frmVer->setFrameShadow(QFrame::Sunken);
  PlaceTwips(frmVer, 300, 180, 2955, 1275);

  struct Design {
    QWidget* parent;
    const char* text;
    int left, top, width, height;
    QFont font;
    Qt::Alignment align;
  };
  QFont title = PGothicFont(24);
  title.setBold(true);
  const Design designs[4] = {
      {frmVer, "ベルカン 42", 300, 300, 2295, 555, title, Qt::AlignCenter},
      {frmVer, "ver2.10", 1740, 840, 915, 255, PGothicFont(9.75),
       Qt::AlignRight | Qt::AlignVCenter},
      {this, "Copyright (C) 2026", 180, 1680, 2235, 195, GothicFont(9), Qt::AlignLeft},
      {this, "Velkan42 Project", 1380, 1920, 1995, 195, GothicFont(9), Qt::AlignLeft},
  };
  for (int i = 0; i < 4; ++i) {
    Label[i] = new QLabel(designs[i].text, designs[i].parent);
    Label[i]->setObjectName(QString("Label_%1").arg(i));
    Label[i]->setFont(designs[i].font);
    Label[i]->setAlignment(designs[i].align);
    PlaceTwips(Label[i], designs[i].left, designs[i].top, designs[i].width, designs[i].height);
    FitText(Label[i]);
  }
  Command1->setFocus();
  Form_Load(settings);
}

void frmVersion::Form_Load(const IniSettings& settings) {
  CentreOnScreen(this);
  for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(frmVer)}) {
    SetPaletteColor(w, QPalette::Window, settings.ApplicationBackColor);
    w->setAutoFillBackground(true);
  }
  // The button keeps the light grey it was designed in.
  SetPaletteColor(Command1, QPalette::Button, 0xC0C0C0);
  for (QLabel* label : Label)
    SetPaletteColor(label, QPalette::WindowText, settings.ApplicationFontColor);
}

}  // namespace v42
