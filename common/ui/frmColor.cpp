#include "frmColor.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <deque>

#include "FlexGrid.h"
#include "OleColor.h"
#include "Twips.h"

namespace v42 {

const std::array<std::array<Color, kPaletteCols>, kPaletteRows> kPalette{{
    {0xFFFFFF, 0xC0C0FF, 0xC0E0FF, 0xC0FFFF, 0xC0FFC0, 0xFFFFC0, 0xFFC0C0, 0xFFC0FF},
    {0xE0E0E0, 0x8080FF, 0x80C0FF, 0x80FFFF, 0x80FF80, 0xFFFF80, 0xFF8080, 0xFF80FF},
    {0xC0C0C0, 0x0000FF, 0x0080FF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFF0000, 0xFF00FF},
    {0x808080, 0x0000C0, 0x0040C0, 0x00C0C0, 0x00C000, 0xC0C000, 0xC00000, 0xC000C0},
    {0x404040, 0x000080, 0x004080, 0x008080, 0x008000, 0x808000, 0x800000, 0x800080},
    {0x010101, 0x000040, 0x404080, 0x004040, 0x004000, 0x404000, 0x400000, 0x400040},
}};

namespace {
constexpr int kColWidth = 240;
// Six rows fill the designed 1350 twips of the palette exactly.
constexpr int kRowHeight = 225;
constexpr Color kFormBack = 0xC0C0C0;

struct SeamState {
  std::deque<std::optional<Color>> Answers;
  std::vector<ColorPickCall> Calls;
};
SeamState& Seam() {
  static SeamState state;
  return state;
}
}  // namespace

Color PickColor(QWidget* parent, Color SelectColor, ColorFormPos pos) {
  SeamState& seam = Seam();
  if (!seam.Answers.empty()) {
    seam.Calls.push_back({SelectColor, pos});
    const std::optional<Color> answer = seam.Answers.front();
    seam.Answers.pop_front();
    return answer.value_or(SelectColor);
  }
  frmColor picker(SelectColor, pos, parent);
  picker.exec();
  return picker.SelectColor();
}

void ColorPickerSeam::QueueAnswer(std::optional<Color> picked) { Seam().Answers.push_back(picked); }
const std::vector<ColorPickCall>& ColorPickerSeam::Calls() { return Seam().Calls; }
void ColorPickerSeam::Reset() { Seam() = SeamState{}; }

frmColor::frmColor(Color SelectColor, ColorFormPos pos, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), selectColor_(SelectColor), pos_(pos) {
  setObjectName(QStringLiteral("frmColor"));
  setModal(true);
  QPalette look = palette();
  look.setColor(QPalette::Window, ToQColor(kFormBack));
  setPalette(look);
  setAutoFillBackground(true);

  FGridColor_ = new FlexGrid(this);
  FGridColor_->setObjectName(QStringLiteral("FGridColor"));
  FGridColor_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  FGridColor_->setLineWidth(1);
  FGridColor_->SetScrollBarsShown(false);
  connect(FGridColor_, &FlexGrid::DblClick, this, &frmColor::FGridColor_DblClick);
  // One click picks a colour; a double click has picked it on its first click.
  connect(FGridColor_, &FlexGrid::Click, this, [this] {
    if (FGridColor_->MouseRow() >= 0 && FGridColor_->MouseCol() >= 0 && isVisible())
      FGridColor_DblClick();
  });
  connect(FGridColor_, &FlexGrid::KeyPress, this, &frmColor::FGridColor_KeyPress);
  Form_Load();
}

void frmColor::Form_Load() {
  FlexGrid& grid = *FGridColor_;
  grid.SetRows(kPaletteRows);
  grid.SetCols(kPaletteCols);
  grid.SetFixedRows(0);
  grid.SetFixedCols(0);
  grid.SetAllColWidths(kColWidth);
  grid.SetAllRowHeights(kRowHeight);

  int foundRow = 0, foundCol = 0;
  for (int r = 0; r < kPaletteRows; ++r) {
    for (int c = 0; c < kPaletteCols; ++c) {
      grid.SetCellBackColorAt(r, c, kPalette[r][c]);
      if (grid.CellBackColorAt(r, c) == selectColor_) {
        foundRow = r;
        foundCol = c;
      }
    }
  }
  grid.SetCurrentCell(foundRow, foundCol);

  // The grid takes exactly its cells; the window shows a rim of its grey around it.
  const int frame = 2 * grid.frameWidth();
  const QSize gridSize(TwipsToPixelsX(kColWidth * kPaletteCols) + frame,
                       TwipsToPixelsY(kRowHeight * kPaletteRows) + frame);
  grid.setGeometry(QRect(QPoint(0, 0), gridSize));
  setFixedSize(gridSize + QSize(1, 1));

  // A position beyond the screen's edge would hide part of the palette: keep it all on screen.
  QPoint topLeft = TwipsPoint(pos_[0], pos_[1]);
  QScreen* screen = QGuiApplication::screenAt(topLeft);
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (screen) {
    const QRect area = screen->availableGeometry();
    topLeft.setX(
        std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() + 1 - width())));
    topLeft.setY(
        std::clamp(topLeft.y(), area.top(), std::max(area.top(), area.bottom() + 1 - height())));
  }
  move(topLeft);
}

void frmColor::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FGridColor_->setFocus(Qt::OtherFocusReason);
}

void frmColor::FGridColor_DblClick() {
  selectColor_ = FGridColor_->CellBackColor();
  accept();
}

void frmColor::FGridColor_KeyPress(int& keyAscii) {
  if (keyAscii == 13) {
    keyAscii = 0;
    FGridColor_DblClick();
  } else if (keyAscii == 27) {
    keyAscii = 0;
    reject();
  }
}

}  // namespace v42
