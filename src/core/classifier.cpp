#include "core/classifier.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace kotori::core {
namespace {

// Calls `vote(row, weight)` for every stored entry of every known column; a column listed
// twice votes twice. Ranges are clamped to the stored entries so a hand-built model cannot be
// overread, and rows past `n` are ignored.
template <class Vote>
void for_each_vote(const Model& model, std::span<const std::uint32_t> columns, std::size_t n,
                   Vote&& vote) {
  const std::size_t stored = std::min(model.rowind.size(), model.weights.size());
  const std::size_t n_columns = model.colptr.empty() ? 0 : model.colptr.size() - 1;
  const std::size_t limit = std::min<std::size_t>(model.n_features, n_columns);
  const std::uint16_t* rows = model.rowind.data();
  const std::int8_t* weights = model.weights.data();
  for (std::uint32_t j : columns) {
    if (j >= limit) continue;
    const std::size_t end = std::min<std::size_t>(model.colptr[j + 1], stored);
    for (std::size_t i = model.colptr[j]; i < end; ++i) {
      if (rows[i] < n) vote(rows[i], weights[i]);
    }
  }
}

// Whether (k, s) beats the best so far, `best` (nullptr: nothing yet). A number beats NaN;
// equal scores go to the lower index when `lower_wins`, else to the higher.
bool beats(std::uint32_t k, float s, const Classification* best, bool lower_wins) {
  if (best == nullptr) return true;
  const bool nan = std::isnan(s);
  const bool best_nan = std::isnan(best->score);
  if (nan != best_nan) return best_nan;
  if (!nan && s != best->score) return s > best->score;
  return lower_wins ? k < best->class_index : k > best->class_index;
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

// --- every class scored ---------------------------------------------------------------------

// The accumulator is all zero on entry (see ClassifierBuffers) and is left so.
void score_all(const Model& model, ClassifierBuffers& b, std::span<const std::uint32_t> columns) {
  for_each_vote(model, columns, b.accumulator.size(),
                [&](std::uint16_t row, std::int8_t w) { b.accumulator[row] += w; });
  for (std::size_t k = 0; k < b.scores.size(); ++k) {
    b.scores[k] = class_score(b.accumulator[k], model.class_scale[k], model.class_bias[k]);
  }
  std::fill(b.accumulator.begin(), b.accumulator.end(), 0);
}

// Best class whose label is one of `readings`; the first of equal scores. Returns false when
// no label qualifies.
bool restricted_choice_all(const Model& model, std::span<const float> scores,
                           const std::vector<std::string>& readings, Classification& out) {
  const std::size_t n = std::min(scores.size(), model.labels.size());
  bool found = false;
  for (std::size_t k = 0; k < n; ++k) {
    if (!is_reading_of(model.labels[k], readings)) continue;
    if (beats(static_cast<std::uint32_t>(k), scores[k], found ? &out : nullptr, true)) {
      out = {static_cast<std::uint32_t>(k), scores[k]};
      found = true;
    }
  }
  return found;
}

// Best class over all; the last of equal scores; the last class when no score is a number.
Classification open_choice_all(std::span<const float> scores) {
  Classification best{static_cast<std::uint32_t>(scores.size() - 1), scores.back()};
  for (std::size_t k = scores.size(); k-- > 0;) {
    if (beats(static_cast<std::uint32_t>(k), scores[k], &best, false)) {
      best = {static_cast<std::uint32_t>(k), scores[k]};
    }
  }
  return best;
}

// --- only the classes voted for -------------------------------------------------------------

// Scores the classes the columns vote for, into b.scores, listing them in b.voted.
void score_voted(const Model& model, ClassifierBuffers& b, std::span<const std::uint32_t> columns) {
  for_each_vote(model, columns, b.accumulator.size(), [&](std::uint16_t row, std::int8_t w) {
    if (!b.marked[row]) {
      b.marked[row] = 1;
      b.voted.push_back(row);
    }
    b.accumulator[row] += w;
  });
  for (const std::uint32_t k : b.voted) {
    b.scores[k] = class_score(b.accumulator[k], model.class_scale[k], model.class_bias[k]);
  }
}

void clear_voted(ClassifierBuffers& b) {
  for (const std::uint32_t k : b.voted) {
    b.accumulator[k] = 0;
    b.marked[k] = 0;
  }
  b.voted.clear();
}

float score_of(const ClassRanking& ranking, const ClassifierBuffers& b, std::uint32_t k) {
  return b.marked[k] ? b.scores[k] : ranking.zero_score[k];
}

// Calls `visit(k)` for every class k whose label is one of `readings`, found in the ranking.
template <class Visit>
void for_each_labelled(const Model& model, const std::vector<std::string>& readings,
                       Visit&& visit) {
  const ClassRanking& ranking = model.class_ranking;
  const auto label_before = [&](std::uint32_t k, std::string_view r) {
    return std::string_view(model.labels[k]) < r;
  };
  for (const std::string& r : readings) {
    auto it = std::lower_bound(ranking.by_label.begin(), ranking.by_label.end(), r, label_before);
    for (; it != ranking.by_label.end() && model.labels[*it] == r; ++it) visit(*it);
  }
}

bool restricted_choice_voted(const Model& model, const ClassifierBuffers& b,
                             const std::vector<std::string>& readings, Classification& out) {
  bool found = false;
  for_each_labelled(model, readings, [&](std::uint32_t k) {
    const float s = score_of(model.class_ranking, b, k);
    if (beats(k, s, found ? &out : nullptr, true)) {
      out = {k, s};
      found = true;
    }
  });
  return found;
}

Classification open_choice_voted(const ClassRanking& ranking, const ClassifierBuffers& b) {
  Classification best;
  bool found = false;
  for (const std::uint32_t k : b.voted) {
    if (beats(k, b.scores[k], found ? &best : nullptr, false)) {
      best = {k, b.scores[k]};
      found = true;
    }
  }
  // The best class nobody voted for: the first unmarked one in the ranking.
  for (const std::uint32_t k : ranking.by_zero_score) {
    if (b.marked[k]) continue;
    if (beats(k, ranking.zero_score[k], found ? &best : nullptr, false)) {
      best = {k, ranking.zero_score[k]};
      found = true;
    }
    break;
  }
  if (!found || std::isnan(best.score)) {
    const std::uint32_t last = ranking.n - 1;
    return {last, score_of(ranking, b, last)};
  }
  return best;
}

// --- only a restricted unit's candidate classes ----------------------------------------------

// Lists in b.voted (and marks) the classes whose label is one of `readings`.
void mark_candidates(const Model& model, ClassifierBuffers& b,
                     const std::vector<std::string>& readings) {
  for_each_labelled(model, readings, [&](std::uint32_t k) {
    if (!b.marked[k]) {
      b.marked[k] = 1;
      b.voted.push_back(k);
    }
  });
}

// Sums the candidates' weights over the columns (rows ascending in each): a column not much
// longer than the candidate list is walked, a longer one searched for each candidate, so that
// the long columns of features every unit of a type shares cost a few probes, not a walk.
void score_candidates(const Model& model, ClassifierBuffers& b,
                      std::span<const std::uint32_t> columns) {
  const std::size_t stored = std::min(model.rowind.size(), model.weights.size());
  const std::size_t n_columns = model.colptr.empty() ? 0 : model.colptr.size() - 1;
  const std::size_t limit = std::min<std::size_t>(model.n_features, n_columns);
  const std::size_t n = b.accumulator.size();
  const std::size_t walk_up_to = 8 * b.voted.size();
  const std::uint16_t* rows = model.rowind.data();
  const std::int8_t* weights = model.weights.data();
  for (std::uint32_t j : columns) {
    if (j >= limit) continue;
    const std::size_t begin = std::min<std::size_t>(model.colptr[j], stored);
    const std::size_t end = std::min<std::size_t>(model.colptr[j + 1], stored);
    if (begin >= end) continue;
    if (end - begin <= walk_up_to) {
      for (std::size_t i = begin; i < end; ++i) {
        if (rows[i] < n && b.marked[rows[i]]) b.accumulator[rows[i]] += weights[i];
      }
      continue;
    }
    for (const std::uint32_t k : b.voted) {
      const std::uint16_t* at = std::lower_bound(rows + begin, rows + end, k);
      if (at != rows + end && *at == k) b.accumulator[k] += weights[at - rows];
    }
  }
  for (const std::uint32_t k : b.voted) {
    b.scores[k] = class_score(b.accumulator[k], model.class_scale[k], model.class_bias[k]);
  }
}

// Best candidate; the first of equal scores.
Classification candidate_choice(const ClassifierBuffers& b) {
  Classification best;
  bool found = false;
  for (const std::uint32_t k : b.voted) {
    if (beats(k, b.scores[k], found ? &best : nullptr, true)) {
      best = {k, b.scores[k]};
      found = true;
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
  if (buffers.accumulator.size() != n || buffers.scores.size() != n ||
      buffers.marked.size() != n) {
    buffers.size_for(n);
  }
  const std::vector<std::string>* readings = nullptr;
  if ((type == CharType::Kanji || type == CharType::Digit) && !dictionary.empty()) {
    readings = dictionary.lookup(c);
  }

  if (!model.class_ranking.covers(static_cast<std::uint32_t>(n))) {
    score_all(model, buffers, columns);
    Classification chosen;
    if (readings && restricted_choice_all(model, buffers.scores, *readings, chosen)) return chosen;
    return open_choice_all(buffers.scores);
  }

  if (readings && model.class_ranking.rows_ascending) {
    mark_candidates(model, buffers, *readings);
    if (!buffers.voted.empty()) {
      score_candidates(model, buffers, columns);
      const Classification chosen = candidate_choice(buffers);
      clear_voted(buffers);
      return chosen;
    }
  }

  score_voted(model, buffers, columns);
  Classification chosen;
  if (!(readings && restricted_choice_voted(model, buffers, *readings, chosen))) {
    chosen = open_choice_voted(model.class_ranking, buffers);
  }
  clear_voted(buffers);
  return chosen;
}

}  // namespace kotori::core
