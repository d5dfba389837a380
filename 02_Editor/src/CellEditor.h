// The in-place editor laid over one grid cell. What was typed goes into the cell whenever the
// box gives up its place (Enter, a click elsewhere, Tab, a scroll of the grid, the window
// losing the focus); only Esc throws it away.
#pragma once

#include <QLineEdit>

namespace v42 {

class FlexGrid;

class CellEditor : public QLineEdit {
  Q_OBJECT

 public:
  CellEditor(FlexGrid* grid, QWidget* parent);

  // Shows the box over the grid's current cell with the text; selectLength > 0 selects that
  // many characters from the start, otherwise the caret stands after the text.
  void OpenOverCurrentCell(const QString& text, int selectLength);
  // Stores what the box holds into its cell and hides it; nothing when it is not open.
  void Commit();
  bool IsOpen() const { return open_; }

  // Like a spreadsheet: Enter, Tab, Shift+Tab and the arrow keys store the typing, close the
  // box and are reported by Moved, for the window to move the grid's current cell. Off, Enter
  // only stores and the arrows move the caret.
  void SetMovesOn(bool on) { moves_ = on; }

 signals:
  // The box has been hidden; its text, still in text(), belongs into the cell (row, col) it
  // was opened over.
  void Stored(int row, int col);
  // After Stored, the key that closed the box (Qt::Key_Return, Key_Tab, Key_Backtab, an arrow).
  void Moved(int key);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void Close(bool store);

  FlexGrid* grid_;
  bool open_ = false;
  bool moves_ = false;
  int row_ = 0, col_ = 0;
};

}  // namespace v42
