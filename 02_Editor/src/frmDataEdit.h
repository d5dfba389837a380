// The departure editor: title, the hour-by-minute grid and the type of each departure of one
// timetable. Works on the context's WorkRecord; only OK copies it back into the store.
#pragma once

#include <array>
#include <cstdint>

#include "DepartureGrid.h"
#include "EditorContext.h"
#include "EditorDialog.h"

class QLineEdit;
class QPushButton;

namespace v42 {

class CellEditor;
class FlexGrid;

class frmDataEdit : public EditorDialog {
  Q_OBJECT

 public:
  frmDataEdit(EditorContext& context, QWidget* parent);

  FlexGrid* Grid() const { return FGrid_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Form_Load();
  void CellStyleSet(std::uint8_t typeLetter);
  void CellStyleAt(int row, int col, std::uint8_t typeLetter);
  void GridStyleRefresh();
  void RestyleCells();
  void FGrid_MouseDown(Qt::MouseButton button);
  void FGrid_KeyPress(int& keyAscii);
  void FGrid_KeyDown(int& keyCode);
  void StoreInput(int row, int col);
  void cmdAct_Click(int index);
  void AfterTime();
  void AfterColor();
  std::uint8_t& CurrentLetter();

  GridTexts ReadTexts() const;
  void WriteTexts(const GridTexts& texts);

  EditorContext& ctx_;
  QLineEdit* txtTitle_ = nullptr;
  FlexGrid* FGrid_ = nullptr;
  CellEditor* txtInput_ = nullptr;
  std::array<QPushButton*, 5> cmdAct_{};
};

}  // namespace v42
