#include "core/char_type.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>

#include "core/char_type_table.h"

namespace kotori::core {
namespace {

struct CharTypeCase {
  char32_t c;
  CharType expected;
};

constexpr CharTypeCase kCharTypeCases[] = {
    // White_Space comes first: the ideographic space and NBSP are blanks, not symbols.
    {U' ', CharType::Whitespace},
    {U'\t', CharType::Whitespace},
    {0x85, CharType::Whitespace},
    {0xA0, CharType::Whitespace},
    {0x2028, CharType::Whitespace},
    {0x3000, CharType::Whitespace},
    {0xAD, CharType::Invisible},
    {0x200B, CharType::Invisible},
    {0x2064, CharType::Invisible},
    {0xFEFF, CharType::Invisible},
    {0x2065, CharType::Other},
    {U'0', CharType::Digit},
    {U'５', CharType::Digit},
    {U'٣', CharType::Other},  // a decimal digit outside ASCII and fullwidth
    {0xE000, CharType::Opening},
    {0xE001, CharType::Closing},
    {0xE002, CharType::Opening},
    {0xE003, CharType::Other},
    {U'"', CharType::Closing},
    {U'\'', CharType::Closing},
    {U')', CharType::Closing},
    {U'」', CharType::Closing},
    {U'（', CharType::Opening},
    {U'(', CharType::Opening},
    {U'[', CharType::Symbol},
    {U']', CharType::Symbol},
    {U'#', CharType::Symbol},
    {U'→', CharType::Symbol},
    {U'。', CharType::SentenceEnd},
    {U'？', CharType::SentenceEnd},
    {U'、', CharType::Comma},
    {U'・', CharType::Comma},
    {U'゛', CharType::Symbol},
    {U'゠', CharType::Symbol},
    {0xFFFD, CharType::Symbol},
    {0x1F600, CharType::Other},  // a symbol above the BMP is never in the table
    {U'ぁ', CharType::Hiragana},
    {U'ゝ', CharType::Hiragana},
    {U'ゟ', CharType::Hiragana},
    {U'ア', CharType::Katakana},
    {U'ー', CharType::Katakana},
    {U'ヾ', CharType::Katakana},
    {0xFF71, CharType::Other},  // halfwidth katakana
    {U'〇', CharType::KanjiNumeral},
    {U'一', CharType::KanjiNumeral},
    {U'九', CharType::KanjiNumeral},
    {U'十', CharType::Kanji},
    {U'百', CharType::Kanji},
    {U'万', CharType::Kanji},
    {U'々', CharType::Kanji},
    {U'〻', CharType::Kanji},
    {0x3400, CharType::Kanji},
    {0x9FFF, CharType::Kanji},
    {0x20000, CharType::Kanji},
    {0x2EE5F, CharType::Kanji},
    {0x2EE60, CharType::Other},
    {0x323AF, CharType::Kanji},
    {0x323B0, CharType::Other},
    {0xF900, CharType::Other},  // compatibility ideographs are folded before classification
    {U'A', CharType::Latin},
    {U'z', CharType::Latin},
    {U'Ｗ', CharType::Latin},
    {U'ｚ', CharType::Latin},
    {U'é', CharType::Other},
    {0x10FFFF, CharType::Other},
    {0x110000, CharType::Other},
};

TEST(CharType, ClassifiesByFirstMatchingRule) {
  for (const auto& tc : kCharTypeCases) {
    EXPECT_EQ(char_type(tc.c), tc.expected) << std::hex << "U+" << static_cast<std::uint32_t>(tc.c);
  }
}

TEST(CharType, PunctuationTableIsSortedWithOneDigitPerCode) {
  const auto& codes = tables::kPunctuationCodes;
  ASSERT_EQ(codes.size(), 4474u);
  ASSERT_EQ(tables::kPunctuationClasses.size(), codes.size());
  EXPECT_TRUE(std::adjacent_find(codes.begin(), codes.end(), std::greater_equal<>()) ==
              codes.end());
  std::map<char, int> per_class;
  for (char d : tables::kPunctuationClasses) ++per_class[d];
  const std::map<char, int> expected{{'0', 4443}, {'1', 12}, {'2', 10}, {'3', 6}, {'4', 3}};
  EXPECT_EQ(per_class, expected);
}

// Every table entry is reachable: no earlier rule shadows it, so counting the classes that
// char_type gives over the whole BMP finds exactly the table's counts.
TEST(CharType, EveryTableEntryIsReachable) {
  std::map<CharType, int> per_class;
  for (char32_t c = 0; c <= 0xFFFF; ++c) ++per_class[char_type(c)];
  EXPECT_EQ(per_class[CharType::Symbol], 4443);
  EXPECT_EQ(per_class[CharType::Closing], 12 + 1);  // + the placeholder U+E001
  EXPECT_EQ(per_class[CharType::Opening], 10 + 2);  // + U+E000, U+E002
  EXPECT_EQ(per_class[CharType::SentenceEnd], 6);
  EXPECT_EQ(per_class[CharType::Comma], 3);
  EXPECT_EQ(per_class[CharType::Reserved20], 0);
}

TEST(CharType, ValidCodesAreExactlyTheFifteen) {
  constexpr std::array<std::uint8_t, 15> kValid = {0x00, 0x10, 0x11, 0x20, 0x30,
                                                   0x31, 0x32, 0x33, 0x34, 0x40,
                                                   0x41, 0x42, 0x43, 0x50, 0xFF};
  for (int code = 0; code < 256; ++code) {
    const bool listed = std::find(kValid.begin(), kValid.end(), code) != kValid.end();
    EXPECT_EQ(is_valid_char_type(static_cast<std::uint8_t>(code)), listed) << code;
  }
}

}  // namespace
}  // namespace kotori::core
