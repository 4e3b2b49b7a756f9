#include "braille/japanese_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "braille/japanese_translator.h"
#include "braille/table_error.h"
#include "japanese_fixture.h"

namespace kotori::braille {
namespace {

// A small complete document; each case swaps one part of it.
struct Doc {
  std::string classes = R"(["stop", "pause"])";
  std::string jp = R"("。" = { braille = "⠲", class = "stop" })";
  std::string latin = R"("/" = { braille = "⠌", class = "pause" })";
  std::string transitions = R"("kana -> punct.jp.stop" = 1)";
  std::string flags = "[flags.digit]\n[flags.foreign_word]\n[flags.capital]\n";

  std::string text() const {
    return flags + "[table.kana.compound]\n\"キャ\" = \"⠈⠡\"\n[table.kana.single]\n\"ア\" = \"⠁\"\n" +
           "[table.punct]\nclasses = " + classes + "\n[table.punct.jp]\n" + jp +
           "\n[table.punct.latin]\n" + latin + "\n[table.digit]\n\"1\" = \"⠁\"\n" +
           "[table.latin]\n\"a\" = \"⠁\"\n[transitions]\n" + transitions + "\n";
  }
};

Doc with_transition(std::string key) {
  Doc d;
  d.transitions = "\"" + key + "\" = 1";
  return d;
}

struct ErrorCase {
  const char* label;
  Doc doc;
  std::string message;
};

class ValidationTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ValidationTest, ReportsTheOffendingKey) {
  auto table = compile_japanese_table(GetParam().doc.text());
  ASSERT_FALSE(table.has_value());
  EXPECT_EQ(table.error(), BrailleTableError::validation(GetParam().message));
}

const std::string kUnknownClassTail =
    " は予約構造クラス（kana/digit/latin/none/punct/punct.jp/punct.latin）でも [table.punct] "
    "classes 由来のパス（punct.jp.<class> 等）にもありません";

INSTANTIATE_TEST_SUITE_P(
    Cases, ValidationTest,
    ::testing::Values(
        ErrorCase{"reserved_class", Doc{.classes = R"(["stop", "kana"])"},
                  "[table.punct] classes: \"kana\" は予約名のため宣言できません"},
        ErrorCase{"reserved_before_undeclared",
                  Doc{.classes = R"(["punct"])", .jp = R"("。" = { braille = "⠲", class = "x" })"},
                  "[table.punct] classes: \"punct\" は予約名のため宣言できません"},
        ErrorCase{"undeclared_jp", Doc{.jp = R"("。" = { braille = "⠲", class = "halt" })"},
                  "[table.punct.jp] \"。\": class \"halt\" は [table.punct] classes に宣言されて"
                  "いません"},
        ErrorCase{"undeclared_latin", Doc{.latin = R"("/" = { braille = "⠌", class = "Stop" })"},
                  "[table.punct.latin] \"/\": class \"Stop\" は [table.punct] classes に宣言されて"
                  "いません"},
        ErrorCase{"no_arrow", with_transition("kana - latin"),
                  "[transitions] \"kana - latin\": キーは \"クラス名 -> クラス名\" の形式で書いて"
                  "ください"},
        ErrorCase{"two_arrows", with_transition("kana -> latin -> digit"),
                  "[transitions] \"kana -> latin -> digit\": クラス \"latin -> digit\"" +
                      kUnknownClassTail},
        ErrorCase{"stars", with_transition("* -> *"),
                  "[transitions] \"* -> *\": 両側をワイルドカード \"*\" にはできません"},
        ErrorCase{"dot_star", with_transition(".* -> *"),
                  "[transitions] \".* -> *\": 両側をワイルドカード \"*\" にはできません"},
        ErrorCase{"empty_side", with_transition(" -> *"),
                  "[transitions] \" -> *\": 両側をワイルドカード \"*\" にはできません"},
        ErrorCase{"star_dot_star", with_transition("*.* -> kana"),
                  "[transitions] \"*.* -> kana\": クラス \"*\"" + kUnknownClassTail},
        ErrorCase{"unknown_to", with_transition("punct.jp.stop -> foo"),
                  "[transitions] \"punct.jp.stop -> foo\": クラス \"foo\"" + kUnknownClassTail},
        ErrorCase{"from_checked_first", with_transition("foo -> bar"),
                  "[transitions] \"foo -> bar\": クラス \"foo\"" + kUnknownClassTail},
        ErrorCase{"undeclared_path", with_transition("punct.jp.open -> kana"),
                  "[transitions] \"punct.jp.open -> kana\": クラス \"punct.jp.open\"" +
                      kUnknownClassTail},
        // Trimmed and normalised side in the message, the key as written.
        ErrorCase{"trimmed_side", with_transition("\u3000kanji.* ->kana"),
                  "[transitions] \"\u3000kanji.* ->kana\": クラス \"kanji\"" +
                      kUnknownClassTail}),
    [](const auto& info) { return std::string(info.param.label); });

struct ParseCase {
  const char* label;
  Doc doc;
  const char* mentions;  // a word the parser's message must contain
};

class ParseErrorTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseErrorTest, IsATomlError) {
  auto table = compile_japanese_table(GetParam().doc.text());
  ASSERT_FALSE(table.has_value());
  EXPECT_EQ(table.error().kind(), BrailleTableError::Kind::Toml);
  EXPECT_NE(table.error().payload().find(GetParam().mentions), std::string::npos)
      << table.error().payload();
  EXPECT_TRUE(table.error().display().starts_with("braille table parse error: "));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseErrorTest,
    ::testing::Values(
        ParseCase{"no_capital", Doc{.flags = "[flags.digit]\n[flags.foreign_word]\n"},
                  "flags.capital"},
        ParseCase{"negative_count", Doc{.transitions = R"("kana -> latin" = -1)"},
                  "non-negative"},
        ParseCase{"float_count", Doc{.transitions = R"("kana -> latin" = 1.0)"}, "non-negative"},
        ParseCase{"extra_key_in_entry",
                  Doc{.jp = R"("。" = { braille = "⠲", class = "stop", dots = "2" })"},
                  "PunctEntry"},
        ParseCase{"entry_without_braille", Doc{.jp = R"("。" = { class = "stop" })"},
                  "PunctEntry"},
        ParseCase{"entry_of_wrong_type", Doc{.latin = R"("/" = 3)"}, "PunctEntry"},
        ParseCase{"cells_not_string", Doc{.flags = "[flags.digit]\nentry_prefix = 1\n"
                                                   "[flags.foreign_word]\n[flags.capital]\n"},
                  "flags.digit.entry_prefix"},
        ParseCase{"classes_not_strings", Doc{.classes = "[1]"}, "classes"},
        ParseCase{"syntax", Doc{.jp = "\"。\" = "}, "line"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(JapaneseTable, MissingTableIsATomlError) {
  auto table = compile_japanese_table("[flags.digit]\n[flags.foreign_word]\n[flags.capital]\n");
  ASSERT_FALSE(table.has_value());
  EXPECT_EQ(table.error().kind(), BrailleTableError::Kind::Toml);
}

TEST(JapaneseTable, AcceptedForms) {
  Doc d{.classes = R"(["pause", "punct.jp"])",
        .jp = R"("。" = { braille = "⠲" })" "\n\"、\" = \"⠰\"",
        .transitions = "\"kana->latin\" = 1\n\"  kana  ->  latin \" = 2\n\"punct.* -> *\" = 3\n"
                       "\"* -> punct.jp.punct.jp\" = 4"};
  d.flags += "[extra]\nignored = true\n";
  auto compiled = compile_japanese_table(d.text());
  ASSERT_TRUE(compiled.has_value()) << compiled.error().display();
  const JapaneseTable& t = *compiled->japanese();
  EXPECT_FALSE(t.name.has_value());
  EXPECT_FALSE(compiled->name().has_value());
  EXPECT_FALSE(t.display_name.has_value());
  EXPECT_EQ(t.digit_flag, FlagCells{});
  EXPECT_EQ(t.foreign_word_flag, FlagCells{});
  EXPECT_EQ(t.capital_flag, CapitalFlagCells{});
  EXPECT_EQ(t.punct_jp.at("。"), (PunctCells{"⠲", "punct.jp"}));
  EXPECT_EQ(t.punct_jp.at("、"), (PunctCells{"⠰", "punct.jp"}));
  EXPECT_EQ(t.punct_latin.at("/"), (PunctCells{"⠌", "punct.latin.pause"}));
  std::vector<TransitionRule> rules = t.transitions;
  std::sort(rules.begin(), rules.end(),
            [](const auto& a, const auto& b) { return a.count < b.count; });
  EXPECT_EQ(rules, (std::vector<TransitionRule>{{"kana", "latin", 1},
                                                {"kana", "latin", 2},
                                                {"punct", "", 3},
                                                {"", "punct.jp.punct.jp", 4}}));
}

TEST(JapaneseTable, EmbeddedDocumentsHaveEveryEntry) {
  struct Expected {
    const char* name;
    const char* display_name;
    std::size_t latin_punct;
    std::size_t letters;
    const char* solidus;
  };
  const Expected expected[] = {{"japanese_grade1", "日本語１級", 13, 26, "⠌"},
                               {"japanese_no_conversion", "日本語無変換", 35, 52, "⠰⠌"}};
  for (std::size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(expected[i].name);
    const JapaneseTable& t = testing::embedded_japanese(i);
    EXPECT_EQ(t.name, expected[i].name);
    EXPECT_EQ(t.display_name, expected[i].display_name);
    EXPECT_EQ(t.transitions.size(), 18u);
    EXPECT_EQ(t.kana_compound.size(), 78u);
    EXPECT_EQ(t.kana_single.size(), 77u);
    EXPECT_EQ(t.punct_jp.size(), 95u);
    EXPECT_EQ(t.punct_latin.size(), expected[i].latin_punct);
    EXPECT_EQ(t.digits.size(), 20u);
    EXPECT_EQ(t.letters.size(), expected[i].letters);
    EXPECT_EQ(t.punct_jp.at("／"), (PunctCells{expected[i].solidus, "punct.jp.pause"}));
    EXPECT_EQ(t.kana_single.at("ヴ"), "⠐⠉");
    EXPECT_EQ(t.kana_compound.at("ヴァ"), "⠲⠥");
  }
  const JapaneseTable& g1 = testing::embedded_japanese(0);
  EXPECT_EQ(g1.digit_flag, (FlagCells{"⠼", "", "⠤", {".", ","}}));
  EXPECT_EQ(g1.foreign_word_flag, (FlagCells{"⠰", "", "", {}}));
  EXPECT_EQ(g1.capital_flag, (CapitalFlagCells{"⠠", "⠠⠠"}));
  EXPECT_EQ(g1.punct_jp.at("⑳"), (PunctCells{"⠶⠼⠃⠚⠶", "punct.jp"}));
  EXPECT_EQ(g1.punct_jp.at("㍰"), (PunctCells{"⠼⠃⠙⠐⠳", "punct.jp"}));
  const JapaneseTable& nc = testing::embedded_japanese(1);
  EXPECT_EQ(nc.digit_flag, FlagCells{});
  EXPECT_EQ(nc.capital_flag, CapitalFlagCells{});
  EXPECT_EQ(nc.letters.at("A"), "⡁");
  EXPECT_EQ(nc.letters.at("Z"), "⡵");
  EXPECT_EQ(nc.digits.at("０"), "⠴");
  EXPECT_EQ(nc.punct_latin.at("."), (PunctCells{"⠨", "punct.latin.stop"}));
}

TEST(BrailleTableError, DisplayAndDebug) {
  const BrailleTableError unknown = BrailleTableError::unknown_table("nonexistent");
  EXPECT_EQ(unknown.display(), "unknown embedded table: nonexistent");
  EXPECT_EQ(unknown.debug(), "UnknownTable(\"nonexistent\")");
  EXPECT_EQ(BrailleTableError::validation("x \"y\"").display(),
            "braille table validation error: x \"y\"");
  EXPECT_EQ(BrailleTableError::validation("m").debug(), "Validation(\"m\")");
  EXPECT_EQ(BrailleTableError::toml("bad").display(), "braille table parse error: bad");
  EXPECT_EQ(BrailleTableError::io("gone").display(), "braille table io error: gone");
}

}  // namespace
}  // namespace kotori::braille

namespace kotori::braille {
namespace {

// The example of the user reference compiles and translates as the text says.
TEST(JapaneseTable, ReferenceExampleCompiles) {
  std::ifstream in(std::string(KOTORI_SOURCE_DIR) + "/docs/braille-tables.md");
  ASSERT_TRUE(in.good());
  const std::string doc((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t begin = doc.find("```toml\n");
  ASSERT_NE(begin, std::string::npos);
  const std::size_t end = doc.find("```", begin + 8);
  auto table = compile_japanese_table(doc.substr(begin + 8, end - begin - 8));
  ASSERT_TRUE(table.has_value()) << table.error().display();
  EXPECT_EQ(table->name(), "tiny_kana");
  const JapaneseTranslator t = build_japanese_translator(*table->japanese());
  EXPECT_EQ(translate_japanese(t, "1ア。カ").braille, "⠼⠁⠤⠁⠲⠀⠀⠡");
}

}  // namespace
}  // namespace kotori::braille
