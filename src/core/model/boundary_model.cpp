// Reading of the boundary model section; scoring lives in boundary_model_score.cpp.
#include "core/model/boundary_model.h"

#include <algorithm>
#include <string>
#include <utility>

#include "core/model/reader.h"

namespace kotori::core {
namespace {

using std::to_string;

constexpr std::size_t kMinVocabularyEntryBytes = 9;  // kind byte + column_index + category
constexpr std::size_t kMinNodeBytes = 5;             // leaf: tag + value

template <class T>
std::unexpected<ModelError> fail(std::expected<T, ModelError>& r) {
  return std::unexpected(std::move(r.error()));
}

std::unexpected<ModelError> corrupt(std::string detail) {
  return std::unexpected(ModelError::corrupt(std::move(detail)));
}

std::expected<LinearBoundary, ModelError> read_linear(Reader& reader, std::uint32_t n_features) {
  LinearBoundary linear;
  auto scale = reader.f32();
  if (!scale) return fail(scale);
  linear.weight_scale = *scale;
  if (auto r = reader.array(n_features, linear.weights); !r) return fail(r);
  auto spare = reader.f32();
  if (!spare) return fail(spare);
  linear.spare = *spare;
  auto bias = reader.f32();
  if (!bias) return fail(bias);
  linear.bias = *bias;
  return linear;
}

// One node and its subtrees, pre-order. Recursion is bounded by kMaxTreeDepth.
std::expected<TreeNode, ModelError> read_node(Reader& reader, std::uint32_t n_cat_columns,
                                              std::uint32_t depth) {
  if (depth > kMaxTreeDepth) {
    return corrupt("境界モデルの木が深すぎます（上限 " + to_string(kMaxTreeDepth) +
                   "）。壊れたファイルの可能性があります。");
  }
  auto tag = reader.u8();
  if (!tag) return fail(tag);
  if (*tag == 0) {
    auto value = reader.f32();
    if (!value) return fail(value);
    return TreeNode{TreeLeaf{*value}};
  }
  if (*tag != 1) return corrupt("境界モデルの木の node_tag が不正です: " + to_string(*tag));

  TreeSplit split;
  auto feature = reader.u32();
  if (!feature) return fail(feature);
  if (*feature >= n_cat_columns) {
    return corrupt("境界モデルのsplit_feature=" + to_string(*feature) +
                   "がn_cat_columns=" + to_string(n_cat_columns) + "以上です");
  }
  split.split_feature = *feature;
  auto missing = reader.u8();
  if (!missing) return fail(missing);
  split.missing_first = *missing != 0;
  auto n_cats = reader.u32();
  if (!n_cats) return fail(n_cats);
  if (*n_cats > kMaxCount) {
    return corrupt("境界モデルのn_cats=" + to_string(*n_cats) + "が大きすぎます（上限 " +
                   to_string(kMaxCount) + "）");
  }
  if (auto r = reader.array(*n_cats, split.cats); !r) return fail(r);
  auto first = read_node(reader, n_cat_columns, depth + 1);
  if (!first) return fail(first);
  split.first = std::make_unique<TreeNode>(std::move(*first));
  auto second = read_node(reader, n_cat_columns, depth + 1);
  if (!second) return fail(second);
  split.second = std::make_unique<TreeNode>(std::move(*second));
  return TreeNode{std::move(split)};
}

std::expected<TreeEnsemble, ModelError> read_trees(Reader& reader) {
  auto n_cat_columns = reader.u32();
  if (!n_cat_columns) return fail(n_cat_columns);
  auto n_vocabulary = reader.u32();
  if (!n_vocabulary) return fail(n_vocabulary);
  if (*n_vocabulary > kMaxCount) {
    return corrupt("境界モデルのカテゴリカル語彙エントリ数=" + to_string(*n_vocabulary) +
                   "が大きすぎます（上限 " + to_string(kMaxCount) + "）");
  }
  if (*n_cat_columns > kMaxCatColumns) {
    return corrupt("境界モデルのカテゴリカル列数=" + to_string(*n_cat_columns) + "が上限 " +
                   to_string(kMaxCatColumns) + " を超えています");
  }

  TreeEnsemble trees;
  trees.vocabulary.reserve(reader.reserve_hint(*n_vocabulary, kMinVocabularyEntryBytes));
  for (std::uint32_t i = 0; i < *n_vocabulary; ++i) {
    auto key = read_feature_key(reader);
    if (!key) return fail(key);
    auto column_index = reader.u32();
    if (!column_index) return fail(column_index);
    auto category = reader.u32();
    if (!category) return fail(category);
    if (*column_index >= *n_cat_columns) {
      return corrupt("境界モデルのcolumn_index=" + to_string(*column_index) +
                     "がn_cat_columns=" + to_string(*n_cat_columns) + "以上です");
    }
    trees.vocabulary.push_back(VocabularyEntry{*key, *column_index, *category});
  }
  const auto by_key = [](const VocabularyEntry& a, const VocabularyEntry& b) {
    return a.key < b.key;
  };
  if (!std::is_sorted(trees.vocabulary.begin(), trees.vocabulary.end(), by_key)) {
    std::stable_sort(trees.vocabulary.begin(), trees.vocabulary.end(), by_key);
  }

  auto n_trees = reader.u32();
  if (!n_trees) return fail(n_trees);
  if (*n_trees > kMaxCount) {
    return corrupt("境界モデルのn_trees=" + to_string(*n_trees) + "が大きすぎます（上限 " +
                   to_string(kMaxCount) + "）");
  }
  trees.trees.reserve(reader.reserve_hint(*n_trees, kMinNodeBytes));
  for (std::uint32_t i = 0; i < *n_trees; ++i) {
    auto root = read_node(reader, *n_cat_columns, 0);
    if (!root) return fail(root);
    trees.trees.push_back(std::move(*root));
  }
  return trees;
}

}  // namespace

std::expected<BoundaryModel, ModelError> read_boundary_model(Reader& reader,
                                                             std::uint32_t n_features) {
  auto tag = reader.u8();
  if (!tag) return fail(tag);
  constexpr char kHex[] = "0123456789ABCDEF";
  switch (*tag) {
    case 0: {
      auto linear = read_linear(reader, n_features);
      if (!linear) return fail(linear);
      return BoundaryModel{std::move(*linear)};
    }
    case 1: {
      auto trees = read_trees(reader);
      if (!trees) return fail(trees);
      return BoundaryModel{std::move(*trees)};
    }
    default:
      return corrupt(std::string("未知の境界モデル algo_tag です: 0x") + kHex[*tag >> 4] +
                     kHex[*tag & 0xF]);
  }
}

}  // namespace kotori::core
