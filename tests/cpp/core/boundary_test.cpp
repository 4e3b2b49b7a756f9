#include "core/boundary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace kotori::core {
namespace {

using FT = FeatureType;

const FeatureKey kA = feature_key_ints(FT::CharCur, U'あ');
const FeatureKey kB = feature_key_ints(FT::CharCur, U'い');
const FeatureKey kC = feature_key_types(FT::TypeCur, 0x40);
const FeatureKey kUnknown = feature_key_ints(FT::CharCur, U'ん');

Model linear_model(float bias, std::vector<std::int8_t> weights, float scale,
                   std::vector<FeatureEntry> features) {
  Model m;
  m.n_classes = 1;
  m.n_features = static_cast<std::uint32_t>(weights.size());
  m.features = std::move(features);
  m.boundary_model.form = LinearBoundary{.weight_scale = scale,
                                         .weights = std::move(weights),
                                         .spare = 123.0f,
                                         .bias = bias};
  return m;
}

TreeNode leaf(float value) { return TreeNode{TreeLeaf{value}}; }

TreeNode split(std::uint32_t column, bool missing_first, std::vector<std::uint32_t> cats,
               TreeNode first, TreeNode second) {
  TreeSplit s;
  s.split_feature = column;
  s.missing_first = missing_first;
  s.cats = std::move(cats);
  s.first = std::make_unique<TreeNode>(std::move(first));
  s.second = std::make_unique<TreeNode>(std::move(second));
  return TreeNode{std::move(s)};
}

Model tree_model(std::vector<VocabularyEntry> vocabulary, std::vector<TreeNode> trees) {
  Model m;
  m.n_classes = 1;
  TreeEnsemble e;
  e.vocabulary = std::move(vocabulary);
  e.trees = std::move(trees);
  m.boundary_model.form = std::move(e);
  return m;
}

float score(const Model& m, std::vector<FeatureKey> keys) {
  return m.boundary_model.score(keys, m.features);
}

TEST(BoundaryScore, Linear) {
  // Sorted by key. Columns: kA → 0, kB → 1 (stored twice; the later entry wins), kC → 5 (no weight).
  const Model m = linear_model(0.25f, {4, -2, 100}, 0.5f,
                               {{kC, 5}, {kA, 0}, {kB, 2}, {kB, 1}});
  EXPECT_EQ(score(m, {}), 0.25f);
  EXPECT_EQ(score(m, {kUnknown, kC}), 0.25f);
  EXPECT_EQ(score(m, {kA}), 2.25f);
  EXPECT_EQ(score(m, {kA, kB}), 1.25f);
  EXPECT_EQ(score(m, {kB, kB}), -1.75f);  // every occurrence counts
}

TEST(BoundaryScore, ZeroTreesScoreNegativeZeroAndMeanOneHalf) {
  const Model m = tree_model({{kA, 0, 1}}, {});
  const float s = score(m, {kA});
  EXPECT_EQ(s, 0.0f);
  EXPECT_TRUE(std::signbit(s));
  EXPECT_EQ(boundary_probability(m, std::vector<FeatureKey>{kA}), 0.5f);
}

TEST(BoundaryScore, TreeWalks) {
  // Vocabulary: kA sets column 3 to 7, kB sets column 3 to 9, kC sets column 70 (ignored).
  const std::vector<VocabularyEntry> vocabulary = {{kC, 70, 1}, {kA, 3, 7}, {kB, 3, 9}};
  auto make = [&](std::uint32_t column, bool missing_first, std::vector<std::uint32_t> cats) {
    std::vector<TreeNode> trees;
    trees.push_back(split(column, missing_first, std::move(cats), leaf(1.0f), leaf(2.0f)));
    trees.push_back(leaf(0.5f));  // a single leaf adds its value everywhere
    return tree_model(vocabulary, std::move(trees));
  };
  const Model in_cats = make(3, false, {2, 7, 11});
  const Model missing_first = make(3, true, {7});
  const Model no_cats = make(3, true, {});
  const Model high_column = make(64, true, {7});
  const Model unsorted = make(3, false, {9, 7, 1});  // searched as stored

  const struct {
    const char* name;
    const Model* model;
    std::vector<FeatureKey> keys;
    float expected;
  } cases[] = {
      {"category in cats", &in_cats, {kA}, 1.5f},
      {"category not in cats", &in_cats, {kB}, 2.5f},
      {"later key overwrites", &in_cats, {kA, kB}, 2.5f},
      {"later key overwrites back", &in_cats, {kB, kA}, 1.5f},
      {"missing goes second", &in_cats, {kUnknown}, 2.5f},
      {"column above 63 never set", &in_cats, {kC}, 2.5f},
      {"missing goes first", &missing_first, {}, 1.5f},
      {"empty cats send a present column second", &no_cats, {kA}, 2.5f},
      {"empty cats: missing follows its direction", &no_cats, {}, 1.5f},
      {"split column above 63 is missing", &high_column, {kA}, 1.5f},
      {"unsorted: probe misses 9", &unsorted, {kB}, 2.5f},
  };
  for (const auto& c : cases) EXPECT_EQ(score(*c.model, c.keys), c.expected) << c.name;
}

TEST(BoundaryScore, DeepChainIsWalkedIteratively) {
  TreeNode node = leaf(4.0f);
  for (int depth = 0; depth < 256; ++depth) {
    node = split(0, true, {}, std::move(node), leaf(-1.0f));
  }
  std::vector<TreeNode> trees;
  trees.push_back(std::move(node));
  const Model m = tree_model({}, std::move(trees));
  EXPECT_EQ(score(m, {kA}), 4.0f);
}

struct U {
  char32_t first;
  CharType type;
};

std::vector<TextUnit> make_units(std::initializer_list<U> list) {
  std::vector<TextUnit> units;
  for (const U& u : list) units.push_back(TextUnit{.first = u.first, .type = u.type});
  return units;
}

TEST(NeedsSeparator, ModelDecidesExceptInsideLatinAndDigitRuns) {
  constexpr auto L = CharType::Latin;
  constexpr auto D = CharType::Digit;
  const Model boundary = linear_model(2.0f, {}, 1.0f, {});
  const Model exactly_half = linear_model(0.0f, {}, 1.0f, {});
  const Model no_boundary = linear_model(-2.0f, {}, 1.0f, {});
  const struct {
    const char* name;
    const Model* model;
    std::vector<TextUnit> units;
    std::size_t i;
    bool expected;
  } cases[] = {
      {"letter before letter", &boundary, make_units({{'A', L}, {'B', L}}), 0, false},
      {"letter before hiragana", &boundary, make_units({{'A', L}, {U'の', CharType::Hiragana}}),
       0, true},
      {"letter before hiragana, low p", &no_boundary,
       make_units({{'A', L}, {U'の', CharType::Hiragana}}), 0, false},
      {"score zero is a boundary", &exactly_half, make_units({{U'山', CharType::Kanji}}), 0,
       true},
      {"letter before digit", &boundary, make_units({{'c', L}, {'1', D}}), 0, false},
      {"digit before fullwidth digit", &boundary, make_units({{'1', D}, {U'２', D}}), 0, false},
      {"digit before ASCII comma", &boundary,
       make_units({{'1', D}, {',', CharType::Comma}}), 0, false},
      {"digit before ideographic comma", &boundary,
       make_units({{'1', D}, {U'、', CharType::Comma}}), 0, true},
      {"letter before ASCII period", &boundary,
       make_units({{'a', L}, {'.', CharType::SentenceEnd}}), 0, false},
      {"digit before e acute", &boundary, make_units({{'1', D}, {0xE9, CharType::Other}}), 0,
       false},
      {"digit before soft hyphen", &boundary,
       make_units({{'1', D}, {0xAD, CharType::Invisible}}), 0, true},
      {"letter before no-break space", &boundary,
       make_units({{'a', L}, {0xA0, CharType::Whitespace}}), 0, true},
      {"letter before space", &boundary, make_units({{'a', L}, {' ', CharType::Whitespace}}), 0,
       true},
      {"last letter", &boundary, make_units({{'a', L}}), 0, true},
      {"kanji before letter", &boundary, make_units({{U'山', CharType::Kanji}, {'A', L}}), 0,
       true},
      {"out of range", &boundary, make_units({{'a', L}}), 1, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(needs_separator(*c.model, c.units, std::span<const FeatureKey>{}, c.i), c.expected)
        << c.name;
  }
}

TEST(NeedsSeparator, ReadsTheUnitsOwnKeyList) {
  // Only the key of the hiragana unit あ carries a boundary.
  const Model m = linear_model(-1.0f, {8}, 1.0f, {{kA, 0}});
  std::vector<TextUnit> units = make_units({{U'あ', CharType::Hiragana},
                                            {U'い', CharType::Hiragana}});
  const FeatureLists lists = unit_features(units, {});
  EXPECT_FALSE(needs_separator(m, units, lists, 1));
  FeatureLists only_a;
  only_a.clear();
  only_a.push(kA);
  only_a.end_unit();
  EXPECT_TRUE(needs_separator(m, units, only_a, 0));
  EXPECT_GT(boundary_probability(m, only_a.unit(0)), 0.99f);
}

}  // namespace
}  // namespace kotori::core
