#include "core/classifier.h"

#include <algorithm>
#include <string>

namespace kotori::core {
namespace {

// Integer sums over the stored entries of every known column; a column listed twice counts
// twice. Ranges are clamped to the stored entries so a hand-built model cannot be overread.
void accumulate(const Model& model, std::span<const std::uint32_t> columns,
                std::span<std::int32_t> acc) {
  std::fill(acc.begin(), acc.end(), 0);
  const std::size_t stored = std::min(model.rowind.size(), model.weights.size());
  const std::size_t n_columns = model.colptr.empty() ? 0 : model.colptr.size() - 1;
  const std::size_t limit = std::min<std::size_t>(model.n_features, n_columns);
  for (std::uint32_t j : columns) {
    if (j >= limit) continue;
    const std::size_t end = std::min<std::size_t>(model.colptr[j + 1], stored);
    const std::uint16_t* rows = model.rowind.data();
    const std::int8_t* weights = model.weights.data();
    for (std::size_t i = model.colptr[j]; i < end; ++i) {
      if (rows[i] < acc.size()) acc[rows[i]] += weights[i];
    }
  }
}

void score_classes(const Model& model, std::span<const std::int32_t> acc,
                   std::span<float> scores) {
  for (std::size_t k = 0; k < scores.size(); ++k) {
    scores[k] = static_cast<float>(acc[k]) * model.class_scale[k] + model.class_bias[k];
  }
}

// Called for every label of the model, so most labels must be dismissed without a memcmp:
// the length and then the last byte (the distinctive one of a UTF-8 kana) go first.
bool is_reading_of(const std::string& label, const std::vector<std::string>& readings) {
  for (const std::string& r : readings) {
    if (r.size() != label.size()) continue;
    if (r.empty() || (r.back() == label.back() && r == label)) return true;
  }
  return false;
}

// Best class whose label is one of `readings`; the first of equal scores. Returns false when
// no label qualifies. A NaN score never beats a number.
bool restricted_choice(const Model& model, std::span<const float> scores,
                       const std::vector<std::string>& readings, Classification& out) {
  const std::size_t n = std::min(scores.size(), model.labels.size());
  bool found = false;
  for (std::size_t k = 0; k < n; ++k) {
    if (!is_reading_of(model.labels[k], readings)) continue;
    const float s = scores[k];
    if (!found || s > out.score || (std::isnan(out.score) && !std::isnan(s))) {
      out = {static_cast<std::uint32_t>(k), s};
      found = true;
    }
  }
  return found;
}

// Best class over all; the last of equal scores. NaN scores lose to every number.
Classification open_choice(std::span<const float> scores) {
  Classification best{static_cast<std::uint32_t>(scores.size() - 1), scores.back()};
  bool have_number = !std::isnan(best.score);
  for (std::size_t k = scores.size(); k-- > 0;) {
    const float s = scores[k];
    if (std::isnan(s)) continue;
    if (!have_number || s > best.score) {
      best = {static_cast<std::uint32_t>(k), s};
      have_number = true;
    }
  }
  return best;
}

}  // namespace

Classification classify(const Model& model, const SingleCharDictionary& dictionary, char32_t c,
                        CharType type, std::span<const std::uint32_t> columns,
                        ClassifierBuffers& buffers) {
  const std::size_t n = std::min({static_cast<std::size_t>(model.n_classes),
                                  model.class_scale.size(), model.class_bias.size()});
  if (n == 0) return {};
  if (buffers.accumulator.size() != n) buffers.accumulator.resize(n);
  if (buffers.scores.size() != n) buffers.scores.resize(n);

  accumulate(model, columns, buffers.accumulator);
  score_classes(model, buffers.accumulator, buffers.scores);

  if ((type == CharType::Kanji || type == CharType::Digit) && !dictionary.empty()) {
    if (const std::vector<std::string>* readings = dictionary.lookup(c)) {
      Classification chosen;
      if (restricted_choice(model, buffers.scores, *readings, chosen)) return chosen;
    }
  }
  return open_choice(buffers.scores);
}

}  // namespace kotori::core
