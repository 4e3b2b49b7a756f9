#include "core/classifier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace kotori::core {
namespace {

struct Entry {
  std::uint16_t cls;
  std::int8_t weight;
};

// A model with one label, scale and bias per class and the given CSC columns.
Model make_model(std::vector<std::string> labels, std::vector<float> scale,
                 std::vector<float> bias, const std::vector<std::vector<Entry>>& columns) {
  Model m;
  m.n_classes = static_cast<std::uint32_t>(labels.size());
  m.n_features = static_cast<std::uint32_t>(columns.size());
  m.labels = std::move(labels);
  m.class_scale = std::move(scale);
  m.class_bias = std::move(bias);
  m.colptr.push_back(0);
  for (const auto& column : columns) {
    for (const Entry& e : column) {
      m.rowind.push_back(e.cls);
      m.weights.push_back(e.weight);
    }
    m.colptr.push_back(static_cast<std::uint32_t>(m.rowind.size()));
  }
  return m;
}

SingleCharDictionary dictionary(std::vector<SingleCharEntry> entries) {
  return SingleCharDictionary(std::move(entries));
}

// The classifier's tables of `m` (a model does not copy), with the indexes a loaded model has.
Model indexed_copy(const Model& m) {
  Model out;
  out.n_classes = m.n_classes;
  out.n_features = m.n_features;
  out.labels = m.labels;
  out.class_scale = m.class_scale;
  out.class_bias = m.class_bias;
  out.colptr = m.colptr;
  out.rowind = m.rowind;
  out.weights = m.weights;
  out.build_indexes();
  return out;
}

bool same(const Classification& a, const Classification& b) {
  return a.class_index == b.class_index &&
         (a.score == b.score || (std::isnan(a.score) && std::isnan(b.score)));
}

// Classifies with every class scored (a model as built by hand) and with only the voted
// classes scored (the same model with its indexes, as loaded); both must agree.
Classification run(const Model& m, const SingleCharDictionary& d, char32_t c, CharType type,
                   std::vector<std::uint32_t> columns) {
  ClassifierBuffers buffers(m);
  const Classification plain = classify(m, d, c, type, columns, buffers);
  const Model indexed = indexed_copy(m);
  const Classification fast = classify(indexed, d, c, type, columns, buffers);
  EXPECT_TRUE(same(plain, fast)) << plain.class_index << " " << plain.score << " vs "
                                 << fast.class_index << " " << fast.score;
  return plain;
}

TEST(Classify, AccumulatesIntegerSumsThenScalesPerClass) {
  // Column 0: class 1 += 2; column 1: class 0 += -128, class 0 += 127, class 2 += 5.
  const Model m = make_model({"ア", "イ", "ウ"}, {0.5f, 0.25f, -1.0f}, {0.0f, 1.0f, 3.0f},
                             {{{1, 2}}, {{0, -128}, {0, 127}, {2, 5}}});
  ClassifierBuffers buffers(m);
  const std::vector<std::uint32_t> columns = {0, 1, 0, 2, 99};  // 0 twice; 2 and 99 unknown
  const Classification got = classify(m, {}, U'山', CharType::Kanji, columns, buffers);
  EXPECT_EQ(buffers.scores, (std::vector<float>{-0.5f, 2.0f, -2.0f}));
  EXPECT_EQ(got, (Classification{1, 2.0f}));
}

TEST(Classify, EntriesBeforeFirstColumnAreNeverUsed) {
  Model m = make_model({"ア", "イ"}, {1.0f, 1.0f}, {0.0f, 0.0f}, {{{0, 9}, {1, 1}}});
  m.colptr = {1, 2};  // entry 0 belongs to no column
  EXPECT_EQ(run(m, {}, U'あ', CharType::Hiragana, {0}), (Classification{1, 1.0f}));
}

TEST(Classify, OpenChoiceTies) {
  const struct {
    const char* name;
    std::vector<float> bias;
    Classification expected;
  } cases[] = {
      {"highest bias", {0.1f, 0.7f, 0.3f}, {1, 0.7f}},
      {"last of equal", {0.7f, 0.7f, 0.3f}, {1, 0.7f}},
      {"last of all equal", {0.2f, 0.2f, 0.2f}, {2, 0.2f}},
      {"NaN never wins", {0.2f, NAN, -1.0f}, {0, 0.2f}},
      {"NaN last", {-1.0f, -3.0f, NAN}, {0, -1.0f}},
  };
  for (const auto& c : cases) {
    const Model m = make_model({"ア", "イ", "ウ"}, {1.0f, 1.0f, 1.0f}, c.bias, {});
    EXPECT_EQ(run(m, {}, U'山', CharType::Kanji, {}), c.expected) << c.name;
  }
}

TEST(Classify, DictionaryRestriction) {
  // Scores by bias: ナマ 5, セイ 1, ショウ 1, ナマ 0.
  const Model m = make_model({"ナマ", "セイ", "ショウ", "イ"}, {1, 1, 1, 1}, {5, 1, 1, 0}, {});
  const SingleCharDictionary d = dictionary({
      {U'生', {"セイ", "ショウ"}},
      {U'1', {"イチ", "イ"}},
      {U'山', {"ヤマ", "サン"}},  // no reading is a label
      {U'い', {"イ"}},
      {U'イ', {"イ"}},
      {U'一', {"イ"}},
  });
  const struct {
    const char* name;
    char32_t c;
    CharType type;
    Classification expected;
  } cases[] = {
      {"kanji: first of equal candidates", U'生', CharType::Kanji, {1, 1.0f}},
      {"digit restricted like a kanji", U'1', CharType::Digit, {3, 0.0f}},
      {"no reading is a label", U'山', CharType::Kanji, {0, 5.0f}},
      {"no entry", U'川', CharType::Kanji, {0, 5.0f}},
      {"hiragana never restricted", U'い', CharType::Hiragana, {0, 5.0f}},
      {"katakana never restricted", U'イ', CharType::Katakana, {0, 5.0f}},
      {"numeral kanji never restricted", U'一', CharType::KanjiNumeral, {0, 5.0f}},
  };
  for (const auto& c : cases) EXPECT_EQ(run(m, d, c.c, c.type, {}), c.expected) << c.name;
  EXPECT_EQ(run(m, SingleCharDictionary{}, U'生', CharType::Kanji, {}), (Classification{0, 5}));
}

TEST(Classify, BuffersAreResizedToTheModel) {
  const Model m = make_model({"ア", "イ"}, {1, 1}, {0, 2}, {});
  ClassifierBuffers buffers;  // empty
  EXPECT_EQ(classify(m, {}, U'あ', CharType::Hiragana, {}, buffers), (Classification{1, 2.0f}));
  EXPECT_EQ(buffers.scores.size(), 2u);
}

// Random small models full of ties, NaN and repeated labels: scoring only the voted classes
// chooses what scoring every class chooses, with buffers reused across units.
TEST(Classify, VotedClassesChooseLikeEveryClass) {
  std::mt19937 rng(7);
  const std::vector<std::string> pool = {"ア", "イ", "ウ", "---", "_", ""};
  const std::vector<float> biases = {0.0f, 1.0f, -1.0f, 0.5f, NAN};
  for (int round = 0; round < 600; ++round) {
    // Every other round has columns in row order, as the training tool writes them, with
    // columns long enough to be searched rather than walked for a restricted unit.
    const bool ascending = round % 2 == 1;
    const std::size_t n_classes = 1 + rng() % (ascending ? 40 : 8);
    const std::size_t n_columns = rng() % 5;
    std::vector<std::string> labels;
    std::vector<float> scale, bias;
    for (std::size_t k = 0; k < n_classes; ++k) {
      // Mostly labels of their own in the long rounds, so a restricted unit has few candidates.
      labels.push_back(ascending && rng() % 4 != 0 ? "ラ" + std::to_string(k)
                                                   : pool[rng() % pool.size()]);
      scale.push_back(rng() % 6 == 0 ? NAN : 0.5f * static_cast<float>(rng() % 3));
      bias.push_back(biases[rng() % biases.size()]);
    }
    std::vector<std::vector<Entry>> columns(n_columns);
    for (auto& column : columns) {
      for (std::size_t e = rng() % (ascending ? 30 : 4); e-- > 0;) {
        column.push_back({static_cast<std::uint16_t>(rng() % (n_classes + 1)),
                          static_cast<std::int8_t>(static_cast<int>(rng() % 5) - 2)});
      }
      if (ascending) {
        std::sort(column.begin(), column.end(),
                  [](const Entry& a, const Entry& b) { return a.cls < b.cls; });
        column.erase(std::unique(column.begin(), column.end(),
                                 [](const Entry& a, const Entry& b) { return a.cls == b.cls; }),
                     column.end());
      }
    }
    const Model plain = make_model(labels, scale, bias, columns);
    const Model indexed = indexed_copy(plain);
    if (ascending) ASSERT_TRUE(indexed.class_ranking.rows_ascending);
    const SingleCharDictionary d = dictionary({{U'山', {pool[rng() % pool.size()],
                                                        pool[rng() % pool.size()]}}});
    ClassifierBuffers shared;
    for (int unit = 0; unit < 4; ++unit) {
      std::vector<std::uint32_t> cols;
      for (std::size_t i = rng() % 4; i-- > 0;) cols.push_back(rng() % (n_columns + 1));
      const CharType type = rng() % 2 ? CharType::Kanji : CharType::Hiragana;
      ClassifierBuffers fresh(plain);
      const Classification a = classify(plain, d, U'山', type, cols, fresh);
      const Classification b = classify(indexed, d, U'山', type, cols, shared);
      ASSERT_TRUE(same(a, b)) << "round " << round << " unit " << unit << ": " << a.class_index
                              << " " << a.score << " vs " << b.class_index << " " << b.score;
    }
  }
}

TEST(Logistic, ZeroIsOneHalf) {
  EXPECT_EQ(logistic(0.0f), 0.5f);
  EXPECT_EQ(logistic(-0.0f), 0.5f);
  EXPECT_GT(logistic(1e-3f), 0.5f);
  EXPECT_EQ(logistic(-200.0f), 0.0f);
  EXPECT_EQ(logistic(200.0f), 1.0f);
}

}  // namespace
}  // namespace kotori::core
