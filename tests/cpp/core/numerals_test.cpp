#include "core/numerals.h"

#include <gtest/gtest.h>

#include "common/utf8.h"

#include <string>
#include <vector>

namespace kotori::core {
namespace {

// One unit per character; the replacement looks only at the characters.
std::vector<TextUnit> units_of(std::u32string_view text) {
  std::vector<TextUnit> units;
  for (char32_t c : text) units.push_back(TextUnit{.first = c, .type = CharType::KanjiNumeral});
  return units;
}

// The replacements of every unit concatenated; "|" marks a unit with no replacement.
std::string rewrite(std::u32string_view text) {
  const auto units = units_of(text);
  std::string out;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const auto r = numeral_replacement(units, i);
    out += r ? std::string(*r) : std::string("|");
  }
  return out;
}

struct NumeralCase {
  std::u32string_view text;
  std::string_view expected;
};

// The place values write the zeros down to the next place within their group; 万億兆 close
// a group.
constexpr NumeralCase kNumeralCases[] = {
    {U"十", "10"},
    {U"十五", "15"},
    {U"五十", "50"},
    {U"五十五", "5|5"},
    {U"百", "100"},
    {U"三百", "300"},
    {U"百二十", "120"},
    {U"三百五", "305"},
    {U"百五", "105"},
    {U"千", "セン"},
    {U"三千", "3ゼン"},
    {U"二千", "2セン"},
    {U"二千五", "2005"},
    {U"千五百", "1500"},
    {U"二千五百", "2|500"},
    {U"三千百", "3|100"},
    {U"五万", "5マン"},
    {U"三百万", "300マン"},
    {U"五十万", "50マン"},
    {U"百二十万", "120マン"},
    {U"二千五百万", "2|500マン"},
    {U"三千万", "3ゼンマン"},
    {U"一億二千万", "1オク2センマン"},
    {U"二億", "2オク"},
    {U"一兆", "1チョー"},
    {U"〇一二三四五六七八九", "0123456789"},
    {U"千百十", "1110"},
    {U"九千九百九十九", "9|9|9|9"},
};

TEST(NumeralReplacement, RewritesRunsAsDigits) {
  for (const auto& c : kNumeralCases) {
    EXPECT_EQ(rewrite(c.text), c.expected) << utf8::from_u32(c.text);
  }
}

TEST(NumeralReplacement, OtherCharactersHaveNone) {
  const auto units = units_of(U"山");
  EXPECT_FALSE(numeral_replacement(units, 0).has_value());
  EXPECT_FALSE(numeral_replacement(units, 1).has_value());  // out of range: no read
}

TEST(IsDigitText, AcceptsOnlyAsciiAndFullwidthDigits) {
  const struct {
    std::string_view text;
    bool expected;
  } cases[] = {
      {"", false},        {"12", true},  {"１２", true}, {"1a", false},
      {"1２", true},      {"٣", false},  {"一", false},  {"\xff", false},
  };
  for (const auto& c : cases) EXPECT_EQ(is_digit_text(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace kotori::core
