// The editor's windows in the Japanese font fontconfig gives this run and at its scale factor
// (ctest runs the binary once per font and scale): no text is cut by its box.
#include <QMenuBar>

#include "EditorFixture.h"
#include "TextFit.h"
#include "frmGridColor.h"
#include "frmGtfsImport.h"
#include "frmSetType.h"
#include "frmTime.h"

namespace v42::test {
namespace {

class EditorLayout : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    if (!InTheExpectedFont()) GTEST_SKIP() << "the font of this run is not installed here";
  }
  template <class T>
  void ExpectWholeDialog(int button) {
    T* dialog = OpenDialog<T>(button);
    ExpectWhole(dialog);
    if (dialog != nullptr) dialog->reject();
  }
};

TEST_F(EditorLayout, TheListTheDepartureEditorAndItsDialogsShowEveryTextWhole) {
  TimetableRecord record =
      Timetable("平日ダイヤ", 5, {{{0, 'a'}, {30}}, {{15}, {45, 'b'}}, {{0}, {59}}});
  record.Types[0] = {"快速急行", 0x0000FF, 0xFFFFC0, true, true};
  Open({record, Timetable("土休日", 6, {{{10}}})});
  ExpectWhole(window_.get());
  ASSERT_NE(Edit(0), nullptr);
  ExpectWhole(editor_);
  ExpectWholeDialog<frmTime>(2);
  ExpectWholeDialog<frmGridColor>(3);
  ExpectWholeDialog<frmSetType>(4);
  editor_->close();

  auto* import = window_->menuBar()->findChild<QAction*>("menuFileImport");
  ASSERT_NE(import, nullptr);
  import->trigger();
  auto* dialog = OpenWindow<frmGtfsImport>(window_.get());
  ExpectWhole(dialog);
  if (dialog != nullptr) dialog->reject();
}

}  // namespace
}  // namespace v42::test
