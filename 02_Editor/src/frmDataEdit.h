// The departure editor: title, the hour-by-minute grid and the type of each departure of one
// timetable. Works on the context's WorkRecord; only OK copies it back into the store.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "DepartureGrid.h"
#include "EditorContext.h"
#include "EditorDialog.h"
#include "UndoHistory.h"

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

  // 元に戻す (Ctrl+Z) and やり直し (Ctrl+Y) of the grid: typing, type letters, deletions, the
  // hour range, types and colours. The title box keeps its own.
  void Undo();
  void Redo();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void CancelRequested() override;

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
  void MoveAfterInput(int key);
  void MoveTo(int row, int col);
  void LeaveRow();
  bool HasHour(int row) const;
  GridState State() const;
  void Restore(const GridState& state);
  // Runs a change of the grid and keeps what it changed for undo.
  template <class F>
  void Change(F change);
  void cmdAct_Click(int index);
  template <class F>
  void OpenDialog(EditorDialog* dialog, F after);
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
  UndoHistory<GridState> history_;
  std::optional<GridState> beforeDialog_;  // while Time, Color or Type is open
  int rowShown_ = 0;                       // the row the current cell was in
};

}  // namespace v42
