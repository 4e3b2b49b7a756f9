#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>
#include <vector>

#include "braille/ueb/line.h"
#include "braille/ueb/word.h"
#include "common/utf8.h"
#include "ueb_fixture.h"

namespace kotori::braille::ueb {
namespace {

using testing::grade2;

// The spelled pieces of the segments of the first word of `text`.
std::vector<std::string> pieces(std::string_view text, bool in_passage = false) {
  const std::u32string line = utf8::to_u32(text);
  std::size_t start = 0;
  while (start < line.size() && !(line[start] < 128 && std::isalpha(int(line[start])))) ++start;
  std::size_t end = start;
  while (end < line.size() && line[end] < 128 && std::isalpha(int(line[end]))) ++end;
  const SegmentChoice choice = choose_segments(grade2(), line, start, end, in_passage);
  std::vector<std::string> out;
  std::size_t p = start;
  for (const Segment& s : choice.segments) {
    out.push_back(utf8::from_u32(line.substr(p, s.length)));
    p += s.length;
  }
  EXPECT_EQ(p, end);
  return out;
}

using Pieces = std::vector<std::string>;

struct WordCase {
  const char* text;
  Pieces segments;
  const char* braille;
  std::vector<std::size_t> text_to_braille = {};  // checked when given
};

void PrintTo(const WordCase& c, std::ostream* os) { *os << c.text; }

class ChooseSegments : public ::testing::TestWithParam<WordCase> {};

TEST_P(ChooseSegments, SegmentsAndBraille) {
  EXPECT_EQ(pieces(GetParam().text), GetParam().segments) << GetParam().text;
  const EnglishLine line = translate_english_line(grade2(), GetParam().text);
  EXPECT_EQ(line.braille, GetParam().braille) << GetParam().text;
  if (!GetParam().text_to_braille.empty()) {
    EXPECT_EQ(line.text_to_braille, GetParam().text_to_braille) << GetParam().text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    WorkedWords, ChooseSegments,
    ::testing::Values(
        WordCase{"the", {"the"}, "⠮", {0, 0, 0}},
        WordCase{"sting", {"st", "ing"}, "⠌⠬", {0, 0, 1, 1, 1}},
        WordCase{"being", {"be", "ing"}, "⠆⠬", {0, 0, 1, 1, 1}},
        WordCase{"believer", {"be", "l", "i", "e", "v", "er"}, "⠆⠇⠊⠑⠧⠻",
                 {0, 0, 1, 2, 3, 4, 5, 5}},
        WordCase{"hereford", {"h", "er", "e", "for", "d"}, "⠓⠻⠑⠿⠙", {0, 1, 1, 2, 3, 3, 3, 4}},
        WordCase{"st", {"s", "t"}, "⠎⠞", {0, 1}},
        WordCase{"couldn't", {"could", "n"}, "⠉⠙⠝⠄⠞", {0, 0, 0, 0, 0, 2, 3, 4}},
        WordCase{"friends", {"friend", "s"}, "⠋⠗⠎", {0, 0, 0, 0, 0, 0, 2}},
        WordCase{"blindness", {"blind", "ness"}, "⠃⠇⠰⠎", {0, 0, 0, 0, 0, 2, 2, 2, 2}},
        WordCase{"blinder", {"b", "l", "in", "d", "er"}, "⠃⠇⠔⠙⠻", {0, 1, 2, 2, 3, 4, 4}},
        WordCase{"abouts", {"a", "b", "ou", "t", "s"}, "⠁⠃⠳⠞⠎", {0, 1, 2, 2, 3, 4}}));

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, ChooseSegments,
    ::testing::Values(
        WordCase{"THE", {"THE"}, "⠠⠠⠮"}, WordCase{"The", {"The"}, "⠠⠮"},
        WordCase{"tHe", {"t", "H", "e"}, "⠞⠠⠓⠑"},  // a capital boundary before H
        WordCase{"ch", {"c", "h"}, "⠉⠓"}, WordCase{"chat", {"ch", "a", "t"}, "⠡⠁⠞"},
        WordCase{"other", {"o", "the", "r"}, "⠕⠮⠗"},
        WordCase{"his.", {"h", "i", "s"}, "⠓⠊⠎⠲"},
        WordCase{"(his.)", {"h", "i", "s"}, "⠐⠣⠓⠊⠎⠲⠐⠜"},
        WordCase{"(his)", {"his"}, "⠐⠣⠦⠐⠜"}, WordCase{"\"his\"", {"his"}, "⠦⠦⠴"},
        WordCase{"in.", {"i", "n"}, "⠊⠝⠲"}, WordCase{"'in'", {"i", "n"}, "⠄⠊⠝⠄"},
        WordCase{"(in)", {"in"}, "⠐⠣⠔⠐⠜"}, WordCase{"in.)", {"in"}, "⠔⠲⠐⠜"},
        WordCase{"in", {"in"}, "⠔"}, WordCase{"was,", {"w", "a", "s"}, "⠺⠁⠎⠂"},
        WordCase{"enough.", {"enough"}, "⠢⠲"}, WordCase{"be.", {"b", "e"}, "⠃⠑⠲"},
        WordCase{"ever", {"ever"}, "⠐⠑"},
        WordCase{"however", {"h", "ow", "ever"}, "⠓⠪⠐⠑"},
        WordCase{"flounders", {"f", "l", "ound", "er", "s"}, "⠋⠇⠨⠙⠻⠎"},
        WordCase{"McDonald", {"M", "c", "D", "o", "n", "a", "l", "d"}, "⠠⠍⠉⠠⠙⠕⠝⠁⠇⠙"},
        WordCase{"x", {"x"}, "⠰⠭"}));

TEST(ChooseSegments, CapitalPassageSwitchesOffCapitalBoundaries) {
  EXPECT_EQ(pieces("tHe"), (Pieces{"t", "H", "e"}));
  EXPECT_EQ(pieces("tHe", true), (Pieces{"tHe"}));
}

TEST(ChooseSegments, StandingAloneIsReturned) {
  const std::u32string line = U"it's ab'cd";
  EXPECT_TRUE(choose_segments(grade2(), line, 0, 2, false).standing_alone);
  EXPECT_FALSE(choose_segments(grade2(), line, 5, 7, false).standing_alone);
}

TEST(IsStandingAlone, Contexts) {
  struct Case {
    std::u32string line;
    std::size_t start, end;
    bool alone;
  };
  const Case cases[] = {
      {U"it's ok", 0, 2, true},      {U"ab'cd ok", 0, 2, false},   {U"(you),", 1, 4, true},
      {U"it'll've", 0, 2, true},     {U"x—y", 0, 1, true},         {U"a/b", 0, 1, false},
      {U"“‘word’”…", 2, 6, true},    {U"a\tb", 2, 3, true},        {U"word1", 0, 4, false},
      {U"o'clock", 0, 1, false},     {U"I'D", 0, 1, true},         {U"x'", 0, 1, true},
      {U"--x--", 2, 3, true},        {U"é x", 2, 3, true},         {U"éx", 1, 2, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(is_standing_alone(c.line, c.start, c.end), c.alone) << utf8::from_u32(c.line);
  }
}

TEST(IsLowerPunctuation, ByCells) {
  const EnglishTranslator& t = grade2();
  EXPECT_TRUE(is_lower_punctuation(t, U'.'));
  EXPECT_TRUE(is_lower_punctuation(t, U','));
  EXPECT_TRUE(is_lower_punctuation(t, U'\''));
  EXPECT_FALSE(is_lower_punctuation(t, U'('));  // ⠐⠣: dot 1 in its second cell
  EXPECT_FALSE(is_lower_punctuation(t, U'"'));  // a quote, not punctuation
  EXPECT_FALSE(is_lower_punctuation(t, U'x'));
}

TEST(ChooseSegments, WithoutContractionsEveryLetterIsASegment) {
  auto table = compile_ueb_table(testing::embedded_text("english_ueb_grade1"));
  ASSERT_TRUE(table);
  const EnglishTranslator t = build_english_translator(*table);
  const std::u32string line = U"the question";
  const SegmentChoice choice = choose_segments(t, line, 4, 12, false);
  EXPECT_EQ(choice.segments.size(), 8u);
  EXPECT_EQ(translate_english_line(t, "the question").braille, "⠞⠓⠑⠀⠟⠥⠑⠎⠞⠊⠕⠝");
}

}  // namespace
}  // namespace kotori::braille::ueb
