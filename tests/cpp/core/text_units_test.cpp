#include "core/text_units.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kotori::core {
namespace {

// A unit as the tests write it: characters, offset, type.
struct Unit {
  std::u32string chars;
  std::uint32_t offset;
  CharType type;
  friend bool operator==(const Unit&, const Unit&) = default;
};

void PrintTo(const Unit& u, std::ostream* os) {
  *os << "{";
  for (char32_t c : u.chars) *os << "U+" << std::hex << static_cast<std::uint32_t>(c) << " ";
  *os << std::dec << "@" << u.offset << " 0x" << std::hex << static_cast<int>(u.type) << "}";
}

std::vector<Unit> units(std::string_view text) {
  std::vector<Unit> out;
  for (const TextUnit& u : text_units(text)) {
    EXPECT_EQ(u.reserved, 0u);
    EXPECT_EQ(u.length, u.second == 0 ? 1 : 2);
    std::u32string chars(1, u.first);
    if (u.second != 0) chars.push_back(u.second);
    out.push_back({chars, u.source_offset, u.type});
  }
  return out;
}

constexpr auto H = CharType::Hiragana;
constexpr auto K = CharType::Katakana;
constexpr auto J = CharType::Kanji;
constexpr auto N = CharType::KanjiNumeral;

struct UnitsCase {
  std::string_view name;
  std::string_view text;
  std::vector<Unit> expected;
};

const UnitsCase kUnitsCases[] = {
    {"empty", "", {}},
    {"small kana joins", "きゃ", {{U"きゃ", 0, H}}},
    {"katakana joins", "キョウ", {{U"キョ", 0, K}, {U"ウ", 6, K}}},
    {"small kana at start", "ゃき", {{U"ゃ", 0, H}, {U"き", 3, H}}},
    {"small after small", "ぁぃ", {{U"ぁ", 0, H}, {U"ぃ", 3, H}}},
    {"sokuon not joining", "きっ", {{U"き", 0, H}, {U"っ", 3, H}}},
    {"sokuon takes small", "っゃ", {{U"っゃ", 0, H}}},
    {"vu joins", "ヴァ", {{U"ヴァ", 0, K}}},
    {"ゔ outside joining range", "ゔぁ", {{U"ゔ", 0, H}, {U"ぁ", 3, H}}},
    {"ヷ outside joining range", "ヷァ", {{U"ヷ", 0, K}, {U"ァ", 3, K}}},
    {"kanji before small", "日ゃ", {{U"日", 0, J}, {U"ゃ", 3, H}}},
    {"mixed scripts", "a猫", {{U"a", 0, CharType::Latin}, {U"猫", 1, J}}},
    {"place value after numeral", "三百", {{U"三", 0, N}, {U"百", 3, N}}},
    {"place value alone", "百", {{U"百", 0, J}}},
    {"chain left to right", "三百万", {{U"三", 0, N}, {U"百", 3, N}, {U"万", 6, N}}},
    {"place value before numeral", "十二", {{U"十", 0, N}, {U"二", 3, N}}},
    {"chain right to left", "千百五", {{U"千", 0, N}, {U"百", 3, N}, {U"五", 6, N}}},
    {"no numeral in chain", "百万人", {{U"百", 0, J}, {U"万", 3, J}, {U"人", 6, J}}},
    {"other kanji stops the chain", "三人百", {{U"三", 0, N}, {U"人", 3, J}, {U"百", 6, J}}},
    {"arabic digits do not promote", "3百", {{U"3", 0, CharType::Digit}, {U"百", 1, J}}},
    {"malformed byte is one unit", "\xff" "あ",
     {{U"\uFFFD", 0, CharType::Symbol}, {U"あ", 1, H}}},
    {"truncated sequence", "\xe3\x81", {{U"\uFFFD", 0, CharType::Symbol},
                                        {U"\uFFFD", 1, CharType::Symbol}}},
};

TEST(TextUnits, CutsTextIntoReadingPositions) {
  for (const auto& tc : kUnitsCases) EXPECT_EQ(units(tc.text), tc.expected) << tc.name;
}

TEST(TextUnits, ReusesTheCallersBufferAfterClearingIt) {
  std::vector<TextUnit> out(5);
  text_units("あ", out);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].first, U'あ');
}

TEST(TextUnits, JoiningSmallKanaAreExactlyTheEighteen) {
  const std::u32string joining = U"ぁぃぅぇぉゃゅょゎァィゥェォャュョヮ";
  for (char32_t c = 0x3040; c <= 0x30FF; ++c) {
    EXPECT_EQ(is_joining_small_kana(c), joining.find(c) != std::u32string::npos)
        << std::hex << static_cast<std::uint32_t>(c);
  }
  for (char32_t c : std::u32string_view(U"十百千万億兆")) {
    EXPECT_TRUE(is_place_value_kanji(c));
  }
  EXPECT_FALSE(is_place_value_kanji(U'一'));
}

}  // namespace
}  // namespace kotori::core
