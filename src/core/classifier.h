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
// per-class scores, both of `n_classes` items, and the classes that the current unit's
// columns vote for. Between calls the accumulator is all zero and nothing is marked.
struct ClassifierBuffers {
  ClassifierBuffers() = default;
  explicit ClassifierBuffers(const Model& model) { size_for(model.n_classes); }

  void size_for(std::size_t n) {
    accumulator.assign(n, 0);
    scores.assign(n, 0.0f);
    marked.assign(n, 0);
    voted.clear();
    voted.reserve(n);
  }

  std::vector<std::int32_t> accumulator;
  std::vector<float> scores;
  std::vector<std::uint8_t> marked;   // 1 for the classes in `voted`
  std::vector<std::uint32_t> voted;   // classes with a stored weight in a column, first vote first
};

struct Classification {
  std::uint32_t class_index = 0;
  float score = 0.0f;  // raw linear score of that class

  friend bool operator==(const Classification&, const Classification&) = default;
};

// Chooses the class of a unit whose first character is `c` and whose type is `type`, from its
// feature columns. Kanji and digit units listed in `dictionary` are restricted to classes
// whose label is one of the listed readings (ties: lowest index); otherwise the best class
// over all (ties: highest index). A loaded model's class ranking lets only the classes that
// the columns vote for be scored (the others score what no vote gives them), and a restricted
// unit of a model whose columns are in row order only its candidate classes; a model without
// a ranking is scored class by class. Allocates nothing once the buffers have the model's class
// count. The model needs n_classes >= 1, as every loaded model has.
Classification classify(const Model& model, const SingleCharDictionary& dictionary, char32_t c,
                        CharType type, std::span<const std::uint32_t> columns,
                        ClassifierBuffers& buffers);

}  // namespace kotori::core
