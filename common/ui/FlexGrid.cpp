#include "FlexGrid.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>

#include "OleColor.h"
#include "Twips.h"

namespace v42 {

namespace {
// Header cells and the area beyond the last cell, as the grids have always looked.
constexpr Color kFixedBack = 0xC0C0C0;
constexpr Color kFixedFore = 0x010101;
constexpr Color kOutsideBack = 0x808080;
constexpr Color kGridLine = 0xC0C0C0;
constexpr Color kFixedLine = 0x808080;

bool LooksNumeric(const QString& text) {
  bool ok = false;
  text.trimmed().toDouble(&ok);
  return ok;
}
}  // namespace

FlexGrid::FlexGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  viewport()->setAutoFillBackground(false);
  Resize(2, 2);
}

FlexGrid::~FlexGrid() = default;

// --- size -----------------------------------------------------------------------------------

void FlexGrid::Resize(int rows, int cols) {
  rows = std::max(rows, 0);
  cols = std::max(cols, 0);
  std::vector<Cell> cells(static_cast<size_t>(rows) * cols);
  for (int r = 0; r < std::min(rows, rows_); ++r) {
    for (int c = 0; c < std::min(cols, cols_); ++c) {
      if (static_cast<size_t>(r) * cols_ + c < cells_.size()) {
        cells[static_cast<size_t>(r) * cols + c] =
            std::move(cells_[static_cast<size_t>(r) * cols_ + c]);
      }
    }
  }
  cells_ = std::move(cells);
  colWidth_.resize(cols, kDefaultColWidth);
  colAlign_.resize(cols, flexAlignGeneral);
  rowHeight_.resize(rows, defaultRowHeight_);
  rows_ = rows;
  cols_ = cols;
  fixedRows_ = std::min(fixedRows_, rows_);
  fixedCols_ = std::min(fixedCols_, cols_);
  KeepCurrentInside();
  LayoutChanged();
}

int FlexGrid::Rows() const { return rows_; }
void FlexGrid::SetRows(int rows) { Resize(rows, cols_); }
int FlexGrid::Cols() const { return cols_; }
void FlexGrid::SetCols(int cols) { Resize(rows_, cols); }
int FlexGrid::FixedRows() const { return fixedRows_; }
void FlexGrid::SetFixedRows(int rows) {
  fixedRows_ = std::clamp(rows, 0, rows_);
  KeepCurrentInside();
  LayoutChanged();
}
int FlexGrid::FixedCols() const { return fixedCols_; }
void FlexGrid::SetFixedCols(int cols) {
  fixedCols_ = std::clamp(cols, 0, cols_);
  KeepCurrentInside();
  LayoutChanged();
}

void FlexGrid::KeepCurrentInside() {
  const int oldRow = row_, oldCol = col_;
  row_ = std::clamp(row_, std::min(fixedRows_, std::max(rows_ - 1, 0)), std::max(rows_ - 1, 0));
  col_ = std::clamp(col_, std::min(fixedCols_, std::max(cols_ - 1, 0)), std::max(cols_ - 1, 0));
  if (row_ != oldRow || col_ != oldCol) emit RowColChange();
}

int FlexGrid::ColWidth(int col) const { return col >= 0 && col < cols_ ? colWidth_[col] : 0; }
void FlexGrid::SetColWidth(int col, int twips) {
  if (col < 0 || col >= cols_) return;
  colWidth_[col] = std::max(twips, 0);
  LayoutChanged();
}
void FlexGrid::SetAllColWidths(int twips) {
  std::fill(colWidth_.begin(), colWidth_.end(), std::max(twips, 0));
  LayoutChanged();
}
int FlexGrid::RowHeight(int row) const { return row >= 0 && row < rows_ ? rowHeight_[row] : 0; }
void FlexGrid::SetRowHeight(int row, int twips) {
  if (row < 0 || row >= rows_) return;
  rowHeight_[row] = std::max(twips, 0);
  LayoutChanged();
}
void FlexGrid::SetAllRowHeights(int twips) {
  defaultRowHeight_ = std::max(twips, 0);
  std::fill(rowHeight_.begin(), rowHeight_.end(), defaultRowHeight_);
  LayoutChanged();
}

int FlexGrid::ColAlignment(int col) const {
  return col >= 0 && col < cols_ ? colAlign_[col] : flexAlignGeneral;
}
void FlexGrid::SetColAlignment(int col, int align) {
  if (col < 0 || col >= cols_) return;
  colAlign_[col] = align;
  viewport()->update();
}

// --- text -----------------------------------------------------------------------------------

