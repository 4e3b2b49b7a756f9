#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "braille/ueb/indicators.h"
#include "braille/ueb/line.h"
#include "common/utf8.h"
#include "ueb_fixture.h"

namespace kotori::braille::ueb {
namespace {

using testing::grade2;
using Map = std::vector<std::size_t>;

struct LineCase {
  const char* text;
  const char* braille;
  Map text_to_braille = {};  // empty: not checked here (the properties still are)
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.text; }

// Every cell is a braille pattern, and there is one non-decreasing entry per character that
// points inside the braille (or at its end, for a trailing character that writes nothing).
void expect_well_formed(std::string_view text, const EnglishLine& line) {
  const std::string label(text.substr(0, 40));
  const std::u32string cells = utf8::to_u32(line.braille);
  for (char32_t c : cells) {
    EXPECT_TRUE(c >= 0x2800 && c <= 0x28FF) << label;
  }
  ASSERT_EQ(line.text_to_braille.size(), utf8::to_u32(text).size()) << label;
  for (std::size_t i = 0; i < line.text_to_braille.size(); ++i) {
    EXPECT_LE(line.text_to_braille[i], cells.size()) << label;
    if (i > 0) {
      EXPECT_LE(line.text_to_braille[i - 1], line.text_to_braille[i]) << label;
    }
  }
}

class TranslateEnglishLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(TranslateEnglishLine, BrailleAndMap) {
  const LineCase& c = GetParam();
  const EnglishLine line = translate_english_line(grade2(), c.text);
  EXPECT_EQ(line.braille, c.braille) << c.text;
  if (!c.text_to_braille.empty()) {
    EXPECT_EQ(line.text_to_braille, c.text_to_braille) << c.text;
  }
  expect_well_formed(c.text, line);
}

INSTANTIATE_TEST_SUITE_P(
    CapitalsNumbersIndicators, TranslateEnglishLine,
    ::testing::Values(
        LineCase{"ABCs", "⠠⠠⠁⠃⠉⠠⠄⠎", {0, 3, 4, 7}}, LineCase{"The", "⠠⠮", {0, 1, 1}},
        LineCase{"USA", "⠠⠠⠥⠎⠁", {0, 3, 4}}, LineCase{"McDonald", "⠠⠍⠉⠠⠙⠕⠝⠁⠇⠙"},
        LineCase{"1a", "⠼⠁⠰⠁", {0, 2}}, LineCase{"1A", "⠼⠁⠠⠁", {0, 2}},
        LineCase{"1st", "⠼⠁⠌", {0, 2, 2}}, LineCase{"1.a", "⠼⠁⠲⠰⠁", {0, 2, 3}},
        LineCase{"2 a", "⠼⠃⠀⠁", {0, 2, 3}}, LineCase{"1,000", "⠼⠁⠂⠚⠚⠚", {0, 2, 3, 4, 5}},
        LineCase{"12:30", "⠼⠁⠃⠒⠼⠉⠚", {0, 2, 3, 4, 6}}, LineCase{"b", "⠰⠃", {0}},
        LineCase{"x", "⠰⠭"}, LineCase{"ab", "⠰⠁⠃", {0, 2}},
        LineCase{"Dobrljin", "⠰⠰⠠⠙⠕⠃⠗⠇⠚⠊⠝", {0, 4, 5, 6, 7, 8, 9, 10}},
        LineCase{"AB CD ef GH IJ KL", "⠰⠠⠠⠁⠃⠀⠰⠠⠠⠉⠙⠀⠑⠋⠀⠠⠠⠠⠣⠀⠊⠚⠀⠅⠇⠠⠄"},
        LineCase{"ABC DEF GHI)", "⠠⠠⠠⠁⠃⠉⠀⠙⠑⠋⠀⠣⠊⠠⠄⠐⠜",
                 {0, 4, 5, 6, 7, 8, 9, 10, 11, 11, 12, 15}},
        // ab and cd read as the shortforms about and could: grade 1 before the passage indicator.
        LineCase{"AB 12 CD", "⠰⠠⠠⠠⠁⠃⠀⠼⠁⠃⠀⠰⠉⠙⠠⠄", {0, 5, 6, 7, 9, 10, 11, 13}},
        LineCase{"1, 2", "⠼⠁⠂⠀⠼⠃", {0, 2, 3, 4}},
        LineCase{"THE END OF THE STORY.", "⠠⠠⠠⠮⠀⠢⠙⠀⠷⠀⠮⠀⠌⠕⠗⠽⠲⠠⠄"},
        LineCase{"ABC DEF GHI.", "⠠⠠⠠⠁⠃⠉⠀⠙⠑⠋⠀⠣⠊⠲⠠⠄"},
        LineCase{"1.5,2", "⠼⠁⠲⠑⠂⠃", {0, 2, 3, 4, 5}},
        LineCase{"3.", "⠼⠉⠲", {0, 2}}, LineCase{"3.,a", "⠼⠉⠲⠂⠰⠁", {0, 2, 3, 4}},
        LineCase{"3-a", "⠼⠉⠤⠁", {0, 2, 3}}));

INSTANTIATE_TEST_SUITE_P(
    Lines, TranslateEnglishLine,
    ::testing::Values(
        LineCase{"", "", {}}, LineCase{"a/b", "⠁⠸⠌⠃", {0, 1, 3}},
        LineCase{"x—y", "⠰⠭⠐⠠⠤⠰⠽", {0, 2, 5}}, LineCase{"e.g.", "⠑⠲⠛⠲", {0, 1, 2, 3}},
        LineCase{"café", "⠉⠁⠋⠀", {0, 1, 2, 3}}, LineCase{"50%", "⠼⠑⠚⠨⠴", {0, 2, 3}},
        LineCase{"It's 5 o'clock.", "⠠⠭⠄⠎⠀⠼⠑⠀⠕⠄⠉⠇⠕⠉⠅⠲",
                 {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        LineCase{"\"Hi,\"", "⠦⠠⠓⠊⠂⠴", {0, 1, 3, 4, 5}},
        LineCase{"it’s", "⠊⠞⠠⠴⠎", {0, 1, 2, 4}}, LineCase{"it's", "⠭⠄⠎", {0, 0, 1, 2}},
        LineCase{"(\"a\")", "⠐⠣⠦⠁⠴⠐⠜"}, LineCase{"a\nb\r", "⠁⠀⠰⠃⠀", {0, 1, 2, 4}},
        LineCase{"漢\t字", "⠀⠀⠀", {0, 1, 2}},
        LineCase{"He said (HELLO THERE FRIEND) loudly",
                 "⠠⠓⠑⠀⠎⠙⠀⠐⠣⠠⠠⠠⠓⠑⠇⠇⠕⠀⠐⠮⠀⠋⠗⠠⠄⠐⠜⠀⠇⠳⠙⠇⠽"}));

TEST(FindCapitalPassages, Ranges) {
  struct Case {
    std::u32string line;
    std::vector<CapitalPassage> passages;
  };
  const Case cases[] = {
      {U"AB CD", {}},
      {U"AB CD EF", {{0, 8}}},
      {U"AB 12 CD", {{0, 8}}},
      {U"He said (HELLO THERE FRIEND) loudly", {{9, 27}}},
      {U"(ABC (DEF) GHI)", {{1, 15}}},
      {U"ABC DEF GHI.", {{0, 12}}},
      {U"“AB CD EF”", {{1, 9}}},
      {U"AB CD ef GH IJ KL", {{9, 17}}},
      {U"AB CD EF gh IJ KL MN", {{0, 8}, {12, 20}}},
      {U"A B C", {{0, 5}}},
      {U"A1 - B2 - C3", {{0, 12}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(find_capital_passages(grade2(), c.line), c.passages) << utf8::from_u32(c.line);
  }
}

TEST(FindCapitalPassages, NeedBothPassageIndicators) {
  auto table = compile_ueb_table(testing::embedded_text("english_ueb_grade2"));
  ASSERT_TRUE(table);
  table->raw.indicators.capital_terminator = "";
  const EnglishTranslator t = build_english_translator(*table);
  EXPECT_TRUE(find_capital_passages(t, U"AB CD EF").empty());
  EXPECT_EQ(translate_english_line(t, "ABCs").braille, "⠠⠠⠁⠃⠉⠎");
  EXPECT_EQ(translate_english_line(t, "AB CD EF").braille, "⠰⠠⠠⠁⠃⠀⠰⠠⠠⠉⠙⠀⠠⠠⠑⠋");
}

TEST(TranslateEnglishLine, EmptyIndicatorsWriteNothing) {
  auto table = compile_ueb_table(testing::embedded_text("english_ueb_grade2"));
  ASSERT_TRUE(table);
  table->raw.indicators.grade1 = "";
  table->raw.indicators.grade1_word = "";
  const EnglishTranslator t = build_english_translator(*table);
  EXPECT_EQ(translate_english_line(t, "b 1a ab Dobrljin").braille, "⠃⠀⠼⠁⠁⠀⠁⠃⠀⠠⠙⠕⠃⠗⠇⠚⠔");
}

// Odd and hostile input: whatever the text, the output stays well formed.
TEST(TranslateEnglishLine, AnyInputIsWellFormed) {
  std::string long_word(20000, 'a');
  std::string long_number(20000, '9');
  std::string many_caps;
  for (int i = 0; i < 3000; ++i) many_caps += "AB ";
  std::string closers = "AB CD EF" + std::string(5000, ')');
  // Long runs without whitespace, where every word looks at the same neighbourhood.
  std::string repeated[5];
  for (int i = 0; i < 20000; ++i) {
    repeated[0] += "a'";
    repeated[1] += "in.";
    repeated[2] += "Ab";
    repeated[3] += "ab";
    repeated[4] += "it's";
  }
  const std::string inputs[] = {
      "\xff\xfe broken \xc3",  "'''", "\"\"\"", "''s", "a'", "'", ".,.,", "1.", "1..2", ",1",
      "A", "aA", "Aa", "AAa", "a1b2c3", "--", "—", "…", "\t\t", long_word, long_number,
      many_caps, closers, repeated[0], repeated[1], repeated[2], repeated[3], repeated[4],
      std::string(30000, '.') + "in.in", std::string("a\0b", 3), "ĀB CD EF", "AB\u00a0CD\u3000EF",
  };
  for (const std::string& text : inputs) {
    expect_well_formed(text, translate_english_line(grade2(), text));
  }
}

}  // namespace
}  // namespace kotori::braille::ueb
