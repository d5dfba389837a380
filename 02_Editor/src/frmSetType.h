// The service type editor: name, colours and style of the 26 types of the timetable being
// edited. The grid holds the edits until OK writes them into the WorkRecord.
#pragma once

#include <cstdint>

#include "EditorContext.h"
#include "EditorDialog.h"

namespace v42 {

class CellEditor;
class FlexGrid;

class frmSetType : public EditorDialog {
  Q_OBJECT

 public:
  frmSetType(EditorContext& context, QWidget* parent);

  FlexGrid* Grid() const { return FGrid_; }

 protected:
  void ConfirmRequested() override { cmdAct_Click(0); }

 private:
  void Form_Load();
  void TypeStyleSet(int row, int style);
  void FGrid_DblClick();
  void PickCellColor(int row, int col);
  void cmdAct_Click(int index);

  EditorContext& ctx_;
  FlexGrid* FGrid_ = nullptr;
  CellEditor* txtInput_ = nullptr;
};

}  // namespace v42