FlexGrid::Cell* FlexGrid::At(int row, int col) {
  if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return nullptr;
  return &cells_[static_cast<size_t>(row) * cols_ + col];
}
const FlexGrid::Cell* FlexGrid::At(int row, int col) const {
  return const_cast<FlexGrid*>(this)->At(row, col);
}

QString FlexGrid::TextMatrix(int row, int col) const {
  const Cell* cell = At(row, col);
  return cell ? cell->Text : QString();
}
void FlexGrid::SetTextMatrix(int row, int col, const QString& text) {
  if (Cell* cell = At(row, col); cell && cell->Text != text) {
    cell->Text = text;
    CellChanged(row, col);
  }
}
void FlexGrid::Clear() {
  for (Cell& cell : cells_) cell.Text.clear();
  viewport()->update();
}

// --- current cell ---------------------------------------------------------------------------

int FlexGrid::Row() const { return row_; }
void FlexGrid::SetRow(int row) { SetCurrentCell(row, col_); }
int FlexGrid::Col() const { return col_; }
void FlexGrid::SetCol(int col) { SetCurrentCell(row_, col); }

void FlexGrid::SetCurrentCell(int row, int col) {
  const int oldRow = row_, oldCol = col_;
  row_ = row;
  col_ = col;
  KeepCurrentInside();
  if (row_ != oldRow || col_ != oldCol) {
    CellChanged(oldRow, oldCol);
    CellChanged(row_, col_);
    emit RowColChange();
  }
}

void FlexGrid::MoveCurrent(int row, int col) {
  SetCurrentCell(row, col);
  EnsureVisible(row_, col_);
}

// --- styles ---------------------------------------------------------------------------------

Color FlexGrid::CellForeColor() const { return CellForeColorAt(row_, col_); }
void FlexGrid::SetCellForeColor(Color color) { SetCellForeColorAt(row_, col_, color); }
Color FlexGrid::CellBackColor() const { return CellBackColorAt(row_, col_); }
void FlexGrid::SetCellBackColor(Color color) { SetCellBackColorAt(row_, col_, color); }
bool FlexGrid::CellFontBold() const { return CellFontBoldAt(row_, col_); }
void FlexGrid::SetCellFontBold(bool bold) { SetCellFontBoldAt(row_, col_, bold); }
bool FlexGrid::CellFontItalic() const { return CellFontItalicAt(row_, col_); }
void FlexGrid::SetCellFontItalic(bool italic) { SetCellFontItalicAt(row_, col_, italic); }
int FlexGrid::CellAlignment() const { return CellAlignmentAt(row_, col_); }
void FlexGrid::SetCellAlignment(int align) { SetCellAlignmentAt(row_, col_, align); }

Color FlexGrid::CellForeColorAt(int row, int col) const {
  const Cell* cell = At(row, col);
  return cell ? cell->Fore : 0;
}
void FlexGrid::SetCellForeColorAt(int row, int col, Color color) {
  if (Cell* cell = At(row, col); cell && cell->Fore != color) {
    cell->Fore = color;
    CellChanged(row, col);
  }
}
Color FlexGrid::CellBackColorAt(int row, int col) const {
  const Cell* cell = At(row, col);
  return cell ? cell->Back : 0;
}
void FlexGrid::SetCellBackColorAt(int row, int col, Color color) {
  if (Cell* cell = At(row, col); cell && cell->Back != color) {
    cell->Back = color;
    CellChanged(row, col);
  }
}
bool FlexGrid::CellFontBoldAt(int row, int col) const {
  const Cell* cell = At(row, col);
  return cell && cell->Bold;
}
void FlexGrid::SetCellFontBoldAt(int row, int col, bool bold) {
  if (Cell* cell = At(row, col); cell && cell->Bold != bold) {
    cell->Bold = bold;
    CellChanged(row, col);
  }
}
bool FlexGrid::CellFontItalicAt(int row, int col) const {
  const Cell* cell = At(row, col);
  return cell && cell->Italic;
}
void FlexGrid::SetCellFontItalicAt(int row, int col, bool italic) {
  if (Cell* cell = At(row, col); cell && cell->Italic != italic) {
    cell->Italic = italic;
    CellChanged(row, col);
  }
}
bool FlexGrid::CellFontStrikeAt(int row, int col) const {
  const Cell* cell = At(row, col);
  return cell && cell->Strike;
}
void FlexGrid::SetCellFontStrikeAt(int row, int col, bool strike) {
  if (Cell* cell = At(row, col); cell && cell->Strike != strike) {
    cell->Strike = strike;
    CellChanged(row, col);
  }
}
int FlexGrid::CellAlignmentAt(int row, int col) const {
  const Cell* cell = At(row, col);
  return cell ? cell->Align : -1;
}
void FlexGrid::SetCellAlignmentAt(int row, int col, int align) {
  if (Cell* cell = At(row, col); cell && cell->Align != align) {
    cell->Align = align;
    CellChanged(row, col);
  }
}

