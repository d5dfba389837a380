// The grid colour dialog: the six colours of the timetable being edited, with a preview of
// each text/background pair. The samples hold the colours until OK.
#pragma once

#include <array>

#include "EditorContext.h"
#include "EditorDialog.h"

class QLabel;

namespace v42 {

class FlexGrid;

class frmGridColor : public EditorDialog {
  Q_OBJECT

 public:
  frmGridColor(EditorContext& context, QWidget* parent);

 protected:
  void ConfirmRequested() override { cmdAct_Click(0); }

 private:
  void Form_Load();
  void FGridColor_DblClick(int index);
  void SetSample(int index, Color color);
  void cmdAct_Click(int index);

  EditorContext& ctx_;
  std::array<QWidget*, 3> Frame_{};
  std::array<FlexGrid*, 6> FGridColor_{};
  std::array<QLabel*, 3> lblPrev_{};
};

// The six colours in the order of the samples.
std::array<Color, 6> ColorsOf(const GridColorSet& set);
void SetColors(GridColorSet& set, const std::array<Color, 6>& colors);

}  // namespace v42
