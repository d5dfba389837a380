// The in-place editor laid over one grid cell: Enter stores, Esc, a scroll of the grid or a
// loss of focus drop what was typed. Only Enter ever changes the cell.
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
  // Hides the box, dropping the text, and gives the grid the focus back.
  void Drop();

 signals:
  // Enter was pressed; the box has been hidden, its text is still in text().
  void Stored();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  FlexGrid* grid_;
};

}  // namespace v42