QColor FlexGrid::ShownForeColor(int row, int col) const {
  const Color own = CellForeColorAt(row, col);
  if (own != 0) return ToQColor(own);
  const bool fixed = row < fixedRows_ || col < fixedCols_;
  return ToQColor(fixed ? kFixedFore : foreColor_);
}
QColor FlexGrid::ShownBackColor(int row, int col) const {
  const Color own = CellBackColorAt(row, col);
  if (own != 0) return ToQColor(own);
  const bool fixed = row < fixedRows_ || col < fixedCols_;
  return ToQColor(fixed ? kFixedBack : backColor_);
}

Color FlexGrid::ForeColor() const { return foreColor_; }
void FlexGrid::SetForeColor(Color color) {
  foreColor_ = color;
  viewport()->update();
}
Color FlexGrid::BackColor() const { return backColor_; }
void FlexGrid::SetBackColor(Color color) {
  backColor_ = color;
  viewport()->update();
}

bool FlexGrid::Redraw() const { return redraw_; }
void FlexGrid::SetRedraw(bool on) {
  if (redraw_ == on) return;
  redraw_ = on;
  // Updates stay queued while off; switching back on paints everything once.
  viewport()->setUpdatesEnabled(on);
  if (on) viewport()->update();
}

void FlexGrid::SetScrollBarsShown(bool shown) {
  scrollBarsShown_ = shown;
  const auto policy = shown ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
  setHorizontalScrollBarPolicy(policy);
  setVerticalScrollBarPolicy(policy);
  UpdateScrollBars();
}

// --- geometry -------------------------------------------------------------------------------

int FlexGrid::ColPx(int col) const { return TwipsToPixelsX(colWidth_[col]); }
int FlexGrid::RowPx(int row) const { return TwipsToPixelsY(rowHeight_[row]); }
int FlexGrid::TopRow() const { return fixedRows_ + verticalScrollBar()->value(); }
int FlexGrid::LeftCol() const { return fixedCols_ + horizontalScrollBar()->value(); }

// Viewport x of a column's left edge; INT_MIN when it lies scrolled out to the left.
int FlexGrid::ColX(int col) const {
  int x = 0;
  for (int c = 0; c < std::min(col, fixedCols_); ++c) x += ColPx(c);
  if (col < fixedCols_) return x;
  if (col < LeftCol()) return INT_MIN;
  for (int c = LeftCol(); c < col; ++c) x += ColPx(c);
  return x;
}
int FlexGrid::RowY(int row) const {
  int y = 0;
  for (int r = 0; r < std::min(row, fixedRows_); ++r) y += RowPx(r);
  if (row < fixedRows_) return y;
  if (row < TopRow()) return INT_MIN;
  for (int r = TopRow(); r < row; ++r) y += RowPx(r);
  return y;
}

QRect FlexGrid::CellRect(int row, int col) const {
  if (!At(row, col)) return {};
  const int x = ColX(col), y = RowY(row);
  if (x == INT_MIN || y == INT_MIN) return {};
  return QRect(x, y, ColPx(col), RowPx(row)).translated(viewport()->pos());
}

int FlexGrid::CellLeft() const { return PixelsToTwipsX(CellRect(row_, col_).left()); }
int FlexGrid::CellTop() const { return PixelsToTwipsY(CellRect(row_, col_).top()); }
int FlexGrid::CellWidth() const { return ColWidth(col_); }
int FlexGrid::CellHeight() const { return RowHeight(row_); }

QPoint FlexGrid::CellAt(const QPoint& widgetPos) const {
  const QPoint p = widgetPos - viewport()->pos();
  if (!viewport()->rect().contains(p)) return {-1, -1};
  int row = -1, col = -1;
  for (int r = 0; r < rows_ && row < 0; ++r) {
    const int y = RowY(r);
    if (y != INT_MIN && p.y() >= y && p.y() < y + RowPx(r)) row = r;
  }
  for (int c = 0; c < cols_ && col < 0; ++c) {
    const int x = ColX(c);
    if (x != INT_MIN && p.x() >= x && p.x() < x + ColPx(c)) col = c;
  }
  if (row < 0 || col < 0) return {-1, -1};
  return {col, row};
}

