#include "core/brackets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "common/utf8.h"
#include "core/normalise.h"
#include "core/predict.h"
#include "test_model.h"

namespace kotori::core {
namespace {

using testing::TinyModel;
using FT = FeatureType;

PredictionOutput run(const Model& model, std::string_view text) {
  const SingleCharDictionary none;
  return predict(model, none, 0.5f, text);
}

// Every index in range, the two maps consistent, confidences in [0, 1], every bracket and
// quote of the normalised text (ゝ may repeat one) kept in the reading.
void expect_sound(const PredictionOutput& out, std::string_view text) {
  SCOPED_TRACE(std::string(text));
  std::u32string source;
  for (std::size_t p = 0; p < out.source.size();) source += utf8::decode(out.source, p);
  const std::string normalised = normalise(text).text;
  std::u32string read_from;
  for (std::size_t p = 0; p < normalised.size();) read_from += utf8::decode(normalised, p);
  std::u32string kana;
  for (std::size_t p = 0; p < out.kana.size();) kana += utf8::decode(out.kana, p);
  ASSERT_EQ(out.source, text);
  ASSERT_EQ(out.confidences.size(), kana.size());
  ASSERT_EQ(out.kana_to_source.size(), kana.size());
  ASSERT_EQ(out.source_to_kana.size(), source.size());
  std::vector<int> seen(kana.size(), 0);
  for (std::size_t s = 0; s < source.size(); ++s) {
    for (std::uint32_t k : out.source_to_kana[s]) {
      ASSERT_LT(k, kana.size());
      EXPECT_EQ(out.kana_to_source[k], s);
      ++seen[k];
    }
  }
  for (std::size_t k = 0; k < kana.size(); ++k) {
    EXPECT_EQ(seen[k], 1) << "kana " << k;
    EXPECT_GE(out.confidences[k], 0.0f);
    EXPECT_LE(out.confidences[k], 1.0f);
  }
  constexpr std::u32string_view kBrackets = U"(（｛「『【‘“)）｝」』】’”";
  for (char32_t b : kBrackets) {
    EXPECT_EQ(std::count(read_from.begin(), read_from.end(), b),
              std::count(kana.begin(), kana.end(), b))
        << static_cast<std::uint32_t>(b);
  }
}

// 注 reads チュウ alone and ソソグ after an opening placeholder; 犬 reads ケン before a
// group placeholder.
Model note_model() {
  return TinyModel()
      .read(U"注", "チュウ")
      .vote(feature_key_ints(FT::CharPrev1Cur, kOpeningPlaceholder, U'注'), "ソソグ", 7.0f)
      .read(U"猫", "ネコ")
      .read(U"は", "ワ")
      .read(U"犬", "イヌ")
      .vote(feature_key_ints(FT::CharCurNext1, U'犬', kGroupPlaceholder), "ケン", 7.0f)
      .boundary_after(U"猫")
      .boundary_after(U"注")
      .build();
}

struct Case {
  std::string_view text;
  std::string_view kana;
  std::string_view source_segmented;
};

TEST(PredictText, GroupsSinglesAndQuotes) {
  const Case cases[] = {
      {"", "", ""},
      // A group is read on its own: no placeholder before 注.
      {"（注）", "（チュウ）", "（注）"},
      // Mismatched kinds form no group: single brackets, seen as placeholders.
      {"（注)", "（ソソグ)", "（注)"},
      {"「猫」", "「ネコ」", "「猫」"},
      // A separator after a closing bracket points at the bracket; a trailing one goes.
      {"「猫」は", "「ネコ」 ワ", "「猫」/は"},
      // The text around a group sees a group placeholder.
      {"犬（猫）", "ケン（ネコ）", "犬（猫）"},
      {"猫(猫(猫)猫)", "ネコ(ネコ(ネコ) ネコ)", "猫(猫(猫)/猫)"},
      // Unmatched openers stay as single brackets.
      {"((猫", "((ネコ", "((猫"},
      {"猫))", "ネコ))", "猫))"},
  };
  const Model m = note_model();
  for (const Case& c : cases) {
    const PredictionOutput out = run(m, c.text);
    EXPECT_EQ(out.kana, c.kana) << c.text;
    EXPECT_EQ(out.source_segmented, c.source_segmented) << c.text;
    expect_sound(out, c.text);
  }
}

TEST(PredictText, BracketsCarryFullConfidenceAndTheirOwnOffsets) {
  const PredictionOutput out = run(note_model(), "（注）");
  EXPECT_EQ(out.kana_to_source, (std::vector<std::uint32_t>{0, 1, 1, 1, 2}));
  EXPECT_FLOAT_EQ(out.confidences.front(), 1.0f);
  EXPECT_FLOAT_EQ(out.confidences.back(), 1.0f);
  EXPECT_FLOAT_EQ(out.confidences[1], testing::tiny_confidence(5.0f));
}

TEST(PredictText, MapsBackOntoTheCallersText) {
  const Model m = TinyModel().read(U"猫", "ネコ").boundary_after(U"猫").build();
  // Ａ１ folds to A1; the ligature ﬁ reads as two letters from one source character.
  const PredictionOutput wide = run(m, "Ａ１猫");
  EXPECT_EQ(wide.kana, "A1ネコ");
  EXPECT_EQ(wide.kana_to_source, (std::vector<std::uint32_t>{0, 1, 2, 2}));
  const PredictionOutput ligature = run(m, "ﬁ");
  EXPECT_EQ(ligature.kana, "fi");
  EXPECT_EQ(ligature.kana_to_source, (std::vector<std::uint32_t>{0, 0}));
  EXPECT_EQ(ligature.source_to_kana, (std::vector<std::vector<std::uint32_t>>{{0, 1}}));
  expect_sound(run(m, "「ﬁ」猫ゝ"), "「ﬁ」猫ゝ");
}

// Kana split by a bracket join into one unit of the reduced text while the context keeps
// them apart; every unit still gets exactly one feature list.
TEST(PredictText, KanaJoinedAcrossARemovedBracket) {
  const Model m = TinyModel().read(U"か", "カ").read(U"き", "キ").build();
  for (std::string_view text :
       {"か「ゃ」", "き（注）ゃ", "\uE000か\uE002「ゃ\uE001", "きゃ「「」"}) {
    expect_sound(run(m, text), text);
  }
}

// The caller's own placeholder characters do not shift the features of the others.
TEST(PredictText, CallersPlaceholdersStayAligned) {
  const Model m = note_model();
  EXPECT_EQ(run(m, "\uE000注").kana, "\uE000ソソグ");
  EXPECT_EQ(run(m, "「\uE001」注").kana, "「\uE001」チュウ");
}

TEST(PredictText, DeepNestingAndLongBracketRuns) {
  const Model m = TinyModel().read(U"猫", "ネコ").build();
  std::string nested;
  for (int i = 0; i < 10000; ++i) nested += "(";
  nested += "猫";
  for (int i = 0; i < 10000; ++i) nested += ")";
  const PredictionOutput out = run(m, nested);
  EXPECT_EQ(out.kana, std::string(10000, '(') + "ネコ" + std::string(10000, ')'));
  expect_sound(out, nested);

  std::string open(100000, '(');
  open += "猫";
  EXPECT_EQ(run(m, open).kana, std::string(100000, '(') + "ネコ");
}

// A model whose units of the alphabet vote for random labels (special labels included) with
// random scores, and whose boundaries fall at random.
Model random_model(std::u32string_view alphabet, std::mt19937& rng) {
  constexpr std::string_view kLabels[] = {"_", "---", "カ", "ャ", "2", "22", "タチ", "ネコ", ""};
  TinyModel m;
  for (char32_t c : alphabet) {
    const std::u32string unit(1, c);
    if (rng() % 2) m.read(unit, std::string(kLabels[rng() % 9]), (rng() % 120) / 10.0f - 5.0f);
    if (rng() % 3 == 0) m.boundary_after(unit);
    if (rng() % 4 == 0) {
      m.vote(feature_key_ints(FT::CharPrev1, kOpeningPlaceholder),
             std::string(kLabels[rng() % 9]));
    }
  }
  if (rng() % 4 == 0) m.boundary_everywhere();
  m.default_label(std::string(kLabels[rng() % 9]));
  return m.build();
}

TEST(PredictText, RandomKanaAndBrackets) {
  constexpr std::u32string_view kAlphabet =
      U"かきゃュッアャ猫日三十2 ()（）｛｝「」『』【】‘’“”\uE000\uE001\uE002ゝ々Ａ\u200B\u3099\u0301ヵ";
  std::mt19937 rng(20240611);
  for (int round = 0; round < 3000; ++round) {
    const Model m = random_model(kAlphabet, rng);
    for (int text_round = 0; text_round < 4; ++text_round) {
      std::string text;
      const int length = static_cast<int>(rng() % 14);
      for (int i = 0; i < length; ++i) utf8::append(text, kAlphabet[rng() % kAlphabet.size()]);
      expect_sound(run(m, text), text);
    }
    if (::testing::Test::HasFailure()) break;
  }
}

}  // namespace
}  // namespace kotori::core
