// The grid of every table on screen: departures, legend, colour samples, palette, editors.
// Cells are addressed (row, column) from 0; sizes are in twips. Styling works on the current
// cell (Row, Col) or, for speed, on any cell by address. A cell colour of 0 means "no colour
// of its own": the grid's ForeColor / BackColor shows, which is why black is kept as 0x010101.
#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <vector>

#include "Model.h"

namespace v42 {

// Cell and column alignments, numbered as the programs store them.
enum FlexAlign : int {
  flexAlignLeftTop = 0,
  flexAlignLeftCenter = 1,
  flexAlignLeftBottom = 2,
  flexAlignCenterTop = 3,
  flexAlignCenterCenter = 4,
  flexAlignCenterBottom = 5,
  flexAlignRightTop = 6,
  flexAlignRightCenter = 7,
  flexAlignRightBottom = 8,
  flexAlignGeneral = 9,  // numbers right, other text left; vertically centred
};

// A new grid has 2 rows and 2 columns, the first of each fixed, as the control always had.
class FlexGrid : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit FlexGrid(QWidget* parent = nullptr);
  ~FlexGrid() override;

  // Size. Growing keeps the cells that stay; the current cell is kept inside the grid and out
  // of the fixed rows and columns.
  int Rows() const;
  void SetRows(int rows);
  int Cols() const;
  void SetCols(int cols);
  int FixedRows() const;
  void SetFixedRows(int rows);
  int FixedCols() const;
  void SetFixedCols(int cols);

  // Twips.
  int ColWidth(int col) const;
  void SetColWidth(int col, int twips);
  void SetAllColWidths(int twips);
  int RowHeight(int row) const;
  void SetRowHeight(int row, int twips);
  void SetAllRowHeights(int twips);  // also the height of rows added later
  static constexpr int kDefaultRowHeight = 240;
  static constexpr int kDefaultColWidth = 960;

  int ColAlignment(int col) const;
  void SetColAlignment(int col, int align);

  // Text of any cell; never moves the current cell.
  QString TextMatrix(int row, int col) const;
  void SetTextMatrix(int row, int col, const QString& text);
  void Clear();  // empties every cell's text; styles stay

  // The current cell. Fixed rows and columns are never current: a write into them moves the
  // current cell to the first non-fixed one.
  int Row() const;
  void SetRow(int row);
  int Col() const;
  void SetCol(int col);
  void SetCurrentCell(int row, int col);

  // Style of the current cell.
  Color CellForeColor() const;
  void SetCellForeColor(Color color);
  Color CellBackColor() const;
  void SetCellBackColor(Color color);
  bool CellFontBold() const;
  void SetCellFontBold(bool bold);
  bool CellFontItalic() const;
  void SetCellFontItalic(bool italic);
  int CellAlignment() const;  // -1 = the column's alignment
  void SetCellAlignment(int align);

  // The same by address, without moving the current cell.
  Color CellForeColorAt(int row, int col) const;
  void SetCellForeColorAt(int row, int col, Color color);
  Color CellBackColorAt(int row, int col) const;
  void SetCellBackColorAt(int row, int col, Color color);
  bool CellFontBoldAt(int row, int col) const;
  void SetCellFontBoldAt(int row, int col, bool bold);
  bool CellFontItalicAt(int row, int col) const;
  void SetCellFontItalicAt(int row, int col, bool italic);
  bool CellFontStrikeAt(int row, int col) const;  // struck through: a cancelled departure
  void SetCellFontStrikeAt(int row, int col, bool strike);
  int CellAlignmentAt(int row, int col) const;
  void SetCellAlignmentAt(int row, int col, int align);

  // What a cell shows: its own colour, or the grid's (fixed cells: the header colours).
  QColor ShownForeColor(int row, int col) const;
  QColor ShownBackColor(int row, int col) const;

  // The current cell's rectangle inside the grid's client area, in twips and in pixels
  // (relative to the grid widget, so a text box with the grid's parent adds Left / Top).
  int CellLeft() const;
  int CellTop() const;
  int CellWidth() const;
  int CellHeight() const;
  QRect CellRect(int row, int col) const;  // pixels, widget coordinates; empty when scrolled out

  // The grid's own colours.
  Color ForeColor() const;
  void SetForeColor(Color color);
  Color BackColor() const;
  void SetBackColor(Color color);

  // Bulk restyling: with Redraw off nothing is painted; turning it on paints once.
  // Hiding the grid (setVisible(false)) serves as well.
  bool Redraw() const;
  void SetRedraw(bool on);

  // Scroll bars appear when the cells do not fit (the default) or never.
  void SetScrollBarsShown(bool shown);

  // Where the mouse last went down: the cell under it, -1 outside the cells.
  int MouseRow() const;
  int MouseCol() const;
  // The cell at a point of the widget, or (-1, -1).
  QPoint CellAt(const QPoint& widgetPos) const;

  int TopRow() const;
  int LeftCol() const;
  void EnsureVisible(int row, int col);

  // How many times the cells have been painted; for tests of the bulk restyling.
  int PaintCount() const;

  QSize sizeHint() const override;

 signals:
  void Click();
  // The double-clicked cell has already become current. Not sent for a fixed cell.
  void DblClick();
  // A typed character (Unicode code point). Set keyAscii = 0 to swallow it.
  void KeyPress(int& keyAscii);
  // A key going down (a Qt::Key). Set keyCode = 0 to swallow it; the arrow keys, Home, End,
  // Page Up and Page Down otherwise move the current cell.
  void KeyDown(int& keyCode, Qt::KeyboardModifiers modifiers);
  // The left button makes the cell under the pointer current before this is sent; the other
  // buttons leave the current cell where it is.
  void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
  void Scroll();
  void RowColChange();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  struct Cell {
    QString Text;
    Color Fore = 0;
    Color Back = 0;
    bool Bold = false;
    bool Italic = false;
    bool Strike = false;
    int Align = -1;
  };

  Cell* At(int row, int col);
  const Cell* At(int row, int col) const;
  void Resize(int rows, int cols);
  void KeepCurrentInside();
  void MoveCurrent(int row, int col);  // clamps, scrolls into view, signals a change
  void CellChanged(int row, int col);
  void LayoutChanged();
  void UpdateScrollBars();
  int ColX(int col) const;  // pixel x of a column in content coordinates
  int RowY(int row) const;
  int ColPx(int col) const;
  int RowPx(int row) const;
  int ContentWidth() const;
  int ContentHeight() const;
  Qt::Alignment QtAlignment(const Cell& cell, int col) const;

  int rows_ = 2, cols_ = 2, fixedRows_ = 1, fixedCols_ = 1;
  int row_ = 1, col_ = 1;
  std::vector<Cell> cells_;
  std::vector<int> colWidth_, rowHeight_, colAlign_;
  int defaultRowHeight_ = kDefaultRowHeight;
  Color foreColor_ = 0x010101, backColor_ = 0xFFFFFF;
  bool redraw_ = true;
  bool scrollBarsShown_ = true;
  int mouseRow_ = -1, mouseCol_ = -1;
  int paintCount_ = 0;
};

}  // namespace v42
