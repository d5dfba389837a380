// The converter's window in the Japanese font fontconfig gives this run and at its scale
// factor (ctest runs the binary once per font and scale): no text is cut by its box.
#include <QTemporaryDir>
#include <QTest>

#include "TextFit.h"
#include "frmV42Converter.h"

namespace v42 {
namespace {

TEST(ConverterLayout, TheWindowShowsEveryTextWhole) {
  if (!test::InTheExpectedFont()) GTEST_SKIP() << "the font of this run is not installed here";
  QTemporaryDir folder;
  frmV42Converter window{folder.path().toStdString()};
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  test::ExpectWhole(&window);
}

}  // namespace
}  // namespace v42
