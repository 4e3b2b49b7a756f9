#include "core/pipeline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/result.h"
#include "test_model.h"

namespace kotori::core {
namespace {

using testing::TinyModel;
using testing::tiny_confidence;

PredictionOutput read(const Model& model, std::string_view text, float threshold = 0.5f) {
  const SingleCharDictionary none;
  return build_result(predict_units(PredictorRef{model, none, threshold}, text));
}

struct Case {
  std::string_view text;
  std::string_view kana;
  std::string_view source_segmented;
};

void expect_cases(const Model& model, std::initializer_list<Case> cases, float threshold = 0.5f) {
  for (const Case& c : cases) {
    const PredictionOutput out = read(model, c.text, threshold);
    EXPECT_EQ(out.kana, c.kana) << c.text;
    EXPECT_EQ(out.source_segmented, c.source_segmented) << c.text;
  }
}

TEST(PredictUnits, EmptyText) {
  const PredictionOutput out = read(TinyModel().build(), "");
  EXPECT_EQ(out, PredictionOutput{});
}

TEST(PredictUnits, WordsSeparatorsAndTrailingBlanks) {
  const Model m = TinyModel()
                      .read(U"吾", "ワガ")
                      .read(U"輩", "ハイ")
                      .read(U"は", "ワ")
                      .read(U"猫", "ネコ")
                      .read(U"犬", "イヌ")
                      .boundary_after(U"輩")
                      .boundary_after(U"は")
                      .boundary_after(U"猫")
                      .build();
  expect_cases(m, {
                      // The blank after a two-kanji word points at its last kanji.
                      {"吾輩は猫", "ワガハイ ワ ネコ", "吾輩/は/猫"},
                      // A trailing word boundary writes no blank; a source blank stays.
                      {"猫", "ネコ", "猫"},
                      {"猫 ", "ネコ ", "猫 "},
                      // A blank copied from the source cuts after itself.
                      {"犬 犬", "イヌ イヌ", "犬 /犬"},
                  });
  const PredictionOutput out = read(m, "吾輩は");
  EXPECT_EQ(out.segmented, "ワガ/ハイ/ /ワ");
  EXPECT_EQ(out.kana_to_source, (std::vector<std::uint32_t>{0, 0, 1, 1, 1, 2}));
  EXPECT_EQ(out.source_to_kana, (std::vector<std::vector<std::uint32_t>>{{0, 1}, {2, 3, 4}, {5}}));
  for (std::size_t k = 0; k < out.confidences.size(); ++k) {
    EXPECT_FLOAT_EQ(out.confidences[k], tiny_confidence(5.0f)) << k;
  }
}

TEST(PredictUnits, CopiesAndKatakana) {
  const Model m = TinyModel().boundary_after(U"ア").boundary_after(U"キャ").build();
  expect_cases(m, {
                      // Symbols, blanks and unknown characters are copied without a blank.
                      {"、。!ｱ", "、。!ｱ", "、。!ｱ"},
                      // Katakana is copied; a boundary after it writes a blank.
                      {"アイ", "ア イ", "ア/イ"},
                      // The cut after a joined unit comes after its small kana.
                      {"キャア", "キャ ア", "キャ/ア"},
                      // Invisible characters write nothing.
                      {"ア\u200Bイ", "ア イ", "ア/\u200Bイ"},
                  });
  const PredictionOutput out = read(m, "アイ");
  EXPECT_EQ(out.confidences, (std::vector<float>{1.0f, 1.0f, 1.0f}));
}

TEST(PredictUnits, HiraganaKeepsItsOwnReading) {
  const Model m = TinyModel()
                      .read(U"は", "ワ")
                      .read(U"へ", "エ")
                      .read(U"う", "ー")
                      .read(U"き", "ギ")
                      .read(U"きゃ", "キャ")
                      .read(U"ば", "ワ")
                      .build();
  expect_cases(m, {
                      {"は", "ワ", "は"},
                      {"へ", "エ", "へ"},
                      {"う", "ー", "う"},
                      {"き", "キ", "き"},        // a label that is not the kana itself
                      {"ば", "バ", "ば"},        // ワ only for は
                      {"きゃ", "キャ", "きゃ"},  // a unit of two characters
                      {"を", "ヲ", "を"},        // the default label is empty
                  });
}

TEST(PredictUnits, IterationMarkRepeatsOrVoicesThePreviousKanji) {
  const auto model = [](std::string label) {
    return TinyModel().read(U"人", "ヒト").read(U"々", label).build();
  };
  expect_cases(model("ビト"), {{"人々", "ヒトビト", "人々"}});
  expect_cases(model("ヒト"), {{"人々", "ヒトヒト", "人々"}});
  expect_cases(model("ジン"), {{"人々", "ヒトヒト", "人々"}});
  // A reading that holds a voiced kana already is not voiced again.
  const Model voiced = TinyModel().read(U"風", "カゼ").read(U"々", "ガゼ").build();
  expect_cases(voiced, {{"風々", "カゼカゼ", "風々"}});
  // Without a kanji before it, 々 takes its label.
  expect_cases(model("ビト"), {{"々", "ビト", "々"}});
}

TEST(PredictUnits, DigitRunsWithDaysAndCounters) {
  const Model m = TinyModel()
                      .read(U"日", "カ")
                      .read(U"2", "フツ")
                      .read(U"5", "5")
                      .read(U"7", "8")
                      .read(U"匹", "ヒキ")
                      .read(U"猫", "ネコ")
                      .boundary_after(U"日")
                      .boundary_after(U"匹")
                      .boundary_after(U"5")
                      .build();
  expect_cases(m, {
                      {"20日", "ハツカ", "20日"},    // day rule, the digits read with the day
                      {"14日", "14カ", "14日"},      // day rule, digits kept
                      {"2日", "フツカ", "2日"},      // one digit: the classifier's word reading
                      {"3匹", "3ビキ", "3匹"},       // counter rule
                      {"3匹猫", "3ビキ ネコ", "3匹/猫"},  // its separator points at the counter
                      {"5", "5", "5"},               // a digit label equal to the digit
                      {"7", "7", "7"},               // a digit label that is another digit
                  });
  // A day rule that does not hold for the label leaves the digits to the classifier.
  const Model nichi = TinyModel().read(U"日", "ビ").read(U"2", "フツ").build();
  expect_cases(nichi, {{"2日", "2ビ", "2日"}, {"12日", "12ビ", "12日"}});
  // A value of 2^32 or more abandons the rules.
  expect_cases(m, {{"4294967296匹", "4294967296ヒキ", "4294967296匹"}});
}

TEST(PredictUnits, NumeralKanjiUnderTheThreshold) {
  const Model m = TinyModel().read(U"三", "サン", 0.0f).read(U"百", "ビャク", 3.0f).build();
  const float low = tiny_confidence(0.0f);  // 0.5
  expect_cases(m, {{"三", "3", "三"}}, low + 0.1f);
  expect_cases(m, {{"三", "サン", "三"}}, low);
  expect_cases(m, {{"三", "サン", "三"}}, 0.0f);  // a threshold of 0 never uses the rule
  expect_cases(m, {{"三百", "300", "三百"}}, 0.99f);
}

TEST(PredictUnits, SilentAndContinuedUnits) {
  const Model m = TinyModel()
                      .read(U"蛙", "カエル")
                      .read(U"る", "---")
                      .read(U"吉", "キ")
                      .read(U"ゃ", "---")
                      .read(U"茶", "チャ")
                      .read(U"御", "_")
                      .read(U"ア", "ア")
                      .boundary_after(U"吉")
                      .boundary_after(U"茶")
                      .build();
  expect_cases(m, {
                      {"蛙る", "カエル", "蛙る"},
                      // The small kana goes before the blank that followed the kanji.
                      {"吉ゃア", "キャ ア", "吉/ゃア"},
                      // A reading that has a small kana already takes no second one.
                      {"茶ゃア", "チャ ア", "茶/ゃア"},
                      {"御茶", "チャ", "御茶"},
                      // Without a kanji before it, "---" copies the character.
                      {"る", "る", "る"},
                  });
}

TEST(PredictUnits, NameReadingUnderLowConfidence) {
  const auto model = [](float score) {
    return TinyModel()
        .read(U"山", "サン", score)
        .read(U"田", "タ", score)
        .name("山田", std::vector<std::string>{"ヤマ", "ダ"})
        .build();
  };
  expect_cases(model(-1.0f), {{"山田", "ヤマダ", "山田"}});
  expect_cases(model(2.0f), {{"山田", "サンタ", "山田"}});
}

TEST(PredictUnits, LatinRunsStayTogether) {
  const Model m = TinyModel().boundary_everywhere().build();
  expect_cases(m, {{"ab", "ab", "ab"}});
}

}  // namespace
}  // namespace kotori::core
