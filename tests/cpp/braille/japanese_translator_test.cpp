#include "braille/japanese_translator.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/utf8.h"
#include "japanese_fixture.h"

namespace kotori::braille {
namespace {

struct LineCase {
  std::string line;
  std::string braille;
  std::vector<std::size_t> text_to_braille;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.line; }

class Grade1Test : public ::testing::TestWithParam<LineCase> {};

TEST_P(Grade1Test, CellsAndIndices) {
  const JapaneseLine out = translate_japanese(testing::grade1_translator(), GetParam().line);
  EXPECT_EQ(out.braille, GetParam().braille);
  EXPECT_EQ(out.text_to_braille, GetParam().text_to_braille);
}

INSTANTIATE_TEST_SUITE_P(
    Kana, Grade1Test,
    ::testing::Values(
        LineCase{"ア", "⠁", {0}},
        LineCase{"ワガハイワネコデアル", "⠄⠐⠡⠥⠃⠄⠏⠪⠐⠟⠁⠙", {0, 1, 3, 4, 5, 6, 7, 8, 10, 11}},
        LineCase{"キャ", "⠈⠡", {0, 0}},        // compound before single
        LineCase{"ﾊﾟﾝ", "⠠⠥⠴", {0, 0, 2}},   // the half-width pair composes first
        LineCase{"ｷｬ", "⠈⠡", {0, 0}},          // normalised characters form compounds
        LineCase{"あ", "⠀", {0}},              // hiragana is not in the table
        LineCase{"漢字", "⠀⠀", {0, 1}},
        LineCase{"", "", {}},
        // ヴ has its own single entry; its compounds still win.
        LineCase{"ヴ", "⠐⠉", {0}},
        LineCase{"イヴ", "⠃⠐⠉", {0, 1}},
        LineCase{"ヴァ", "⠲⠥", {0, 0}},
        LineCase{"ｳﾞ", "⠐⠉", {0, 0}}));

INSTANTIATE_TEST_SUITE_P(
    DigitsAndLetters, Grade1Test,
    ::testing::Values(
        // ア's cell is digit 1's cell, so the explicit exit separates them.
        LineCase{"3ア", "⠼⠉⠤⠁", {0, 3}}, LineCase{"3カ", "⠼⠉⠡", {0, 2}},
        LineCase{"12ラ", "⠼⠁⠃⠤⠑", {0, 2, 4}}, LineCase{"1キャ", "⠼⠁⠈⠡", {0, 2, 2}},
        LineCase{"3あ", "⠼⠉⠀", {0, 2}},
        LineCase{"3.14", "⠼⠉⠲⠁⠙", {0, 2, 3, 4}}, LineCase{"1,000", "⠼⠁⠄⠚⠚⠚", {0, 2, 3, 4, 5}},
        LineCase{"1 2", "⠼⠁⠀⠼⠃", {0, 2, 3}}, LineCase{"１２", "⠼⠁⠃", {0, 2}},
        LineCase{"ABC", "⠰⠠⠠⠁⠃⠉", {0, 4, 5}}, LineCase{"Abc", "⠰⠠⠁⠃⠉", {0, 3, 4}},
        LineCase{"AbC", "⠰⠠⠁⠃⠠⠉", {0, 3, 4}}, LineCase{"ＡＢ", "⠰⠠⠠⠁⠃", {0, 4}},
        // The exempt full stop leaves the capital run on.
        LineCase{"A.B", "⠰⠠⠁⠲⠃", {0, 3, 4}}, LineCase{"x y", "⠰⠭⠀⠰⠽", {0, 2, 3}},
        LineCase{"a1", "⠰⠁⠼⠁", {0, 2}}, LineCase{"1a", "⠼⠁⠰⠁", {0, 2}},
        LineCase{"アa", "⠁⠰⠁", {0, 1}}, LineCase{"aア", "⠰⠁⠁", {0, 2}},
        LineCase{"a\tb", "⠰⠁⠀⠰⠃", {0, 2, 3}}));  // a control is a blank and ends the word

INSTANTIATE_TEST_SUITE_P(
    Transitions, Grade1Test,
    ::testing::Values(
        LineCase{"。ア", "⠲⠀⠀⠁", {0, 3}}, LineCase{"。」", "⠲⠤", {0, 1}},
        LineCase{"、ア", "⠰⠀⠁", {0, 2}}, LineCase{"…ア", "⠂⠂⠂⠀⠁", {0, 4}},
        LineCase{"ア…", "⠁⠀⠂⠂⠂", {0, 2}}, LineCase{"」「", "⠤⠀⠤", {0, 2}},
        LineCase{"→。", "⠒⠒⠕⠲", {0, 3}},
        // Two transition blanks after the full stop, then the ideographic space's own two.
        LineCase{"。　ア", "⠲⠀⠀⠀⠀⠁", {0, 3, 5}},
        LineCase{"a/ア", "⠰⠁⠌⠀⠁", {0, 2, 4}}, LineCase{"ア!ア", "⠁⠖⠁", {0, 1, 2}},
        LineCase{"。あア", "⠲⠀⠁", {0, 1, 2}},
        // No blanks at the end of a line, and none after a blank already written.
        LineCase{"ア。", "⠁⠲", {0, 1}}, LineCase{"ア ア", "⠁⠀⠁", {0, 1, 2}},
        LineCase{"。 ア", "⠲⠀⠀⠀⠁", {0, 3, 4}}));

TEST(NoConversionTable, AsciiIsOneToOne) {
  const JapaneseTranslator t = build_japanese_translator(testing::embedded_japanese(1));
  const LineCase cases[] = {
      {"Ab1", "⡁⠃⠂", {0, 1, 2}}, {"a.ア", "⠁⠨⠀⠁", {0, 1, 3}},
      {"1ア", "⠂⠁", {0, 1}},       // no explicit exit in this table
      {"／ア", "⠰⠌⠀⠁", {0, 3}}};
  for (const LineCase& c : cases) {
    const JapaneseLine out = translate_japanese(t, c.line);
    EXPECT_EQ(out.braille, c.braille) << c.line;
    EXPECT_EQ(out.text_to_braille, c.text_to_braille) << c.line;
  }
}

TEST(TransitionBlanks, MostSpecificRuleThenLargestCount) {
  const std::vector<TransitionRule> rules = {
      {"punct", "", 2}, {"punct.jp", "", 3}, {"", "kana", 5}, {"punct.jp", "kana", 1},
      {"punct.jp", "kana", 4}, {"punct.jpx", "", 9}};
  EXPECT_EQ(transition_blanks(rules, "punct.jp.stop", "kana"), 4u);  // ties: largest count
  EXPECT_EQ(transition_blanks(rules, "punct.jp.stop", "latin"), 3u);
  EXPECT_EQ(transition_blanks(rules, "punct.latin", "latin"), 2u);
  EXPECT_EQ(transition_blanks(rules, "digit", "kana"), 5u);
  EXPECT_EQ(transition_blanks(rules, "punct.jpx", "none"), 9u);
  EXPECT_EQ(transition_blanks(rules, "digit", "latin"), 0u);
  EXPECT_EQ(transition_blanks({}, "kana", "kana"), 0u);
}

TEST(JapaneseTranslatorBuild, RefusesAUebTable) {
  BrailleTable table{ueb::UebTable{}};
  auto t = build_japanese_translator(table);
  ASSERT_FALSE(t.has_value());
  EXPECT_EQ(t.error().kind(), BrailleTableError::Kind::UnknownTable);
}

// Any line gives one index per character, never decreasing and always inside the output.
void expect_well_formed(const std::string& line) {
  const JapaneseLine out = translate_japanese(testing::grade1_translator(), line);
  const std::size_t cells = utf8::count_chars(out.braille);
  ASSERT_EQ(out.text_to_braille.size(), utf8::to_u32(line).size());
  for (std::size_t i = 0; i < out.text_to_braille.size(); ++i) {
    ASSERT_LT(out.text_to_braille[i], cells);
    if (i > 0) ASSERT_GE(out.text_to_braille[i], out.text_to_braille[i - 1]);
  }
}

TEST(JapaneseTranslatorProperty, AnyLineHasOneIndexPerCharacter) {
  std::mt19937 rng(20240607);
  const std::pair<char32_t, char32_t> pools[] = {
      {0x00, 0x7F},     {0x3000, 0x30FF}, {0xFF01, 0xFF9F},  {0x2460, 0x2473},
      {0x3358, 0x3370}, {0x80, 0xD7FF},   {0xE000, 0xFFFF},  {0x10000, 0x10FFFF}};
  for (int round = 0; round < 300; ++round) {
    std::string line;
    const int length = std::uniform_int_distribution<int>(0, 40)(rng);
    for (int k = 0; k < length; ++k) {
      const auto [lo, hi] = pools[std::uniform_int_distribution<int>(0, 7)(rng)];
      utf8::append(line, std::uniform_int_distribution<char32_t>(lo, hi)(rng));
    }
    expect_well_formed(line);
  }
  std::string long_line;
  for (int k = 0; k < 100000; ++k) {
    const char32_t pick[] = {U'ア', U'ｶ', U'ﾞ', U'1', U'A', U'。', U'\x1F600', U'\x01', U'ャ'};
    utf8::append(long_line, pick[k % 9]);
  }
  expect_well_formed(long_line);
}

TEST(JapaneseTranslatorProperty, MalformedBytesBecomeCharacters) {
  const std::string line = "ア\xFF\xE3\x82" "1\x80";
  const JapaneseLine out = translate_japanese(testing::grade1_translator(), line);
  EXPECT_EQ(out.text_to_braille.size(), utf8::to_u32(line).size());
}

}  // namespace
}  // namespace kotori::braille
