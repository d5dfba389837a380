#include "CellEditor.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include "FlexGrid.h"
#include "TextBoxRules.h"

namespace v42 {

CellEditor::CellEditor(FlexGrid* grid, QWidget* parent) : QLineEdit(parent), grid_(grid) {
  setObjectName("txtInput");
  hide();
  connect(grid_, &FlexGrid::Scroll, this, [this] { Drop(); });
}

void CellEditor::OpenOverCurrentCell(const QString& text, int selectLength) {
  grid_->EnsureVisible(grid_->Row(), grid_->Col());
  const QRect cell = grid_->CellRect(grid_->Row(), grid_->Col());
  clear();
  setGeometry(grid_->x() + cell.x(), grid_->y() + cell.y(), cell.width(), cell.height());
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

void CellEditor::Drop() {
  if (!isVisible()) return;
  const bool hadFocus = hasFocus();
  hide();
  if (hadFocus) grid_->setFocus(Qt::OtherFocusReason);
}

void CellEditor::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      hide();
      emit Stored();
      grid_->setFocus(Qt::OtherFocusReason);
      return;
    case Qt::Key_Escape:
      Drop();
      return;
    default:
      QLineEdit::keyPressEvent(event);
  }
}

void CellEditor::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // Switching to another program is no reason to drop the typing.
  if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
    hide();
}

}  // namespace v42
