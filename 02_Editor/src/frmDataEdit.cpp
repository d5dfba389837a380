#include "frmDataEdit.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
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
constexpr int kKeysLineHeight = 570;
// What the grid does with the keys and the mouse is not to be guessed.
constexpr const char* kKeysLine =
    "数字とEnter：分を入力　a～z：種別　Space：種別消去　"
    "Delete：セル消去　右クリック：次の種別\n"
    "Tab・矢印：確定して移動　Esc：入力取消　Ctrl+Z：元に戻す　Ctrl+Y：やり直し";
constexpr const char* kDiscardQuestion = "編集内容を破棄して閉じますか？";
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

  FGrid_->installEventFilter(this);
  connect(FGrid_, &FlexGrid::RowColChange, this, [this] { LeaveRow(); });

  txtInput_ = new CellEditor(FGrid_, this);
  txtInput_->setAlignment(Qt::AlignRight);
  txtInput_->SetMovesOn(true);
  MakeTwoDigitBox(txtInput_);
  connect(txtInput_, &CellEditor::Stored, this, [this](int row, int col) { StoreInput(row, col); });
  connect(txtInput_, &CellEditor::Moved, this, [this](int key) { MoveAfterInput(key); });

  // The text boxes take these keys for their own undo while they have the focus.
  auto* undo = new QAction(QStringLiteral("元に戻す"), this);
  undo->setObjectName("actUndo");
  undo->setShortcut(QKeySequence::Undo);
  connect(undo, &QAction::triggered, this, [this] { Undo(); });
  auto* redo = new QAction(QStringLiteral("やり直し"), this);
  redo->setObjectName("actRedo");
  redo->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  connect(redo, &QAction::triggered, this, [this] { Redo(); });
  addActions({undo, redo});

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
  rowShown_ = 0;
  // The grid, not the title, takes the first keys: a digit typed at once is a minute.
  FGrid_->setFocus(Qt::OtherFocusReason);
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
  // The cell under the pointer, which becomes the current one.
  const int row = FGrid_->MouseRow(), col = FGrid_->MouseCol();
  if (row < 0 || col < 1) return;
  FGrid_->SetCurrentCell(row, col);
  Change([this] {
    std::uint8_t& letter = CurrentLetter();
    letter = NextTypeLetter(letter);
    CellStyleSet(letter);
  });
}

bool frmDataEdit::HasHour(int row) const { return !FGrid_->TextMatrix(row, 0).isEmpty(); }

void frmDataEdit::FGrid_KeyPress(int& keyAscii) {
  keyAscii = static_cast<int>(AsciiDigit(static_cast<char32_t>(keyAscii)));
  const bool opens = keyAscii == '\r' || (keyAscii >= '0' && keyAscii <= '9');
  if (opens && !HasHour(FGrid_->Row())) {
    keyAscii = 0;
    ShowMessage(this, kSetHoursFirstMessage, kInputErrorCaption, MsgIcon::Information);
    return;
  }
  if (keyAscii == '\r') {
    keyAscii = 0;
    txtInput_->OpenOverCurrentCell(FGrid_->TextMatrix(FGrid_->Row(), FGrid_->Col()), 2);
  } else if (keyAscii >= '0' && keyAscii <= '9') {
    const QString digit{QChar(keyAscii)};
    keyAscii = 0;
    txtInput_->OpenOverCurrentCell(digit, 0);
  } else if (const std::uint8_t letter = TypeLetterOfKey(static_cast<char32_t>(keyAscii))) {
    keyAscii = 0;
    Change([this, letter] {
      CurrentLetter() = letter;
      CellStyleSet(letter);
    });
  } else if (keyAscii == ' ') {
    keyAscii = 0;
    Change([this] {
      CurrentLetter() = 0;
      CellStyleSet(0);
    });
  }
}

void frmDataEdit::FGrid_KeyDown(int& keyCode) {
  if (keyCode != Qt::Key_Delete) return;
  keyCode = 0;
  Change([this] {
    FGrid_->SetTextMatrix(FGrid_->Row(), FGrid_->Col(), QString());
    CurrentLetter() = 0;
    CellStyleSet(0);
  });
}

void frmDataEdit::StoreInput(int row, int col) {
  Change([&] { FGrid_->SetTextMatrix(row, col, txtInput_->text()); });
  GridStyleRefresh();
}

// Enter and Tab go on to the next cell, Shift+Tab back, the arrows their way; Tab leaves the
// grid only from its last cell, Shift+Tab only from its first.
void frmDataEdit::MoveAfterInput(int key) {
  const int row = FGrid_->Row(), col = FGrid_->Col();
  switch (key) {
    case Qt::Key_Up:
      MoveTo(std::max(row - 1, 0), col);
      return;
    case Qt::Key_Down:
      MoveTo(std::min(row + 1, kRowCount - 1), col);
      return;
    case Qt::Key_Left:
      MoveTo(row, std::max(col - 1, 1));
      return;
    case Qt::Key_Right:
      MoveTo(row, std::min(col + 1, kSlotCount - 1));
      return;
    default:
      break;
  }
  const bool back = key == Qt::Key_Backtab;
  if (const auto next = NextCell(row, col, back)) {
    MoveTo(next->Row, next->Col);
  } else if (key != Qt::Key_Return) {
    focusNextPrevChild(!back);
  }
}

