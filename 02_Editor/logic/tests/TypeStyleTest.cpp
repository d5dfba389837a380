#include <gtest/gtest.h>

#include "TypeStyle.h"

namespace v42 {
namespace {

TEST(TypeStyle, MarksAndNumbersAgree) {
  for (int style = 0; style < 4; ++style) {
    const FontStyle font = StyleOfNumber(style);
    EXPECT_EQ(StyleNumber(font.Bold, font.Italic), style);
    EXPECT_EQ(StyleOfMark(StyleMark(style)), font);
  }
  EXPECT_EQ(StyleOfMark("x"), (FontStyle{true, true}));  // an unknown mark counts as both
  EXPECT_STREQ(StyleMark(7), "");
}

}  // namespace
}  // namespace v42
