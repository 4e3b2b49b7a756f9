#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "braille/braille_table.h"
#include "braille/ueb/ueb_table.h"
#include "ueb_fixture.h"

namespace kotori::braille::ueb {
namespace {

using testing::embedded_text;

constexpr std::string_view kMinimal = R"(
[indicators]
capital = "⠠"
capital_word = "⠠⠠"
number = "⠼"
[letters]
a = "⠁"
b = "⠃"
ab = "⠿"
[digits]
"1" = "⠁"
[punctuation]
"." = "⠲"
"" = "⠶"
)";

std::string with(std::string_view extra) { return std::string(kMinimal) + std::string(extra); }

TEST(CompileUebTable, EmbeddedGrade2Counts) {
  auto table = compile_ueb_table(embedded_text("english_ueb_grade2"));
  ASSERT_TRUE(table) << table.error().display();
  EXPECT_EQ(table->name(), "english_ueb_grade2");
  const RawUeb& raw = table->raw;
  EXPECT_EQ(raw.metadata.displayname, "UEB English (Grade 2)");
  EXPECT_EQ(raw.letters.size(), 26u);
  EXPECT_EQ(raw.digits.size(), 10u);
  EXPECT_EQ(raw.punctuation.size(), 46u);
  EXPECT_EQ(raw.quotes.size(), 5u);
  EXPECT_EQ(raw.contractions.size(), 180u);
  EXPECT_EQ(raw.contractions.at("be").initial_stems.size(), 46u);
  EXPECT_EQ(raw.contractions.at("con").initial_stems.size(), 45u);
  EXPECT_EQ(raw.contractions.at("dis").initial_stems.size(), 33u);
  EXPECT_EQ(raw.shortforms.words.size(), 608u);
  EXPECT_EQ(raw.shortforms.plural_exceptions.size(), 3u);
  EXPECT_EQ(raw.divisions.boundaries.size(), 187u);

  const EnglishTranslator t = build_english_translator(*table);
  EXPECT_EQ(t.contractions.size(), 180u);
  EXPECT_EQ(t.shortform_words.size(), 608u);
  EXPECT_EQ(t.plural_exceptions.size(), 3u);
  EXPECT_EQ(t.divisions.size(), 187u);
  EXPECT_EQ(t.longest_spelling, 10u);
  EXPECT_EQ(t.shortforms.size(), 75u);
  EXPECT_EQ(t.punctuation.size(), 46u);
  EXPECT_EQ(t.quotes.size(), 5u);
  // Indicators of both tables.
  EXPECT_EQ(t.capital, U"⠠");
  EXPECT_EQ(t.capital_word, U"⠠⠠");
  EXPECT_EQ(t.capital_passage, U"⠠⠠⠠");
  EXPECT_EQ(t.capital_terminator, U"⠠⠄");
  EXPECT_EQ(t.number, U"⠼");
  EXPECT_EQ(t.grade1, U"⠰");
  EXPECT_EQ(t.grade1_word, U"⠰⠰");
  // Shared cells: the maps keep every spelling with an always or wordsign position.
  EXPECT_EQ(t.contraction_cells.at(U"⠌"), (StringSet{"st", "still"}));
  EXPECT_EQ(t.wordsign_cells.at(U"⠌"), (StringSet{"still"}));
  EXPECT_EQ(t.contraction_cells.at(U"⠆"), (StringSet{"be"}));  // bb is medial only
  EXPECT_EQ(t.wordsign_cells.at(U"⠡"), (StringSet{"child"}));
  EXPECT_EQ(t.divisions.at("hereford"), (std::vector<std::uint32_t>{1}));
}

TEST(CompileUebTable, EmbeddedGrade1HasNoContractions) {
  auto table = compile_ueb_table(embedded_text("english_ueb_grade1"));
  ASSERT_TRUE(table) << table.error().display();
  EXPECT_EQ(table->name(), "english_ueb_grade1");
  const EnglishTranslator t = build_english_translator(*table);
  EXPECT_TRUE(t.contractions.empty());
  EXPECT_TRUE(t.shortform_words.empty());
  EXPECT_TRUE(t.divisions.empty());
  EXPECT_TRUE(t.contraction_cells.empty());
  EXPECT_TRUE(t.wordsign_cells.empty());
  EXPECT_EQ(t.longest_spelling, 0u);
  EXPECT_EQ(t.punctuation.size(), 46u);
  EXPECT_EQ(t.grade1_word, U"⠰⠰");
}

TEST(CompileUebTable, KeepsOnlySingleCharacterKeysAndDefaultsIndicators) {
  auto table = compile_ueb_table(kMinimal);
  ASSERT_TRUE(table) << table.error().display();
  EXPECT_FALSE(table->name());
  const EnglishTranslator t = build_english_translator(*table);
  EXPECT_EQ(t.letters.size(), 2u);
  EXPECT_EQ(t.letters.at(U'a'), U"⠁");
  EXPECT_EQ(t.letters.at(U'b'), U"⠃");
  EXPECT_EQ(t.punctuation.size(), 1u);
  EXPECT_EQ(t.grade1, U"");
  EXPECT_EQ(t.capital_passage, U"");
}

TEST(CompileUebTable, DivisionOffsets) {
  auto table = compile_ueb_table(with(R"(
[divisions]
boundaries = ["dis|honest", "a|b|c", "a||b", "x|yz", "xy|z"]
)"));
  ASSERT_TRUE(table) << table.error().display();
  const EnglishTranslator t = build_english_translator(*table);
  using Offsets = std::vector<std::uint32_t>;
  EXPECT_EQ(t.divisions.at("dishonest"), (Offsets{3}));
  EXPECT_EQ(t.divisions.at("abc"), (Offsets{1, 2}));
  EXPECT_EQ(t.divisions.at("ab"), (Offsets{1, 1}));
  EXPECT_EQ(t.divisions.at("xyz"), (Offsets{2}));  // the later entry replaces the earlier
}

TEST(CompileUebTable, AcceptsWhatIsNotChecked) {
  auto table = compile_ueb_table(with(R"(
[contractions]
aa = { cell = "x", positions = ["always", "always"] }
bb = { cell = "", positions = ["initial"], lower = true }
cc = { cell = "⠒", positions = ["medial"], shortform = true, free = "initial" }
)"));
  ASSERT_TRUE(table) << table.error().display();
  const EnglishTranslator t = build_english_translator(*table);
  EXPECT_EQ(t.contractions.at("aa").positions.size(), 2u);
  EXPECT_EQ(t.contractions.at("cc").free, Free::Initial);
  EXPECT_EQ(t.contraction_cells.at(U"x"), (StringSet{"aa"}));
}

TEST(BuildEnglishTranslator, FromBrailleTable) {
  auto ueb = compile_ueb_table(embedded_text("english_ueb_grade2"));
  ASSERT_TRUE(ueb);
  auto english = build_english_translator(BrailleTable{std::move(*ueb)}, "english_ueb_grade2");
  ASSERT_TRUE(english);
  EXPECT_EQ(english->longest_spelling, 10u);

  auto japanese = build_english_translator(BrailleTable{JapaneseTable{}}, "japanese_grade1");
  ASSERT_FALSE(japanese);
  EXPECT_EQ(japanese.error(), BrailleTableError::unknown_table("japanese_grade1"));
}

struct ErrorCase {
  const char* name;
  const char* extra;
  const char* message;
};

class ValidationError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ValidationError, Message) {
  auto table = compile_ueb_table(with(GetParam().extra));
  ASSERT_FALSE(table);
  EXPECT_EQ(table.error(), BrailleTableError::validation(GetParam().message));
  EXPECT_EQ(table.error().display(),
            std::string("braille table validation error: ") + GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, ValidationError,
    ::testing::Values(
        ErrorCase{"UppercaseSpelling", "[contractions]\nTh = { cell = \"⠹\", positions = [] }",
                  "[contractions] \"Th\": 綴りは小文字 a-z のみ"},
        ErrorCase{"EmptyPositions", "[contractions]\nth = { cell = \"⠹\", positions = [] }",
                  "[contractions] \"th\": positions が空です"},
        ErrorCase{"BadPosition",
                  "[contractions]\nth = { cell = \"⠹\", positions = [\"medial\", \"Always\", "
                  "\"x\"] }",
                  "[contractions] \"th\": position \"Always\" は "
                  "always/noninitial/initial/medial/wordsign のいずれか"},
        ErrorCase{"BadStem",
                  "[contractions]\nth = { cell = \"⠹\", positions = [\"initial\"], "
                  "initial_stems = [\"\", \"thé\", \"X\"], free = \"x\" }",
                  "[contractions] \"th\": initial_stems \"thé\" は小文字 a-z のみ"},
        ErrorCase{"BadFree",
                  "[contractions]\nth = { cell = \"⠹\", positions = [\"wordsign\"], free = "
                  "\"medial\" }",
                  "[contractions] \"th\": free \"medial\" は anywhere/initial のいずれか"},
        ErrorCase{"DivisionCharacter", "[divisions]\nboundaries = [\"a-b|c\"]",
                  "[divisions] \"a-b|c\": \"-\" は使えません（小文字 a-z と | のみ）"},
        ErrorCase{"DivisionUppercase", "[divisions]\nboundaries = [\"Ab|c\", \"ab\"]",
                  "[divisions] \"Ab|c\": \"A\" は使えません（小文字 a-z と | のみ）"},
        ErrorCase{"DivisionNonAscii", "[divisions]\nboundaries = [\"|é\"]",
                  "[divisions] \"|é\": \"é\" は使えません（小文字 a-z と | のみ）"},
        ErrorCase{"DivisionWithoutBoundary", "[divisions]\nboundaries = [\"a|b\", \"ab\"]",
                  "[divisions] \"ab\": 境界 | がありません"},
        ErrorCase{"DivisionAtStart", "[divisions]\nboundaries = [\"|ab\"]",
                  "[divisions] \"|ab\": 境界 | を語頭・語末には置けません"},
        ErrorCase{"DivisionAtEnd", "[divisions]\nboundaries = [\"ab|\"]",
                  "[divisions] \"ab|\": 境界 | を語頭・語末には置けません"},
        ErrorCase{"ContractionsBeforeDivisions",
                  "[contractions]\nth = { cell = \"⠹\", positions = [] }\n"
                  "[divisions]\nboundaries = [\"ab\"]",
                  "[contractions] \"th\": positions が空です"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ParseCase {
  const char* name;
  std::string text;
};

class ParseError : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseError, IsToml) {
  auto table = compile_ueb_table(GetParam().text);
  ASSERT_FALSE(table);
  EXPECT_EQ(table.error().kind(), BrailleTableError::Kind::Toml);
  EXPECT_FALSE(table.error().payload().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Documents, ParseError,
    ::testing::Values(
        ParseCase{"Unparsable", "[indicators"},
        ParseCase{"Empty", ""},
        ParseCase{"MissingLetters", "[indicators]\ncapital = \"a\"\ncapital_word = \"b\"\nnumber = "
                                    "\"c\"\n[digits]\n[punctuation]\n"},
        ParseCase{"MissingNumberIndicator",
                  "[indicators]\ncapital = \"a\"\ncapital_word = \"b\"\n[letters]\n[digits]\n"
                  "[punctuation]\n"},
        ParseCase{"QuoteNotTable", with("[quotes]\n\"q\" = 3")},
        ParseCase{"LetterNotString",
                  "[indicators]\ncapital = \"a\"\ncapital_word = \"b\"\nnumber = \"c\"\n"
                  "[letters]\na = true\n[digits]\n[punctuation]\n"},
        ParseCase{"MisspeltContractionKey",
                  with("[contractions]\nen = { cell = \"⠢\", positions = [\"always\"], lowr = "
                       "true }")},
        ParseCase{"ContractionWithoutCell",
                  with("[contractions]\nen = { positions = [\"always\"] }")},
        ParseCase{"PositionsNotList", with("[contractions]\nen = { cell = \"⠢\", positions = "
                                           "\"always\" }")},
        ParseCase{"LowerNotBool", with("[contractions]\nen = { cell = \"⠢\", positions = "
                                       "[\"always\"], lower = 1 }")},
        ParseCase{"ThirdQuoteKey",
                  with("[quotes]\n\"'\" = { open = \"⠦\", close = \"⠴\", middle = \"⠶\" }")},
        ParseCase{"QuoteWithoutClose", with("[quotes]\n\"'\" = { open = \"⠦\" }")},
        ParseCase{"WordsNotStrings", with("[shortforms]\nwords = [1, 2]")},
        ParseCase{"NameNotString", "[metadata]\nname = 5\n" + std::string(kMinimal)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CompileUebTable, IgnoresUnknownKeysOutsideEntries) {
  auto table = compile_ueb_table(R"(
extra_top = 1
[metadata]
name = "x"
author = "me"
version = 3
[indicators]
capital = "⠠"
capital_word = "⠠⠠"
number = "⠼"
colour = 7
[letters]
[digits]
[punctuation]
[shortforms]
other = 2
[divisions]
note = 1
)");
  ASSERT_TRUE(table) << table.error().display();
  EXPECT_EQ(table->name(), "x");
}

}  // namespace
}  // namespace kotori::braille::ueb
