#include "frmSetType.h"

#include <QLabel>
#include <QPushButton>

#include "CellEditor.h"
#include "FlexGrid.h"
#include "Fonts.h"
#include "InputRules.h"
#include "TextBoxRules.h"
#include "Twips.h"
#include "TypeStyle.h"
#include "frmColor.h"

namespace v42 {

namespace {

enum Column { kLetter = 0, kName = 1, kFore = 2, kBack = 3, kStyle = 4 };
// The colour columns are wide enough for their headings.
constexpr std::array<int, 5> kColWidths{210, 1920, 480, 480, 600};
constexpr std::array<const char*, 5> kHeadings{"", "名称", "文字", "背景", "書式"};
constexpr int kHeadingHeight = 255;
constexpr int kWidth = 4035;
constexpr std::array<int, 5> kColAligns{flexAlignCenterCenter, flexAlignLeftCenter,
                                        flexAlignCenterCenter, flexAlignCenterCenter,
                                        flexAlignCenterCenter};

}  // namespace

frmSetType::frmSetType(EditorContext& context, QWidget* parent)
    : EditorDialog(parent), ctx_(context) {
  setObjectName("frmSetType");
  setWindowTitle(QStringLiteral("種別設定"));
  setFont(GothicFont(9));
  FixClientSizeTwips(this, kWidth, 2655 + kHeadingHeight);

  for (int c = 0, left = 30; c < 5; left += kColWidths[c++]) {
    auto* heading = new QLabel(QString::fromUtf8(kHeadings[c]), this);
    heading->setObjectName(QStringLiteral("lblHeading_%1").arg(c));
    heading->setAlignment(Qt::AlignCenter);
    PlaceTwips(heading, left, 0, kColWidths[c], kHeadingHeight);
  }
  FGrid_ = new FlexGrid(this);
  FGrid_->setObjectName("FGrid");
  PlaceTwips(FGrid_, 0, kHeadingHeight, kWidth, 2325);
  connect(FGrid_, &FlexGrid::DblClick, this, [this] { FGrid_DblClick(); });
  // A colour cell opens the colours on one click, like every colour swatch of the suite.
  connect(FGrid_, &FlexGrid::Click, this, [this] {
    const int col = FGrid_->MouseCol();
    if (FGrid_->MouseRow() >= 0 && (col == kFore || col == kBack) && col == FGrid_->Col())
      PickCellColor(FGrid_->Row(), col);
  });
  connect(FGrid_, &FlexGrid::KeyPress, this, [this](int& key) {
    if (key != '\r') return;
    key = 0;
    FGrid_DblClick();
  });
  connect(FGrid_, &FlexGrid::KeyDown, this, [this](int& key, Qt::KeyboardModifiers) {
    if (key != Qt::Key_Delete) return;
    key = 0;
    FGrid_->SetTextMatrix(FGrid_->Row(), FGrid_->Col(), QString());
  });

  for (int i = 0; i < 2; ++i) {
    auto* button = new QPushButton(i == 0 ? QStringLiteral("OK") : QStringLiteral("Cancel"), this);
    button->setObjectName(QStringLiteral("cmdAct_%1").arg(i));
    PlaceTwips(button, i == 0 ? 0 : kWidth / 2 + 8, 2340 + kHeadingHeight, kWidth / 2 - 8, 315);
    connect(button, &QPushButton::clicked, this, [this, i] { cmdAct_Click(i); });
  }

  txtInput_ = new CellEditor(FGrid_, this);
  MakeNameBox(txtInput_, kTypeNameMaxChars);
  connect(txtInput_, &CellEditor::Stored, this,
          [this] { FGrid_->SetTextMatrix(FGrid_->Row(), FGrid_->Col(), txtInput_->text()); });

  NoDefaultButtons(this);
  Form_Load();
}

void frmSetType::Form_Load() {
  CentreOnScreen(this);
  FGrid_->SetRows(kTypeCount);
  FGrid_->SetCols(5);
  FGrid_->SetFixedRows(0);
  FGrid_->SetFixedCols(1);
  for (int c = 0; c < 5; ++c) {
    FGrid_->SetColWidth(c, kColWidths[c]);
    FGrid_->SetColAlignment(c, kColAligns[c]);
  }
  for (int i = 0; i < kTypeCount; ++i) {
    const TypeEntry& type = ctx_.WorkRecord.Types[i];
    FGrid_->SetTextMatrix(i, kLetter, QString(QChar('a' + i)));
    FGrid_->SetCurrentCell(i, kName);
    FGrid_->SetTextMatrix(i, kName, QString::fromStdString(type.Name));
    FGrid_->SetCellForeColor(type.ForeColor);
    FGrid_->SetCellBackColor(type.BackColor);
    FGrid_->SetCellBackColorAt(i, kFore, type.ForeColor);
    FGrid_->SetCellBackColorAt(i, kBack, type.BackColor);
    TypeStyleSet(i, StyleNumber(type.Bold, type.Italic));
  }
  FGrid_->SetCurrentCell(0, kName);
}

void frmSetType::TypeStyleSet(int row, int style) {
  if (style < 0 || style > 3) return;
  const FontStyle font = StyleOfNumber(style);
  FGrid_->SetTextMatrix(row, kStyle, QString::fromUtf8(StyleMark(style)));
  const int current = FGrid_->Row();
  for (int col : {kName, kStyle}) {
    FGrid_->SetCellFontBoldAt(current, col, font.Bold);
    FGrid_->SetCellFontItalicAt(current, col, font.Italic);
  }
  FGrid_->SetCurrentCell(current, kStyle);
}

void frmSetType::FGrid_DblClick() {
  const int row = FGrid_->Row();
  switch (FGrid_->Col()) {
    case kName:
      txtInput_->OpenOverCurrentCell(FGrid_->TextMatrix(row, kName), kTypeNameMaxChars);
      break;
    case kFore:
    case kBack:
      PickCellColor(row, FGrid_->Col());
      break;
    case kStyle:
      TypeStyleSet(row, NextStyle(FGrid_->TextMatrix(row, kStyle).toStdString()));
      break;
    default:
      break;
  }
}

void frmSetType::PickCellColor(int row, int col) {
  // Just under the cell.
  const ColorFormPos pos{WindowLeftTwips(this) + FGrid_->CellLeft() + 60,
                         WindowTopTwips(this) + FGrid_->CellTop() + FGrid_->CellHeight() + 330};
  const Color picked = PickColor(this, FGrid_->CellBackColor(), pos);
  FGrid_->SetCellBackColor(picked);
  if (col == kFore) {
    FGrid_->SetCellForeColorAt(row, kName, picked);
  } else {
    FGrid_->SetCellBackColorAt(row, kName, picked);
  }
  FGrid_->SetCurrentCell(row, col + 1);
}

void frmSetType::cmdAct_Click(int index) {
  if (index == 1) {
    CloseWithCancel();
    return;
  }
  for (int i = 0; i < kTypeCount; ++i) {
    TypeEntry& type = ctx_.WorkRecord.Types[i];
    type.Name = FGrid_->TextMatrix(i, kName).toStdString();
    type.ForeColor = FGrid_->CellBackColorAt(i, kFore);
    type.BackColor = FGrid_->CellBackColorAt(i, kBack);
    const FontStyle font = StyleOfMark(FGrid_->TextMatrix(i, kStyle).toStdString());
    type.Bold = font.Bold;
    type.Italic = font.Italic;
  }
  CloseWithOk();
}

}  // namespace v42
