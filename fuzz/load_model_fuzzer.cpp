// Arbitrary bytes as a .kbm file. Loading must end in a model or an error; a model that loads
// must keep the loader's promises and predict a fixed text without fault.
#include <cstddef>
#include <cstdint>

#include "core/model/model.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/predict_check.h"

using kotori::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto& path = kotori::fuzz::scratch_file(".kbm");
  kotori::fuzz::write_file(path, data, size);
  auto loaded = kotori::core::load_model(path);
  if (!loaded) {
    check(!loaded.error().display().empty(), "every error has a display text");
    return 0;
  }
  const kotori::core::Model& m = *loaded;
  check(m.n_classes >= 1 && m.n_classes <= kotori::core::kMaxClasses, "class count in range");
  check(m.labels.size() == m.n_classes, "one label per class");
  check(m.class_scale.size() == m.n_classes && m.class_bias.size() == m.n_classes,
        "one scale and bias per class");
  check(m.colptr.size() == m.n_features + std::size_t{1}, "n_features + 1 column starts");
  check(m.colptr.back() == m.rowind.size() && m.rowind.size() == m.weights.size(),
        "colptr ends at n_nonzero");
  for (std::size_t j = 0; j + 1 < m.colptr.size(); ++j) {
    check(m.colptr[j] <= m.colptr[j + 1], "colptr non-decreasing");
  }
  for (std::uint16_t r : m.rowind) check(r < m.n_classes, "row index below n_classes");

  const kotori::core::PredictorRef predictor{m, m.single_char_table, 0.5f};
  kotori::fuzz::predict_checked(predictor,
                                "吾輩は猫である。名前は（まだ「無い」）。2024年3月5日、三百二十一円、"
                                "山田太郎さん々 ABC ｱｲｳ");
  return 0;
}
