#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "DataFormat.h"
#include "NumberRules.h"
#include "TextCodec.h"

namespace v42 {
namespace {

TEST(TextCodec, Cp932BothWaysAndWhatItCannotHold) {
  // Half-width katakana take one byte; ① ～ \ ~ tell CP932 from plain Shift_JIS.
  const std::string bytes = "\x89\x77\xCA\xDE\x87\x40\x81\x60\x5C\x7E";
  EXPECT_EQ(Utf8ToCp932("駅ﾊﾞ①～\\~"), bytes);
  EXPECT_EQ(Cp932ToUtf8(bytes), "駅ﾊﾞ①～\\~");
  for (const std::string bad : {"\x80", "abc\xA0", "\xFD", "ok\x82"}) {
    EXPECT_FALSE(Cp932ToUtf8(bad).has_value()) << bad;
  }
  EXPECT_TRUE(IsCp932Representable("ﾊﾞｽ停①〜"));  // 〜 is the same CP932 character as ～
  for (const std::string utf8 : {"€", "café", "😀", "한"}) {
    EXPECT_FALSE(IsCp932Representable(utf8)) << utf8;
    EXPECT_FALSE(Utf8ToCp932(utf8).has_value()) << utf8;
  }
  EXPECT_EQ(FirstUnrepresentable("駅café€"), "é");
}

// The first and last byte of the half-width katakana, and the first and last character of every
// lead-byte range with the trail bytes' edges (0x40, 0x7E, 0x80, 0xFC); the bytes just outside
// each edge are refused. What reads also writes back to the same bytes, except the NEC-selected
// IBM extensions, which are written in their IBM form as Windows writes them.
TEST(TextCodec, Cp932DecodingAtTheEdgesOfEveryRange) {
  const struct {
    std::string bytes;
    std::optional<std::string> utf8;
    std::string writtenBack = {};  // when it differs from `bytes`
  } cases[] = {
      {"\x7F", "\x7F"},
      {"\xA0", std::nullopt},
      {"\xA1", "｡"},
      {"\xDF", "ﾟ"},
      {"\xE0", std::nullopt},  // a lead byte alone
      {"\xFE", std::nullopt},
      {"\xFF", std::nullopt},
      {"\x81\x40", "　"},  // JIS X 0208, first lead byte range 0x81..0x9F
      {"\x81\x3F", std::nullopt},
      {"\x81\x7E", "×"},
      {"\x81\x7F", std::nullopt},
      {"\x81\x80", "÷"},
      {"\x81\xFC", "◯"},
      {"\x81\xFD", std::nullopt},
      {"\x9F\x40", "檗"},
      {"\x9F\xFC", "滌"},
      {"\xE0\x40", "漾"},  // second range 0xE0..0xEF
      {"\xEA\xA4", "熙"},  // the last JIS X 0208 character
      {"\xEA\xA5", std::nullopt},
      {"\x87\x40", "①"},               // NEC row 13
      {"\xED\x40", "纊", "\xFA\x5C"},  // NEC-selected IBM extensions 0xED..0xEE
      {"\xEE\xFC", "＂", "\xFA\x57"},
      {"\xEF\x40", std::nullopt},
      {"\xF0\x40", "\uE000"},  // user-defined 0xF0..0xF9, the private use area
      {"\xF9\xFC", "\uE757"},
      {"\xFA\x40", "ⅰ"},  // IBM extensions 0xFA..0xFC
      {"\xFC\x4B", "黑"},
      {"\xFC\x4C", std::nullopt},
  };
  for (const auto& c : cases) {
    // Neighbours that are no trail byte: a lead byte alone cannot borrow one.
    const std::string text = "<" + c.bytes + ">";
    SCOPED_TRACE(testing::PrintToString(text));
    const std::optional<std::string> read = Cp932ToUtf8(text);
    EXPECT_EQ(read, c.utf8 ? std::optional("<" + *c.utf8 + ">") : std::nullopt);
    if (read) {
      EXPECT_EQ(Utf8ToCp932(*read), "<" + (c.writtenBack.empty() ? c.bytes : c.writtenBack) + ">");
    }
  }
}

TEST(NumberRules, LeadingNumberSkipsBlanksAndStopsAtTheFirstOtherCharacter) {
  const struct {
    const char* token;
    double value;
  } cases[] = {{"10a", 10}, {"1 2", 12},    {"-7", -7},   {"+3.5x", 3.5}, {"abc", 0},
               {"-", 0},    {"1.2.3", 1.2}, {"12e3", 12}, {"&H10", 0},    {"\t9\n", 9}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(LeadingNumber(c.token), c.value) << c.token;
}

TEST(NumberRules, HalvesRoundToTheEvenNeighbour) {
  const struct {
    double in;
    double out;
  } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-1.5, -2}, {2.6, 3}, {-2.6, -3}, {254.5, 254}};
  for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
}

TEST(NumberRules, ColourRuleAndItsFallbacks) {
  const struct {
    const char* token;
    Color fallback;
    std::optional<Color> color;
  } cases[] = {
      {"", kBlack, kBlack},
      {"0", kWhite, kWhite},
      {"65793", kWhite, 65793},
      {"0.4", kBlack, kBlack},  // rounds to 0, which would mean "no colour"
      {"-1", kBlack, -1},
      {"-2147483648", kBlack, -2147483647 - 1},
      {"2147483648", kBlack, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ColorValue(c.token, c.fallback), c.color) << c.token;
}

TEST(DataFormat, CellTokens) {
  using Cell = DepartureCell;
  const struct {
    const char* token;
    std::optional<Cell> cell;
  } cases[] = {
      {"10a", Cell{10, 'a'}}, {"7B", Cell{7, 0}},    {"", Cell{0, 0}},     {"255", Cell{255, 0}},
      {"10ｱ", Cell{10, 0}},   {"256", std::nullopt}, {"-1", std::nullopt}, {"10ａ", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseCell(c.token), c.cell) << c.token;
}

}  // namespace
}  // namespace v42
