#include "frmDataEdit.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "CellEditor.h"
#include "FlexGrid.h"
#include "Fonts.h"
#include "InputRules.h"
#include "MessageBox.h"
#include "TextBoxRules.h"
#include "Twips.h"
#include "frmGridColor.h"
#include "frmSetType.h"
#include "frmTime.h"

namespace v42 {

namespace {

constexpr int kColWidth = 330;
constexpr int kGridBottom = 6030;
constexpr int kKeysLineHeight = 255;
// What the grid does with the keys and the mouse is not to be guessed.
constexpr const char* kKeysLine =
    "数字とEnter：分を入力　a～z：種別　Space：種別消去　"
    "Delete：セル消去　右クリック：次の種別";
enum Button { kOk = 0, kCancel = 1, kTime = 2, kColor = 3, kType = 4 };

struct ButtonDesign {
  const char* Caption;
  int Left;
};
constexpr std::array<ButtonDesign, 5> kButtons{
    {{"OK", 7200}, {"Cancel", 7920}, {"Time", 4980}, {"Color", 5700}, {"Type", 6420}}};

}  // namespace

frmDataEdit::frmDataEdit(EditorContext& context, QWidget* parent)
    : EditorDialog(parent), ctx_(context) {
  setObjectName("frmDataEdit");
  setWindowTitle(QStringLiteral("時刻データ編集"));
  setFont(GothicFont(9));
  FixClientSizeTwips(this, 8685, kGridBottom + kKeysLineHeight);

  txtTitle_ = new QLineEdit(this);
  txtTitle_->setObjectName("txtTitle");
  PlaceTwips(txtTitle_, 0, 0, 3735, 300);
  MakeNameBox(txtTitle_, kTitleMaxChars);
  txtTitle_->installEventFilter(this);

  for (int i : {kTime, kColor, kType, kOk, kCancel}) {
    auto* button = new QPushButton(QString::fromUtf8(kButtons[i].Caption), this);
    button->setObjectName(QStringLiteral("cmdAct_%1").arg(i));
    button->setStyleSheet(QStringLiteral("QPushButton { padding: 0px; }"));
    PlaceTwips(button, kButtons[i].Left, 0, 735, 300);
    connect(button, &QPushButton::clicked, this, [this, i] { cmdAct_Click(i); });
    cmdAct_[i] = button;
  }

  FGrid_ = new FlexGrid(this);
  FGrid_->setObjectName("FGrid");
  PlaceTwips(FGrid_, 0, 300, 8685, kGridBottom - 300);

  auto* keys = new QLabel(QString::fromUtf8(kKeysLine), this);
  keys->setObjectName("lblKeys");
  keys->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  PlaceTwips(keys, 0, kGridBottom, 8685, kKeysLineHeight);
  connect(
      FGrid_, &FlexGrid::MouseDown, this,
      [this](Qt::MouseButton button, Qt::KeyboardModifiers, QPoint) { FGrid_MouseDown(button); });
  connect(FGrid_, &FlexGrid::DblClick, this, [this] {
    txtInput_->OpenOverCurrentCell(FGrid_->TextMatrix(FGrid_->Row(), FGrid_->Col()), 2);
  });
  connect(FGrid_, &FlexGrid::KeyPress, this, [this](int& key) { FGrid_KeyPress(key); });
  connect(FGrid_, &FlexGrid::KeyDown, this,
          [this](int& key, Qt::KeyboardModifiers) { FGrid_KeyDown(key); });

  txtInput_ = new CellEditor(FGrid_, this);
  txtInput_->setAlignment(Qt::AlignRight);
  MakeTwoDigitBox(txtInput_);
  connect(txtInput_, &CellEditor::Stored, this, [this](int row, int col) { StoreInput(row, col); });

  NoDefaultButtons(this);
  Form_Load();
}

void frmDataEdit::Form_Load() {
  FGrid_->SetRows(kRowCount);
  FGrid_->SetCols(kSlotCount);
  FGrid_->SetFixedRows(0);
  FGrid_->SetFixedCols(1);
  FGrid_->SetAllColWidths(kColWidth);
  for (int c = 0; c < kSlotCount; ++c) FGrid_->SetColAlignment(c, flexAlignRightCenter);

  ctx_.WorkRecord = ctx_.Store.Records[ctx_.EditIndex];
  const auto& work = ctx_.WorkRecord;
  FGrid_->SetForeColor(work.GridColors.BaseForeColor);
  FGrid_->SetBackColor(work.GridColors.BaseBackColor);
  SetBoxText(txtTitle_, QString::fromStdString(work.Title));

  FGrid_->SetRedraw(false);
  WriteTexts(TextsOf(work));
  RestyleCells();
  FGrid_->SetRedraw(true);
  CentreOnScreen(this);
  FGrid_->SetCurrentCell(0, 1);
}

void frmDataEdit::CellStyleSet(std::uint8_t typeLetter) {
  CellStyleAt(FGrid_->Row(), FGrid_->Col(), typeLetter);
}

void frmDataEdit::CellStyleAt(int row, int col, std::uint8_t typeLetter) {
  const auto& work = ctx_.WorkRecord;
  if (typeLetter < 'a' || typeLetter > 'z') {
    FGrid_->SetCellFontBoldAt(row, col, false);
    FGrid_->SetCellFontItalicAt(row, col, false);
    FGrid_->SetCellForeColorAt(row, col, 0);
    FGrid_->SetCellBackColorAt(row, col, work.GridColors.BaseBackColor);
    FGrid_->SetCellAlignmentAt(row, col, flexAlignRightCenter);
    return;
  }
  const TypeEntry& type = work.Types[typeLetter - 'a'];
  FGrid_->SetCellFontBoldAt(row, col, type.Bold);
  FGrid_->SetCellFontItalicAt(row, col, type.Italic);
  FGrid_->SetCellAlignmentAt(
      row, col, type.Bold && type.Italic ? flexAlignCenterCenter : flexAlignRightCenter);
  FGrid_->SetCellForeColorAt(row, col, type.ForeColor);
  FGrid_->SetCellBackColorAt(row, col, type.BackColor);
}

void frmDataEdit::GridStyleRefresh() {
  // Drawing stays off while the cells are restyled, so the grid is painted once at the end.
  FGrid_->SetRedraw(false);
  RestyleCells();
  FGrid_->SetRedraw(true);
}

// Every minute cell gets the look of the letter it carries now: a departure typed since the
// window opened as well as one read from the file, and a cell left without a letter the grid's
// own colours. The current cell stays where the user put it.
void frmDataEdit::RestyleCells() {
  const auto& work = ctx_.WorkRecord;
  for (int r = 0; r < kRowCount; ++r)
    for (int s = 1; s < kSlotCount; ++s) CellStyleAt(r, s, work.Departures[r][s].TypeLetter);
}

std::uint8_t& frmDataEdit::CurrentLetter() {
  return ctx_.WorkRecord.Departures[FGrid_->Row()][FGrid_->Col()].TypeLetter;
}

void frmDataEdit::FGrid_MouseDown(Qt::MouseButton button) {
  if (button != Qt::RightButton) return;
  // The current cell, not the one under the pointer.
  std::uint8_t& letter = CurrentLetter();
  letter = NextTypeLetter(letter);
  CellStyleSet(letter);
}

void frmDataEdit::FGrid_KeyPress(int& keyAscii) {
  if (keyAscii == '\r') {
    keyAscii = 0;
    txtInput_->OpenOverCurrentCell(FGrid_->TextMatrix(FGrid_->Row(), FGrid_->Col()), 2);
  } else if (keyAscii >= '0' && keyAscii <= '9') {
    const QString digit{QChar(keyAscii)};
    keyAscii = 0;
    txtInput_->OpenOverCurrentCell(digit, 0);
  } else if (const std::uint8_t letter = TypeLetterOfKey(static_cast<char32_t>(keyAscii))) {
    keyAscii = 0;
    CurrentLetter() = letter;
    CellStyleSet(letter);
  } else if (keyAscii == ' ') {
    keyAscii = 0;
    CurrentLetter() = 0;
    CellStyleSet(0);
  }
}

void frmDataEdit::FGrid_KeyDown(int& keyCode) {
  if (keyCode != Qt::Key_Delete) return;
  keyCode = 0;
  FGrid_->SetTextMatrix(FGrid_->Row(), FGrid_->Col(), QString());
  CurrentLetter() = 0;
  CellStyleSet(0);
}

void frmDataEdit::StoreInput(int row, int col) {
  FGrid_->SetTextMatrix(row, col, txtInput_->text());
  GridStyleRefresh();
}

bool frmDataEdit::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtTitle_ && event->type() == QEvent::FocusIn) {
    txtTitle_->setSelection(0, kTitleMaxChars);
  }
  return EditorDialog::eventFilter(watched, event);
}

