// Hostile texts and models through the whole prediction (normalise, predict_text, map back,
// build_result): every result must stay complete and its indices in range.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/utf8.h"
#include "core/brackets.h"
#include "core/model/model.h"
#include "core/normalise.h"
#include "core/result.h"
#include "model_file_builder.h"
#include "test_model.h"

namespace kotori::core {
namespace {

using testing::Bytes;
using testing::TinyModel;

const Model& fixture() {
  static const Model* m = new Model(TinyModel()
                                        .read(U"猫", "ネコ")
                                        .read(U"は", "ワ")
                                        .read(U"日", "ニチ")
                                        .boundary_after(U"猫")
                                        .name("山田", std::vector<std::string>{"ヤマ", "ダ"})
                                        .single(U'山', {"ヤマ"})
                                        .build());
  return *m;
}

// What Predictor.predict does, with the shape of the result checked.
PredictionOutput predict_checked(const Model& model, std::string_view text) {
  NormalisedText normalised = normalise(text);
  CorePrediction prediction =
      predict_text({model, model.single_char_table, 0.5f}, normalised.text);
  if (normalised.map) map_onto(prediction, text, *normalised.map);
  PredictionOutput out = build_result(prediction);
  EXPECT_EQ(out.source, text);
  const std::size_t kana_chars = utf8::count_chars(out.kana);
  const std::size_t source_chars = utf8::count_chars(out.source);
  EXPECT_EQ(out.confidences.size(), kana_chars);
  EXPECT_EQ(out.kana_to_source.size(), kana_chars);
  EXPECT_EQ(out.source_to_kana.size(), source_chars);
  bool in_range = true;
  for (std::uint32_t i : out.kana_to_source) in_range = in_range && i < source_chars;
  for (const auto& list : out.source_to_kana) {
    for (std::uint32_t k : list) in_range = in_range && k < kana_chars;
  }
  EXPECT_TRUE(in_range);
  return out;
}

std::string repeat(std::string_view piece, std::size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

struct HostileText {
  const char* name;
  std::string text;
};

class HostileTextTest : public ::testing::TestWithParam<HostileText> {};

TEST_P(HostileTextTest, GivesACompleteResult) { predict_checked(fixture(), GetParam().text); }

std::string every_code_point() {
  std::string out;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c < 0xD800 || c > 0xDFFF) utf8::append(out, c);
  }
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Adversarial, HostileTextTest,
    ::testing::Values(
        HostileText{"mixed_nesting", repeat("（「(｛『", 2000) + "猫" + repeat("』｝)」）", 2000)},
        HostileText{"unbalanced_closers_then_openers", repeat(")）｝", 5000) + repeat("(（｛", 5000)},
        HostileText{"interleaved_quotes", repeat("「(」)", 10000)},
        HostileText{"million_blanks", std::string(1000000, ' ')},
        HostileText{"million_ideographic_spaces", repeat("\u3000", 1000000)},
        HostileText{"blanks_around_words", repeat(" 猫 は\t日\n", 100000)},
        HostileText{"every_code_point", every_code_point()},
        HostileText{"iteration_marks_and_folds", repeat("々ゝゞヽヾ〃ｶﾞ①ﬁ⺟", 20000)},
        HostileText{"digit_run", repeat("1234567890", 100000)},
        HostileText{"kanji_numerals", repeat("一二三四五六七八九十百千万億兆", 20000)},
        HostileText{"names", repeat("山田山田山", 50000)}),
    [](const ::testing::TestParamInfo<HostileText>& info) { return info.param.name; });

TEST(Adversarial, TenMegabyteLine) {
  const std::string line = repeat("吾輩は猫である。名前は（まだ）無い。2024年 ABC ｱｲｳ 1,000円 ", 130000);
  ASSERT_GT(line.size(), 10u * 1000 * 1000);
  const PredictionOutput out = predict_checked(fixture(), line);
  EXPECT_NE(out.kana.find("ネコ"), std::string::npos);
}

// A file with 65 536 classes, the last of which has a label of 255 bytes; 猫 votes for it.
TEST(Adversarial, WidestModelReadsItsLongestLabel) {
  const std::string longest = repeat("ア", 85);  // 255 bytes
  ASSERT_EQ(longest.size(), 255u);
  testing::Parts p = testing::base_parts();
  p.header = testing::header(65536, 1);
  p.features = Bytes().key(feature_key_ints(FeatureType::CharCur, U'猫')).u32(0);
  Bytes labels, scales, biases;
  for (std::uint32_t i = 0; i + 1 < 65536; ++i) labels.str("イ");
  labels.str(longest);
  for (std::uint32_t i = 0; i < 65536; ++i) {
    scales.f32(1.0f);
    biases.f32(i == 0 ? 0.0f : -1.0f);
  }
  p.labels = labels;
  p.scales = scales;
  p.biases = biases;
  p.csc = Bytes().u32(1).u32s({0, 1}).u16(65535);
  p.weights = "\x64";  // +100 for the last class
  p.boundary = Bytes().u8(0).f32(0.0f).u8(0).f32(0.0f).f32(-5.0f);
  const auto model = load_model(testing::write_temp("widest.kbm", p.bytes()));
  ASSERT_TRUE(model) << model.error().display();
  EXPECT_EQ(predict_checked(*model, "猫").kana, longest);
  EXPECT_EQ(predict_checked(*model, "犬").kana, "イ");
}

// A boundary tree of the greatest depth a file may hold, walked at every position.
TEST(Adversarial, DeepestBoundaryTreeDecidesEveryPosition) {
  Bytes b;
  b.u8(1).u32(1);  // trees over one categorical column
  b.u32(1).key(feature_key_ints(FeatureType::CharCur, U'猫')).u32(0).u32(7);
  b.u32(1);
  // 256 splits, each sending category 7 one level down and everything else to a -10 leaf;
  // the node at depth 256 is a +10 leaf. Pre-order: split, its first subtree, its second.
  for (int depth = 0; depth < 256; ++depth) b.u8(1).u32(0).u8(0).u32(1).u32(7);
  b.u8(0).f32(10.0f);
  for (int depth = 0; depth < 256; ++depth) b.u8(0).f32(-10.0f);
  testing::Parts p = testing::base_parts();
  p.boundary = b;
  const auto model = load_model(testing::write_temp("deepest.kbm", p.bytes()));
  ASSERT_TRUE(model) << model.error().display();
  const PredictionOutput out = predict_checked(*model, repeat("猫漢", 20000));
  EXPECT_TRUE(out.source_segmented.starts_with("猫/漢猫/漢猫/")) << out.source_segmented.substr(0, 40);
}

}  // namespace
}  // namespace kotori::core