int FlexGrid::MouseRow() const { return mouseRow_; }
int FlexGrid::MouseCol() const { return mouseCol_; }

int FlexGrid::ContentWidth() const {
  int w = 0;
  for (int c = 0; c < cols_; ++c) w += ColPx(c);
  return w;
}
int FlexGrid::ContentHeight() const {
  int h = 0;
  for (int r = 0; r < rows_; ++r) h += RowPx(r);
  return h;
}

// Scrolling goes by whole cells: the bars count the rows and columns that may scroll away.
void FlexGrid::UpdateScrollBars() {
  auto scrollMax = [](int count, int fixed, int room, auto size) {
    int fixedSize = 0;
    for (int i = 0; i < fixed; ++i) fixedSize += size(i);
    int free = room - fixedSize, fit = 0;
    for (int i = count - 1; i >= fixed && free >= size(i); --i, ++fit) free -= size(i);
    return std::max(0, count - fixed - fit);
  };
  const QSize room = viewport()->size();
  verticalScrollBar()->setRange(
      0, scrollMax(rows_, fixedRows_, room.height(), [this](int r) { return RowPx(r); }));
  horizontalScrollBar()->setRange(
      0, scrollMax(cols_, fixedCols_, room.width(), [this](int c) { return ColPx(c); }));
  verticalScrollBar()->setPageStep(std::max(1, rows_ / 4));
  horizontalScrollBar()->setPageStep(std::max(1, cols_ / 4));
}

void FlexGrid::EnsureVisible(int row, int col) {
  auto bring = [](QScrollBar* bar, int index, int fixed, int room, auto size) {
    if (index < fixed) return;
    int first = fixed + bar->value();
    if (index < first) {
      bar->setValue(index - fixed);
      return;
    }
    int fixedSize = 0;
    for (int i = 0; i < fixed; ++i) fixedSize += size(i);
    auto fits = [&](int from) {
      int used = fixedSize;
      for (int i = from; i <= index; ++i) used += size(i);
      return used <= room;
    };
    while (first < index && !fits(first)) ++first;
    bar->setValue(std::min(first - fixed, bar->maximum()));
  };
  const QSize room = viewport()->size();
  bring(verticalScrollBar(), row, fixedRows_, room.height(), [this](int r) { return RowPx(r); });
  bring(horizontalScrollBar(), col, fixedCols_, room.width(), [this](int c) { return ColPx(c); });
}

QSize FlexGrid::sizeHint() const {
  const int frame = 2 * frameWidth();
  return {std::min(ContentWidth(), 800) + frame, std::min(ContentHeight(), 600) + frame};
}

int FlexGrid::PaintCount() const { return paintCount_; }

void FlexGrid::CellChanged(int row, int col) {
  if (!redraw_ || !isVisible()) return;
  const QRect rect = CellRect(row, col);
  if (!rect.isEmpty()) viewport()->update(rect.translated(-viewport()->pos()));
}

void FlexGrid::LayoutChanged() {
  UpdateScrollBars();
  viewport()->update();
}

// --- drawing --------------------------------------------------------------------------------

Qt::Alignment FlexGrid::QtAlignment(const Cell& cell, int col) const {
  const int align = cell.Align >= 0 ? cell.Align : colAlign_[col];
  if (align == flexAlignGeneral || align < 0 || align > 8) {
    return Qt::AlignVCenter | (LooksNumeric(cell.Text) ? Qt::AlignRight : Qt::AlignLeft);
  }
  static constexpr Qt::Alignment kHorizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
  static constexpr Qt::Alignment kVertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
  return kHorizontal[align / 3] | kVertical[align % 3];
}

