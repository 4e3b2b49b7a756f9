#include "core/result.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/utf8.h"

namespace kotori::core {
namespace {

using Lists = std::vector<std::vector<std::uint32_t>>;

// A prediction whose kana is written character by character, each with its source offset.
struct Piece {
  std::string_view kana;
  std::uint32_t source;
  float confidence = 0.75f;
};

CorePrediction prediction(std::string_view source, std::initializer_list<Piece> pieces) {
  CorePrediction p;
  p.source = std::string(source);
  for (const Piece& piece : pieces) {
    p.kana.append(piece.kana);
    p.kana_to_source.insert(p.kana_to_source.end(), piece.kana.size(), piece.source);
    p.confidence.insert(p.confidence.end(), piece.kana.size(), piece.confidence);
  }
  p.derive_source_to_kana();
  return p;
}

TEST(SourceToKana, DeriveAndRegroup) {
  // Kana bytes 0-2 from source byte 1, 3 from 0, 4 out of range.
  const SourceToKana derived = SourceToKana::derive(std::vector<std::uint32_t>{1, 1, 1, 0, 9}, 3);
  EXPECT_EQ(derived, SourceToKana::from_lists({{3}, {0, 1, 2}, {}}));
  // Old bytes 0 and 2 both land on new byte 0: their lists join in old byte order.
  const SourceToKana lists = SourceToKana::from_lists({{5}, {1}, {0, 2}});
  EXPECT_EQ(lists.regrouped(std::vector<std::uint32_t>{0, 1, 0}, 2),
            SourceToKana::from_lists({{5, 0, 2}, {1}}));
  EXPECT_TRUE(SourceToKana().of(0).empty());
}

struct ResultCase {
  const char* name;
  CorePrediction prediction;
  PredictionOutput expected;
};

TEST(BuildResult, WorkedPredictions) {
  const ResultCase cases[] = {
      {"empty", prediction("", {}), {}},
      {"a separator after a two-kanji word",
       prediction("吾輩は",
                  {{"ワ", 0}, {"ガ", 0}, {"ハ", 3}, {"イ", 3}, {" ", 3, 1.0f}, {"ワ", 6}}),
       {"吾輩は", "ワガハイ ワ", {0.75f, 0.75f, 0.75f, 0.75f, 1.0f, 0.75f}, "ワガ/ハイ/ /ワ",
        "吾輩/は", {0, 0, 1, 1, 1, 2}, Lists{{0, 1}, {2, 3, 4}, {5}}}},
      {"a source blank cuts after itself",
       prediction("猫 犬", {{"ネ", 0}, {"コ", 0}, {" ", 3}, {"イ", 4}, {"ヌ", 4}}),
       {"猫 犬", "ネコ イヌ", {0.75f, 0.75f, 0.75f, 0.75f, 0.75f}, "ネコ/ /イヌ", "猫 /犬",
        {0, 0, 1, 2, 2}, Lists{{0, 1}, {2}, {3, 4}}}},
      {"a blank after a kana unit cuts after its small kana",
       prediction("キャア", {{"キ", 0}, {"ャ", 0}, {" ", 0}, {"ア", 6}}),
       {"キャア", "キャ ア", {0.75f, 0.75f, 0.75f, 0.75f}, "キャ/ /ア", "キャ/ア", {0, 0, 0, 2},
        Lists{{0, 1, 2}, {}, {3}}}},
      {"ligature letters read from one character",
       prediction("ﬁ", {{"f", 0}, {"i", 0}}),
       {"ﬁ", "fi", {0.75f, 0.75f}, "fi", "ﬁ", {0, 0}, Lists{{0, 1}}}},
      {"offsets inside a character or past the end give index 0",
       prediction("猫あ", {{"ア", 4}, {"イ", 99}, {"ウ", 3}}),
       {"猫あ", "アイウ", {0.75f, 0.75f, 0.75f}, "ウ", "猫あ", {0, 0, 1}, Lists{{}, {2}}}},
      {"blanks at the same or an earlier place cut nothing",
       prediction("猫犬", {{"ネ", 0}, {" ", 0}, {" ", 0}, {"イ", 3}, {" ", 0}}),
       {"猫犬", "ネ  イ ", {0.75f, 0.75f, 0.75f, 0.75f, 0.75f}, "ネ/ / / /イ", "猫/犬",
        {0, 0, 0, 1, 0}, Lists{{0, 1, 2, 4}, {3}}}},
  };
  for (const ResultCase& c : cases) {
    EXPECT_EQ(build_result(c.prediction), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace kotori::core
