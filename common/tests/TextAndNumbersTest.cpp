#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "DataFormat.h"
#include "NumberRules.h"
#include "TextCodec.h"

namespace v42 {
namespace {

TEST(TextCodec, RoundTripsJapaneseAndHalfWidthKatakana) {
  const std::string text = "駅前 ﾊﾞｽ停 ①～\\~";
  const auto cp932 = Utf8ToCp932(text);
  ASSERT_TRUE(cp932.has_value());
  // 駅 is 0x89 0x77 in CP932; half-width katakana take one byte each.
  EXPECT_EQ(cp932->substr(0, 2), "\x89\x77");
  EXPECT_EQ(cp932->size(), 17u);  // 駅前 4, blank 1, ﾊﾞｽ 3, 停 2, blank 1, ① 2, ～ 2, \ 1, ~ 1
  EXPECT_EQ(Cp932ToUtf8(*cp932), text);
}

TEST(TextCodec, RefusesWhatCp932CannotHold) {
  for (const std::string bytes : {"\x80", "abc\xA0", "\xFD", "ok\x82"}) {
    EXPECT_FALSE(Cp932ToUtf8(bytes).has_value()) << bytes;
  }
  EXPECT_TRUE(IsCp932Representable("もうすぐ来ます。ABC"));
  // The wave dash that input methods produce is the same CP932 character as the tilde.
  EXPECT_TRUE(IsCp932Representable("〜"));
  for (const std::string text : {"€", "café", "😀", "한"}) {
    EXPECT_FALSE(IsCp932Representable(text)) << text;
    EXPECT_FALSE(Utf8ToCp932(text).has_value()) << text;
  }
  EXPECT_EQ(FirstUnrepresentable("駅café€"), "é");
  EXPECT_EQ(FirstUnrepresentable("駅前"), "");
}

TEST(NumberRules, LeadingNumberSkipsBlanksAndStopsAtTheFirstOtherCharacter) {
  const struct {
    const char* token;
    double value;
  } cases[] = {
      {"10a", 10}, {"  42", 42}, {"1 2", 12},  {"-7", -7},     {"+3.5x", 3.5},
      {"", 0},     {"abc", 0},   {"-", 0},     {"1.2.3", 1.2}, {"12e3", 12},
      {"&H10", 0}, {"0x1F", 0},  {"\t9\n", 9}, {"5-3", 5},     {"65793", 65793},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(LeadingNumber(c.token), c.value) << c.token;
}

TEST(NumberRules, HalvesRoundToTheEvenNeighbour) {
  const struct {
    double in;
    double out;
  } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2},   {3.5, 4},     {-0.5, 0},   {-1.5, -2},
               {2.4, 2}, {2.6, 3}, {-2.6, -3}, {254.5, 254}, {255.5, 256}};
  for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
}

TEST(NumberRules, RangesOfTheIntegerKinds) {
  EXPECT_EQ(RoundToByte(255.4), 255);
  EXPECT_EQ(RoundToByte(-0.4), 0);
  EXPECT_EQ(RoundToByte(255.5), std::nullopt);
  EXPECT_EQ(RoundToByte(-1), std::nullopt);
  EXPECT_EQ(RoundToInt16(-32768), -32768);
  EXPECT_EQ(RoundToInt16(32767.5), std::nullopt);
  EXPECT_EQ(RoundToInt32(2147483647), 2147483647);
  EXPECT_EQ(RoundToInt32(-2147483648.0), -2147483647 - 1);
  EXPECT_EQ(RoundToInt32(2147483648.0), std::nullopt);
}

TEST(NumberRules, ColourRuleAndItsFallbacks) {
  const struct {
    const char* token;
    Color fallback;
    std::optional<Color> color;
  } cases[] = {
      {"0", kBlack, kBlack},
      {"", kBlack, kBlack},
      {"red", kBlack, kBlack},
      {"0", kWhite, kWhite},
      {"65793", kWhite, 65793},
      {"255", kBlack, 255},
      {"16744576", kBlack, 0xFF8080},
      {"0.4", kBlack, kBlack},  // rounds to 0, which would mean "no colour"
      {"-1", kBlack, -1},
      {"2147483648", kBlack, std::nullopt},
      {"99999999999", kWhite, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ColorValue(c.token, c.fallback), c.color) << c.token;
}

TEST(DataFormat, CellTokens) {
  const struct {
    const char* token;
    std::optional<DepartureCell> cell;
  } cases[] = {
      {"10a", DepartureCell{10, 'a'}}, {"40", DepartureCell{40, 0}},
      {"7B", DepartureCell{7, 0}},     {"5z", DepartureCell{5, 'z'}},
      {"", DepartureCell{0, 0}},       {"23 ", DepartureCell{23, 0}},
      {"255", DepartureCell{255, 0}},  {"10ｱ", DepartureCell{10, 0}},
      {"256", std::nullopt},           {"-1", std::nullopt},
      {"10快", std::nullopt},          {"10ａ", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseCell(c.token), c.cell) << c.token;
}

}  // namespace
}  // namespace v42
