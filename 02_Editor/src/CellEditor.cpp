#include "CellEditor.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include "FlexGrid.h"
#include "TextBoxRules.h"

namespace v42 {

CellEditor::CellEditor(FlexGrid* grid, QWidget* parent) : QLineEdit(parent), grid_(grid) {
  setObjectName("txtInput");
  hide();
  connect(grid_, &FlexGrid::Scroll, this, [this] { Commit(); });
}

void CellEditor::OpenOverCurrentCell(const QString& text, int selectLength) {
  grid_->EnsureVisible(grid_->Row(), grid_->Col());
  row_ = grid_->Row();
  col_ = grid_->Col();
  const QRect cell = grid_->CellRect(row_, col_);
  clear();
  setGeometry(grid_->x() + cell.x(), grid_->y() + cell.y(), cell.width(), cell.height());
  open_ = true;
  show();
  raise();
  SetBoxText(this, text);
  setFocus(Qt::OtherFocusReason);
  if (selectLength > 0) {
    setSelection(0, selectLength);
  } else {
    deselect();
    setCursorPosition(static_cast<int>(text.size()));
  }
}

void CellEditor::Commit() { Close(true); }

void CellEditor::Close(bool store) {
  // Hiding a focused box moves the focus and so comes back here; the flag ends that.
  if (!open_) return;
  open_ = false;
  const bool hadFocus = hasFocus();
  hide();
  if (store) emit Stored(row_, col_);
  // The grid takes the focus back, unless the user gave it to another widget of the window;
  // after a switch to another window it is where the focus returns.
  const QWidget* focus = window()->focusWidget();
  if (hadFocus || !focus || focus == this || !focus->isVisible())
    grid_->setFocus(Qt::OtherFocusReason);
}

bool CellEditor::event(QEvent* event) {
  // Tab would otherwise hand the focus to the next widget of the window before any key handler.
  if (moves_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
      Close(true);
      emit Moved(key);
      return true;
    }
  }
  return QLineEdit::event(event);
}

void CellEditor::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Close(true);
      if (moves_) emit Moved(Qt::Key_Return);
      return;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
      if (!moves_) break;
      Close(true);
      emit Moved(event->key());
      return;
    case Qt::Key_Escape:
      Close(false);
      return;
    default:
      break;
  }
  QLineEdit::keyPressEvent(event);
}

void CellEditor::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // The box's own context menu takes the focus only for a moment.
  if (event->reason() != Qt::PopupFocusReason) Close(true);
}

}  // namespace v42
