#include "core/classifier.h"

#include <gtest/gtest.h>

#include <cmath>
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

Classification run(const Model& m, const SingleCharDictionary& d, char32_t c, CharType type,
                   std::vector<std::uint32_t> columns) {
  ClassifierBuffers buffers(m);
  return classify(m, d, c, type, columns, buffers);
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

TEST(Logistic, ZeroIsOneHalf) {
  EXPECT_EQ(logistic(0.0f), 0.5f);
  EXPECT_EQ(logistic(-0.0f), 0.5f);
  EXPECT_GT(logistic(1e-3f), 0.5f);
  EXPECT_EQ(logistic(-200.0f), 0.0f);
  EXPECT_EQ(logistic(200.0f), 1.0f);
}

}  // namespace
}  // namespace kotori::core