void FlexGrid::paintEvent(QPaintEvent*) {
  ++paintCount_;
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), ToQColor(kOutsideBack));
  const QFont base = font();
  for (int r = 0; r < rows_; ++r) {
    const int y = RowY(r);
    if (y == INT_MIN) continue;
    if (y > viewport()->height()) break;
    for (int c = 0; c < cols_; ++c) {
      const int x = ColX(c);
      if (x == INT_MIN) continue;
      if (x > viewport()->width()) break;
      const Cell& cell = *At(r, c);
      const QRect rect(x, y, ColPx(c), RowPx(r));
      if (rect.isEmpty()) continue;
      const bool fixed = r < fixedRows_ || c < fixedCols_;
      painter.fillRect(rect, ShownBackColor(r, c));
      painter.setPen(ToQColor(fixed ? kFixedLine : kGridLine));
      painter.drawLine(rect.topRight(), rect.bottomRight());
      painter.drawLine(rect.bottomLeft(), rect.bottomRight());
      if (!cell.Text.isEmpty()) {
        QFont f = base;
        f.setBold(cell.Bold);
        f.setItalic(cell.Italic);
        f.setStrikeOut(cell.Strike);
        painter.setFont(f);
        painter.setPen(ShownForeColor(r, c));
        painter.drawText(rect.adjusted(2, 0, -3, -1), QtAlignment(cell, c) | Qt::TextSingleLine,
                         cell.Text);
      }
      if (r == row_ && c == col_ && hasFocus()) {
        // The cursor stays visible on any cell colour: dark on light cells, light on dark.
        const QColor back = ShownBackColor(r, c);
        QPen pen(back.lightness() > 110 ? Qt::black : Qt::white, 2);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect).adjusted(1.5, 1.5, -2.5, -2.5));
      }
    }
  }
}

// --- input ----------------------------------------------------------------------------------

void FlexGrid::mousePressEvent(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  const QPoint cell = CellAt(event->position().toPoint());
  mouseRow_ = cell.y();
  mouseCol_ = cell.x();
  if (event->button() == Qt::LeftButton && mouseRow_ >= fixedRows_ && mouseCol_ >= fixedCols_) {
    MoveCurrent(mouseRow_, mouseCol_);
  }
  emit MouseDown(event->button(), event->modifiers(), event->position().toPoint());
  event->accept();
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit Click();
  event->accept();
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    mousePressEvent(event);  // a fast second press of another button is still a press
    return;
  }
  const QPoint cell = CellAt(event->position().toPoint());
  mouseRow_ = cell.y();
  mouseCol_ = cell.x();
  // A double-click on a header or beyond the cells picks nothing: the current cell would be
  // some other cell, and acting on it would surprise the user.
  if (mouseRow_ >= fixedRows_ && mouseCol_ >= fixedCols_) {
    MoveCurrent(mouseRow_, mouseCol_);
    emit DblClick();
  }
  event->accept();
}

void FlexGrid::keyPressEvent(QKeyEvent* event) {
  int key = event->key();
  emit KeyDown(key, event->modifiers());
  if (key == 0) {
    event->accept();
    return;
  }
  const int pageRows = std::max(
      1, viewport()->height() / std::max(1, TwipsToPixelsY(defaultRowHeight_)) - fixedRows_);
  const int firstRow = std::min(fixedRows_, rows_ - 1), firstCol = std::min(fixedCols_, cols_ - 1);
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  switch (key) {
    case Qt::Key_Up:
      MoveCurrent(std::max(row_ - 1, firstRow), col_);
      event->accept();
      return;
    case Qt::Key_Down:
      MoveCurrent(std::min(row_ + 1, rows_ - 1), col_);
      event->accept();
      return;
    case Qt::Key_Left:
      MoveCurrent(row_, std::max(col_ - 1, firstCol));
      event->accept();
      return;
    case Qt::Key_Right:
      MoveCurrent(row_, std::min(col_ + 1, cols_ - 1));
      event->accept();
      return;
    case Qt::Key_Home:
      MoveCurrent(ctrl ? firstRow : row_, firstCol);
      event->accept();
      return;
    case Qt::Key_End:
      MoveCurrent(ctrl ? rows_ - 1 : row_, cols_ - 1);
      event->accept();
      return;
    case Qt::Key_PageUp:
      MoveCurrent(std::max(row_ - pageRows, firstRow), col_);
      event->accept();
      return;
    case Qt::Key_PageDown:
      MoveCurrent(std::min(row_ + pageRows, rows_ - 1), col_);
      event->accept();
      return;
    default:
      break;
  }
  const QString text = event->text();
  bool passOn = false;
  for (const char32_t ch : text.toUcs4()) {
    int code = static_cast<int>(ch);
    const bool typed = code >= 32 ? code != 127 : (code == 8 || code == 13 || code == 27);
    if (!typed) continue;
    emit KeyPress(code);
    // An Esc nobody swallowed belongs to the window (a dialog closes on it).
    if (code == 27) passOn = true;
  }
  if (passOn || text.isEmpty()) {
    event->ignore();
  } else {
    event->accept();
  }
}

void FlexGrid::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  CellChanged(row_, col_);
}
void FlexGrid::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  CellChanged(row_, col_);
}

void FlexGrid::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void FlexGrid::scrollContentsBy(int, int) {
  viewport()->update();
  emit Scroll();
}

}  // namespace v42
