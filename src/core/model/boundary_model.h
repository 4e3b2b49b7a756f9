#pragma once
// The word-boundary model: a quantised linear model or an ensemble of categorical trees.
#include <cstdint>
#include <expected>
#include <memory>
#include <span>
#include <variant>
#include <vector>

#include "core/model/feature_key.h"
#include "core/model/model_error.h"

namespace kotori::core {

class Reader;

struct TreeNode;

struct TreeLeaf {
  float value = 0.0f;
};

struct TreeSplit {
  std::uint32_t split_feature = 0;  // categorical column tested
  bool missing_first = false;       // a missing column goes to `first`
  std::vector<std::uint32_t> cats;  // as stored (writers store them ascending)
  std::unique_ptr<TreeNode> first;
  std::unique_ptr<TreeNode> second;
};

// A tree node; a split owns its two subtrees. Trees are at most 257 levels deep.
struct TreeNode {
  using Leaf = TreeLeaf;
  using Split = TreeSplit;
  std::variant<Leaf, Split> node;
};

inline constexpr std::uint32_t kMaxCatColumns = 64;
inline constexpr std::uint32_t kMaxTreeDepth = 256;

struct LinearBoundary {
  float weight_scale = 0.0f;
  std::vector<std::int8_t> weights;  // one per feature column (n_features items)
  float spare = 0.0f;                // held, not used by scoring
  float bias = 0.0f;
};

struct VocabularyEntry {
  FeatureKey key;
  std::uint32_t column_index = 0;  // below n_cat_columns (so at most 63)
  std::uint32_t category = 0;
};

struct TreeEnsemble {
  std::vector<VocabularyEntry> vocabulary;  // sorted stably by key
  std::vector<TreeNode> trees;              // root nodes, in stored order
};

struct BoundaryModel {
  using Linear = LinearBoundary;
  using Trees = TreeEnsemble;

  std::variant<Linear, Trees> form;

  // The score of one position from its feature keys; `features` is the model's sorted
  // feature table (consulted by the linear form only). Allocates nothing.
  // Defined with the boundary decisions, in boundary_model_score.cpp beside this file.
  float score(std::span<const FeatureKey> keys, std::span<const FeatureEntry> features) const;

  // The same score when the position's feature-table columns are already known: `columns`
  // must be what feature_columns gives for `keys` (the column of every key found, in key
  // order). The linear form then sums the weights of those columns without searching the
  // feature table again; the tree form reads the keys as above. Allocates nothing.
  float score_columns(std::span<const FeatureKey> keys,
                      std::span<const std::uint32_t> columns) const;
};

// Reads section 12 (tag and body) from `reader`; `n_features` sizes the linear weights.
std::expected<BoundaryModel, ModelError> read_boundary_model(Reader& reader,
                                                             std::uint32_t n_features);

}  // namespace kotori::core
