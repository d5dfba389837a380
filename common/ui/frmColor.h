// The 48-colour palette popup. Callers use PickColor: the colour now set and the screen
// position (twips) in, the colour picked out; a cancel gives back the colour passed in.
#pragma once

#include <QDialog>
#include <array>
#include <optional>
#include <vector>

#include "Model.h"

namespace v42 {

class FlexGrid;

// Screen position of the popup's top-left corner in twips: [0] = Left, [1] = Top.
using ColorFormPos = std::array<int, 2>;

inline constexpr int kPaletteRows = 6;
inline constexpr int kPaletteCols = 8;
extern const std::array<std::array<Color, kPaletteCols>, kPaletteRows> kPalette;

Color PickColor(QWidget* parent, Color SelectColor, ColorFormPos pos);

// The test seam: while answers are queued, PickColor shows nothing, records its arguments and
// returns the next answer (std::nullopt = the user cancelled).
struct ColorPickCall {
  Color SelectColor = 0;
  ColorFormPos Pos{};
};
class ColorPickerSeam {
 public:
  static void QueueAnswer(std::optional<Color> picked);
  static const std::vector<ColorPickCall>& Calls();
  static void Reset();
};

class frmColor : public QDialog {
  Q_OBJECT

 public:
  frmColor(Color SelectColor, ColorFormPos pos, QWidget* parent = nullptr);

  Color SelectColor() const { return selectColor_; }
  FlexGrid* Grid() const { return FGridColor_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Form_Load();
  void FGridColor_DblClick();
  void FGridColor_KeyPress(int& keyAscii);

  Color selectColor_;
  ColorFormPos pos_;
  FlexGrid* FGridColor_ = nullptr;
};

}  // namespace v42
