#include "braille/width.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/utf8.h"

namespace kotori::braille {
namespace {

struct WidthCase {
  std::string input;
  std::u32string chars;
  std::vector<std::uint8_t> counts;
};

class WidthTest : public ::testing::TestWithParam<WidthCase> {};

TEST_P(WidthTest, NormalisesAndCounts) {
  const WidthNormalized out = normalize_width(GetParam().input);
  EXPECT_EQ(out.chars, GetParam().chars);
  EXPECT_EQ(out.counts, GetParam().counts);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WidthTest,
    ::testing::Values(WidthCase{"ｶﾞ", U"ガ", {2}}, WidthCase{"ﾊﾟﾝ", U"パン", {2, 1}},
                      // No precomposed ｱﾞ: the mark stands alone as the spacing mark.
                      WidthCase{"ｱﾞ", U"ア\u309B", {1, 1}}, WidthCase{"ﾞ", U"\u309B", {1}},
                      WidthCase{"ﾟ", U"\u309C", {1}}, WidthCase{"ｰ", U"ー", {1}},
                      WidthCase{"｡", U"。", {1}}, WidthCase{"｢ｧｯ｣", U"「ァッ」", {1, 1, 1, 1}},
                      WidthCase{"ｦﾞｳﾞﾜﾞ", U"ヺヴヷ", {2, 2, 2}},
                      WidthCase{"ＡＢ１ｚ０", U"AB1z0", {1, 1, 1, 1, 1}},
                      WidthCase{"！？（　", U"！？（　", {1, 1, 1, 1}},
                      WidthCase{"ガ", U"ガ", {1}},
                      // Only the half-width marks compose; the combining mark stays as it is.
                      WidthCase{"ｶ\u3099", U"カ\u3099", {1, 1}},
                      // A mark after something it does not compose with is mapped on its own.
                      WidthCase{"aﾞﾟ", U"a\u309B\u309C", {1, 1, 1}},
                      WidthCase{"ﾊﾟﾟ", U"パ\u309C", {2, 1}}, WidthCase{"", U"", {}}),
    [](const ::testing::TestParamInfo<WidthCase>& info) { return std::to_string(info.index); });

// Every half-width code point maps to one character, and the 28 composing pairs are exactly
// those whose base and mark compose into a single character.
TEST(WidthTable, CoversTheHalfWidthBlock) {
  std::size_t composed = 0;
  for (char32_t base = 0xFF61; base <= 0xFF9F; ++base) {
    const WidthNormalized single = normalize_width(utf8::encode(base));
    ASSERT_EQ(single.chars.size(), 1u);
    EXPECT_GE(single.chars[0], 0x3000u);
    EXPECT_LE(single.chars[0], 0x30FFu);
    for (char32_t mark : {U'\xFF9E', U'\xFF9F'}) {
      const WidthNormalized pair = normalize_width(utf8::encode(base) + utf8::encode(mark));
      if (pair.chars.size() == 1) {
        ++composed;
        EXPECT_EQ(pair.counts, std::vector<std::uint8_t>{2});
      }
    }
  }
  EXPECT_EQ(composed, 28u);
}

}  // namespace
}  // namespace kotori::braille