GridTexts frmDataEdit::ReadTexts() const {
  GridTexts texts;
  for (int r = 0; r < kRowCount; ++r)
    for (int s = 0; s < kSlotCount; ++s) texts[r][s] = FGrid_->TextMatrix(r, s).toStdString();
  return texts;
}

void frmDataEdit::WriteTexts(const GridTexts& texts) {
  for (int r = 0; r < kRowCount; ++r)
    for (int s = 0; s < kSlotCount; ++s)
      FGrid_->SetTextMatrix(r, s, QString::fromStdString(texts[r][s]));
}

void frmDataEdit::cmdAct_Click(int index) {
  // A click on a button has already stored the typing by taking the focus; this covers a
  // button that never takes it, so that no action ever sees the grid without the typing.
  txtInput_->Commit();
  switch (index) {
    case kOk: {
      const GridTexts texts = ReadTexts();
      if (const auto error = CheckDepartureTexts(texts)) {
        // The cursor stands on the offending cell, in view and visible once the box is gone.
        FGrid_->SetCurrentCell(error->Row, error->Col);
        FGrid_->EnsureVisible(error->Row, error->Col);
        FGrid_->setFocus(Qt::OtherFocusReason);
        ShowMessage(this, error->Message, kInputErrorCaption, MsgIcon::Critical);
        return;
      }
      ctx_.Store.Records[ctx_.EditIndex] =
          CommitEdit(ctx_.WorkRecord, txtTitle_->text().toStdString(), texts);
      CloseWithOk();
      break;
    }
    case kCancel:
      CloseWithCancel();
      break;
    case kTime: {
      auto* dialog = new frmTime(ctx_, this);
      connect(dialog, &QDialog::finished, this, [this] { AfterTime(); });
      dialog->ShowModal();
      break;
    }
    case kColor: {
      auto* dialog = new frmGridColor(ctx_, this);
      connect(dialog, &QDialog::finished, this, [this] { AfterColor(); });
      dialog->ShowModal();
      break;
    }
    case kType: {
      auto* dialog = new frmSetType(ctx_, this);
      connect(dialog, &QDialog::finished, this, [this] { GridStyleRefresh(); });
      dialog->ShowModal();
      break;
    }
    default:
      break;
  }
}

void frmDataEdit::AfterTime() {
  // Also after Cancel: rows without an hour never keep minutes on screen.
  GridTexts texts = ReadTexts();
  ApplyHours(texts, ctx_.WorkRecord);
  FGrid_->SetRedraw(false);
  WriteTexts(texts);
  RestyleCells();
  FGrid_->SetRedraw(true);
}

void frmDataEdit::AfterColor() {
  FGrid_->SetRedraw(false);
  FGrid_->SetForeColor(ctx_.WorkRecord.GridColors.BaseForeColor);
  FGrid_->SetBackColor(ctx_.WorkRecord.GridColors.BaseBackColor);
  RestyleCells();
  FGrid_->SetRedraw(true);
}

}  // namespace v42
