// Arbitrary text through the whole prediction with a small fixed model that has votes for
// kanji and kana, word boundaries, names and single-character readings.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/model/model.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/predict_check.h"
#include "tests/cpp/core/test_model.h"

namespace {

const kotori::core::Model& fixture_model() {
  static const kotori::core::Model* model = [] {
    kotori::core::testing::TinyModel tiny;
    tiny.read(U"吾", "ワガ").read(U"輩", "ハイ").read(U"猫", "ネコ").read(U"は", "ワ", 1.0f)
        .read(U"で", "デ").read(U"あ", "ア").read(U"る", "ル").read(U"日", "ニチ")
        .read(U"本", "ホン").read(U"人", "ジン", 0.2f).read(U"きょ", "キョ").read(U"年", "ネン")
        .boundary_after(U"輩").boundary_after(U"は").boundary_after(U"猫")
        .no_boundary_after(U"日").default_label("")
        .name("山田", std::vector<std::string>{"ヤマ", "ダ"})
        .name("太郎", std::nullopt)
        .single(U'山', {"ヤマ", "サン"})
        .single(U'田', {"タ", "ダ"})
        .single(U'1', {"イチ"});
    return new kotori::core::Model(tiny.build());
  }();
  return *model;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text =
      kotori::fuzz::repaired_utf8(std::string_view(reinterpret_cast<const char*>(data), size));
  const kotori::core::Model& model = fixture_model();
  // A low threshold sends most digit runs through the rules, a high one most to the model.
  const float threshold = size % 2 ? 0.9f : 0.1f;
  kotori::fuzz::predict_checked({model, model.single_char_table, threshold}, text);
  return 0;
}
