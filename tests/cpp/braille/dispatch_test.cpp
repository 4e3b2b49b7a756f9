#include "braille/dispatch.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "braille/registry.h"
#include "common/utf8.h"

namespace kotori::braille {
namespace {

struct Translators {
  JapaneseTranslator japanese;
  ueb::EnglishTranslator english;
};

const Translators& translators() {
  static const Translators* t = [] {
    const TableRegistry& registry = TableRegistry::instance();
    auto english = registry.load_embedded("english_ueb_grade2");
    return new Translators{*build_japanese_translator(registry.first_table()),
                           ueb::build_english_translator(*english->ueb())};
  }();
  return *t;
}

struct DetectCase {
  std::string line;
  bool japanese;
};

class ContainsJapaneseTest : public ::testing::TestWithParam<DetectCase> {};

TEST_P(ContainsJapaneseTest, DecidesForTheWholeLine) {
  EXPECT_EQ(contains_japanese(GetParam().line), GetParam().japanese);
  const BrailleOutput out = translate_line(translators().japanese, translators().english,
                                           GetParam().line);
  EXPECT_EQ(out.is_english, !GetParam().japanese);
  EXPECT_EQ(out.text, GetParam().line);
}

std::vector<DetectCase> detect_cases() {
  std::vector<DetectCase> cases = {
      {"", false},           {"Hello。", true},        {"Hello, world", false}, {"ＡＢＣ", true},
      {"｡", false},          {"ｱ", true},              {"漢字", true},          {"12345", false},
      {"!?()", false},       {"①→…㍻㈱", false},      {"line\nアイ", true},    {"ア\nline", true}};
  // The edges of every range, and the characters just outside them.
  const std::pair<char32_t, bool> edges[] = {
      {0x2FFF, false}, {0x3000, true},  {0x303F, true},  {0x3040, true},  {0x309F, true},
      {0x30A0, true},  {0x30FF, true},  {0x3100, false}, {0x31EF, false}, {0x31F0, true},
      {0x31FF, true},  {0x3200, false}, {0x33FF, false}, {0x3400, true},  {0x4DBF, true},
      {0x4DC0, false}, {0x4E00, true},  {0x9FFF, true},  {0xA000, false}, {0xF8FF, false},
      {0xF900, true},  {0xFAFF, true},  {0xFB00, false}, {0xFF00, false}, {0xFF01, true},
      {0xFF60, true},  {0xFF61, false}, {0xFF65, false}, {0xFF66, true},  {0xFF9F, true},
      {0xFFA0, false}, {0x20000, false}};
  for (const auto& [c, japanese] : edges) cases.push_back({"a" + utf8::encode(c), japanese});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Lines, ContainsJapaneseTest, ::testing::ValuesIn(detect_cases()));

struct InverseCase {
  std::vector<std::size_t> text_to_braille;
  std::size_t cells;
  std::vector<std::size_t> braille_to_text;
};

TEST(BuildInverseMap, LowestCharacterThenCarriedForward) {
  const InverseCase cases[] = {
      {{0, 0}, 2, {0, 0}},
      {{0, 3}, 4, {0, 0, 0, 1}},             // 3ア: ⠼⠉⠤⠁
      {{0, 4, 5}, 6, {0, 0, 0, 0, 1, 2}},    // ABC: ⠰⠠⠠⠁⠃⠉
      {{0, 1}, 1, {0}},                      // an index past the end is ignored
      {{0, 0, 2}, 3, {0, 0, 2}},             // ﾊﾟﾝ
      {{2, 2}, 4, {0, 0, 0, 0}},             // cells before the first set entry take 0
      {{0, 5, 1}, 3, {0, 2, 2}},
      {{}, 0, {}},
      {{}, 2, {0, 0}},
  };
  for (const InverseCase& c : cases) {
    EXPECT_EQ(build_inverse_map(c.text_to_braille, c.cells), c.braille_to_text);
  }
}

TEST(TranslateLine, JapaneseRouteKeepsTheLineAndBothMaps) {
  struct Case {
    std::string line;
    std::string braille;
    std::vector<std::size_t> text_to_braille;
    std::vector<std::size_t> braille_to_text;
  };
  const Case cases[] = {
      {"ア", "⠁", {0}, {0}},
      {"ｶﾞ", "⠐⠡", {0, 0}, {0, 0}},
      {"3ア", "⠼⠉⠤⠁", {0, 3}, {0, 0, 0, 1}},
      {"ＡＢＣ", "⠰⠠⠠⠁⠃⠉", {0, 4, 5}, {0, 0, 0, 0, 1, 2}},
      {"。ア", "⠲⠀⠀⠁", {0, 3}, {0, 0, 0, 1}},  // transition blanks belong to the 。
      {"漢字", "⠀⠀", {0, 1}, {0, 1}},
  };
  for (const Case& c : cases) {
    const BrailleOutput out = translate_line(translators().japanese, translators().english, c.line);
    EXPECT_FALSE(out.is_english) << c.line;
    EXPECT_EQ(out.text, c.line);
    EXPECT_EQ(out.braille, c.braille) << c.line;
    EXPECT_EQ(out.text_to_braille, c.text_to_braille) << c.line;
    EXPECT_EQ(out.braille_to_text, c.braille_to_text) << c.line;
  }
  // Forced routes ignore the decision.
  const BrailleOutput abc = translate_line_japanese(translators().japanese, "ABC");
  EXPECT_FALSE(abc.is_english);
  EXPECT_EQ(abc.braille, "⠰⠠⠠⠁⠃⠉");
  EXPECT_EQ(abc.braille_to_text, (std::vector<std::size_t>{0, 0, 0, 0, 1, 2}));
  EXPECT_TRUE(translate_line_english(translators().english, "ア").is_english);
}

TEST(TranslateLine, EmptyLineIsEnglishAndEmpty) {
  const BrailleOutput out = translate_line(translators().japanese, translators().english, "");
  EXPECT_TRUE(out.is_english);
  EXPECT_EQ(out.braille, "");
  EXPECT_TRUE(out.text_to_braille.empty());
  EXPECT_TRUE(out.braille_to_text.empty());
}

// Any line, on either route: one entry per character and one per cell, all in range.
TEST(TranslateLine, MapsFitAnyLine) {
  std::mt19937 rng(7);
  const std::pair<char32_t, char32_t> pools[] = {
      {0x00, 0x7F}, {0x3000, 0x30FF}, {0xFF01, 0xFF9F}, {0x80, 0xD7FF}, {0x10000, 0x10FFFF}};
  std::vector<std::string> lines;
  for (int round = 0; round < 200; ++round) {
    std::string line;
    const int length = std::uniform_int_distribution<int>(0, 30)(rng);
    const int pool_count = round % 2 == 0 ? 1 : 5;  // half the lines stay ASCII (English)
    for (int k = 0; k < length; ++k) {
      const auto [lo, hi] = pools[std::uniform_int_distribution<int>(0, pool_count - 1)(rng)];
      utf8::append(line, std::uniform_int_distribution<char32_t>(lo, hi)(rng));
    }
    lines.push_back(std::move(line));
  }
  lines.push_back(std::string(100000, 'a'));
  std::string long_japanese;
  for (int k = 0; k < 100000; ++k) utf8::append(long_japanese, k % 3 ? U'ア' : U'\x1F600');
  lines.push_back(std::move(long_japanese));
  for (const std::string& line : lines) {
    const BrailleOutput out = translate_line(translators().japanese, translators().english, line);
    const std::size_t chars = utf8::count_chars(line);
    const std::size_t cells = utf8::count_chars(out.braille);
    ASSERT_EQ(out.text_to_braille.size(), chars);
    ASSERT_EQ(out.braille_to_text.size(), cells);
    for (std::size_t i : out.braille_to_text) ASSERT_LT(i, chars);
  }
}

}  // namespace
}  // namespace kotori::braille
