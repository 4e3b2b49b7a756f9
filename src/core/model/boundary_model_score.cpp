// Scoring of one text position by the word-boundary model.
#include <array>
#include <cstdint>
#include <vector>

#include "core/model/boundary_model.h"

namespace kotori::core {
namespace {

constexpr std::size_t kSlots = 64;

float score_linear(const LinearBoundary& m, std::span<const FeatureKey> keys,
                   std::span<const FeatureEntry> features) {
  float s = m.bias;
  for (const FeatureKey& key : keys) {
    const FeatureEntry* e = find_last_by_key(features, key);
    if (e != nullptr && e->column < m.weights.size()) {
      s += static_cast<float>(m.weights[e->column]) * m.weight_scale;
    }
  }
  return s;
}

// The same sum over columns already found, in the same order, so the result is bit for bit
// the one of score_linear.
float score_linear_columns(const LinearBoundary& m, std::span<const std::uint32_t> columns) {
  float s = m.bias;
  const std::size_t n = m.weights.size();
  for (const std::uint32_t column : columns) {
    if (column < n) s += static_cast<float>(m.weights[column]) * m.weight_scale;
  }
  return s;
}

// The categorical row of one position: a category per column, `present` marking set slots.
struct Row {
  std::array<std::uint32_t, kSlots> category{};
  std::uint64_t present = 0;

  bool has(std::uint32_t column) const { return column < kSlots && (present >> column) & 1u; }
};

Row build_row(const TreeEnsemble& m, std::span<const FeatureKey> keys) {
  Row row;
  for (const FeatureKey& key : keys) {
    const VocabularyEntry* e = find_last_by_key<VocabularyEntry>(m.vocabulary, key);
    if (e == nullptr || e->column_index >= kSlots) continue;
    row.category[e->column_index] = e->category;  // a later key overwrites
    row.present |= std::uint64_t{1} << e->column_index;
  }
  return row;
}

// Binary search over the categories as stored (writers store them ascending); on an unsorted
// list it still ends after at most log2(n) probes and never reads out of range.
bool contains(const std::vector<std::uint32_t>& cats, std::uint32_t value) {
  std::size_t lo = 0;
  std::size_t hi = cats.size();
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (cats[mid] < value) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo < cats.size() && cats[lo] == value;
}

// Walks one tree from its root to a leaf; a missing child ends the walk with nothing added.
float walk(const TreeNode& root, const Row& row) {
  const TreeNode* node = &root;
  while (node != nullptr) {
    if (const TreeLeaf* leaf = std::get_if<TreeLeaf>(&node->node)) return leaf->value;
    const TreeSplit& split = std::get<TreeSplit>(node->node);
    bool go_first;
    if (!row.has(split.split_feature)) {
      go_first = split.missing_first;
    } else if (split.cats.empty()) {
      go_first = false;
    } else {
      go_first = contains(split.cats, row.category[split.split_feature]);
    }
    node = go_first ? split.first.get() : split.second.get();
  }
  return 0.0f;
}

float score_trees(const TreeEnsemble& m, std::span<const FeatureKey> keys) {
  const Row row = build_row(m, keys);
  float s = -0.0f;
  for (const TreeNode& tree : m.trees) s += walk(tree, row);
  return s;
}

}  // namespace

float BoundaryModel::score(std::span<const FeatureKey> keys,
                           std::span<const FeatureEntry> features) const {
  if (const LinearBoundary* linear = std::get_if<LinearBoundary>(&form)) {
    return score_linear(*linear, keys, features);
  }
  return score_trees(std::get<TreeEnsemble>(form), keys);
}

float BoundaryModel::score_columns(std::span<const FeatureKey> keys,
                                   std::span<const std::uint32_t> columns) const {
  if (const LinearBoundary* linear = std::get_if<LinearBoundary>(&form)) {
    return score_linear_columns(*linear, columns);
  }
  return score_trees(std::get<TreeEnsemble>(form), keys);
}

}  // namespace kotori::core