void frmDataEdit::MoveTo(int row, int col) {
  FGrid_->SetCurrentCell(row, col);
  FGrid_->EnsureVisible(row, col);
}

// Leaving a row puts its minutes in order, so the clock finds its next departure.
void frmDataEdit::LeaveRow() {
  const int left = rowShown_;
  rowShown_ = FGrid_->Row();
  if (left == rowShown_) return;
  GridTexts texts = ReadTexts();
  TimetableRecord work = ctx_.WorkRecord;
  if (!SortRow(texts, work, left)) return;
  Change([&] {
    ctx_.WorkRecord = work;
    for (int s = 1; s < kSlotCount; ++s)
      FGrid_->SetTextMatrix(left, s, QString::fromStdString(texts[left][s]));
  });
  GridStyleRefresh();
}

GridState frmDataEdit::State() const {
  GridState state{ReadTexts(), ctx_.WorkRecord};
  // The record's values only matter once taken from the texts; this keeps them in step.
  TakeTexts(state.Work, state.Texts);
  return state;
}

template <class F>
void frmDataEdit::Change(F change) {
  const GridState before = State();
  change();
  if (!(State() == before)) history_.Record(before);
}

void frmDataEdit::Restore(const GridState& state) {
  ctx_.WorkRecord = state.Work;
  FGrid_->SetRedraw(false);
  WriteTexts(state.Texts);
  FGrid_->SetForeColor(state.Work.GridColors.BaseForeColor);
  FGrid_->SetBackColor(state.Work.GridColors.BaseBackColor);
  RestyleCells();
  FGrid_->SetRedraw(true);
}

void frmDataEdit::Undo() {
  txtInput_->Commit();
  if (const auto state = history_.Undo(State())) Restore(*state);
}

void frmDataEdit::Redo() {
  txtInput_->Commit();
  if (const auto state = history_.Redo(State())) Restore(*state);
}

void frmDataEdit::CancelRequested() {
  txtInput_->Commit();
  // Esc is also the key that drops a cell's typing; pressed once too often it must not throw
  // away the whole edit without a word.
  const bool changed = !(CommitEdit(ctx_.WorkRecord, txtTitle_->text().toStdString(),
                                    ReadTexts()) == ctx_.Store.Records[ctx_.EditIndex]);
  if (changed && ShowMessage(this, kDiscardQuestion, "時刻データ編集", MsgIcon::Question,
                             QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
    return;
  CloseWithCancel();
}

bool frmDataEdit::eventFilter(QObject* watched, QEvent* event) {
  // Tab does not select the title: a minute typed next would overwrite it by accident.
  if (watched == txtTitle_ && event->type() == QEvent::FocusIn) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
      // The box selects itself on Tab after this filter; the caret goes to the end after that.
      QMetaObject::invokeMethod(
          txtTitle_, [this] { txtTitle_->end(false); }, Qt::QueuedConnection);
    else
      txtTitle_->setSelection(0, kTitleMaxChars);
  }
  if (watched == FGrid_ && event->type() == QEvent::KeyPress) {
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    // Also while the window has not been made active again after one of its dialogs.
    const auto combo = keyEvent->keyCombination();
    if (keyEvent->matches(QKeySequence::Undo)) {
      Undo();
      return true;
    }
    if (combo == QKeyCombination(Qt::CTRL, Qt::Key_Y) ||
        combo == QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_Z)) {
      Redo();
      return true;
    }
    const int key = keyEvent->key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
      const bool back = key == Qt::Key_Backtab;
      const auto next = NextCell(FGrid_->Row(), FGrid_->Col(), back);
      if (!next) return false;  // the window moves the focus on
      MoveTo(next->Row, next->Col);
      return true;
    }
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
    case kTime:
      OpenDialog(new frmTime(ctx_, this), [this] { AfterTime(); });
      break;
    case kColor:
      OpenDialog(new frmGridColor(ctx_, this), [this] { AfterColor(); });
      break;
    case kType:
      OpenDialog(new frmSetType(ctx_, this), [this] { GridStyleRefresh(); });
      break;
    default:
      break;
  }
}

template <class F>
void frmDataEdit::OpenDialog(EditorDialog* dialog, F after) {
  // The dialogs work on the record, so it takes what has been typed since the window opened.
  beforeDialog_ = State();
  ctx_.WorkRecord = beforeDialog_->Work;
  connect(dialog, &QDialog::finished, this, [this, after] {
    after();
    if (beforeDialog_ && !(State() == *beforeDialog_)) history_.Record(*beforeDialog_);
    beforeDialog_.reset();
  });
  dialog->ShowModal();
}

void frmDataEdit::AfterTime() {
  // The rows have moved with their hours in the record; the grid shows them where they are now.
  FGrid_->SetRedraw(false);
  WriteTexts(TextsOf(ctx_.WorkRecord));
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
