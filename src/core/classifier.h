#pragma once
// The sparse linear reading classifier over one unit's feature columns.
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "core/char_type.h"
#include "core/model/model.h"
#include "core/model/single_char_dictionary.h"

namespace kotori::core {

// 1 / (1 + e^(-s)) in single precision: scores become confidences and probabilities.
inline float logistic(float s) { return 1.0f / (1.0f + std::exp(-s)); }

// Working buffers of one text, reused for every unit: the integer accumulator and the
// per-class scores, both of `n_classes` items.
struct ClassifierBuffers {
  ClassifierBuffers() = default;
  explicit ClassifierBuffers(const Model& model)
      : accumulator(model.n_classes), scores(model.n_classes) {}

  std::vector<std::int32_t> accumulator;
  std::vector<float> scores;
};

struct Classification {
  std::uint32_t class_index = 0;
  float score = 0.0f;  // raw linear score of that class

  friend bool operator==(const Classification&, const Classification&) = default;
};

// Chooses the class of a unit whose first character is `c` and whose type is `type`, from its
// feature columns. Kanji and digit units listed in `dictionary` are restricted to classes
// whose label is one of the listed readings (ties: lowest index); otherwise the best class
// over all (ties: highest index). Fills `buffers.scores`; allocates nothing once the buffers
// have the model's class count. The model needs n_classes >= 1, as every loaded model has.
Classification classify(const Model& model, const SingleCharDictionary& dictionary, char32_t c,
                        CharType type, std::span<const std::uint32_t> columns,
                        ClassifierBuffers& buffers);

}  // namespace kotori::core
