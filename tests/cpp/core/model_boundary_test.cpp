// The boundary model section: both stored forms as the loader holds them.
#include <gtest/gtest.h>

#include "core/model/model.h"
#include "model_file_builder.h"

namespace kotori::core {
namespace {

using testing::base_parts;
using testing::Bytes;
using testing::Parts;
using testing::write_temp;

std::expected<Model, ModelError> load_with_boundary(const std::string& boundary) {
  Parts p = base_parts();
  p.boundary = boundary;
  return load_model(write_temp("boundary.kbm", p.bytes()));
}

TEST(BoundarySection, TreeFormKeepsVocabularyAndNodes) {
  auto model = load_with_boundary(testing::tree_boundary());
  ASSERT_TRUE(model) << model.error().display();
  const auto* trees = std::get_if<TreeEnsemble>(&model->boundary_model.form);
  ASSERT_NE(trees, nullptr);
  ASSERT_EQ(trees->vocabulary.size(), 1u);
  EXPECT_EQ(trees->vocabulary[0].column_index, 1u);
  EXPECT_EQ(trees->vocabulary[0].category, 7u);
  ASSERT_EQ(trees->trees.size(), 1u);
  const auto* split = std::get_if<TreeSplit>(&trees->trees[0].node);
  ASSERT_NE(split, nullptr);
  EXPECT_EQ(split->split_feature, 1u);
  EXPECT_TRUE(split->missing_first);
  EXPECT_EQ(split->cats, (std::vector<std::uint32_t>{3, 7}));
  EXPECT_EQ(std::get<TreeLeaf>(split->first->node).value, 1.0f);
  EXPECT_EQ(std::get<TreeLeaf>(split->second->node).value, -1.0f);
}

TEST(BoundarySection, VocabularyIsSortedStablyAndCategoriesKeptAsStored) {
  const FeatureKey late = feature_key_ints(FeatureType::CharNext1, 9);
  const FeatureKey early = feature_key(FeatureType::Bias);
  const std::string bytes = Bytes()
                                .u8(1)
                                .u32(64)  // the largest column count that loads
                                .u32(3)
                                .key(late).u32(63).u32(1)
                                .key(early).u32(0).u32(2)
                                .key(late).u32(5).u32(3)
                                .u32(2)  // two trees
                                .u8(0).f32(0.5f)
                                .u8(1).u32(63).u8(0).u32(3).u32s({9, 2, 4})
                                .u8(0).f32(1.0f).u8(0).f32(2.0f);
  auto model = load_with_boundary(bytes);
  ASSERT_TRUE(model) << model.error().display();
  const auto& trees = std::get<TreeEnsemble>(model->boundary_model.form);
  ASSERT_EQ(trees.vocabulary.size(), 3u);
  EXPECT_EQ(trees.vocabulary[0].category, 2u);
  EXPECT_EQ(trees.vocabulary[1].category, 1u);
  EXPECT_EQ(trees.vocabulary[2].category, 3u);
  EXPECT_EQ(find_last_by_key<VocabularyEntry>(trees.vocabulary, late)->column_index, 5u);
  ASSERT_EQ(trees.trees.size(), 2u);
  EXPECT_EQ(std::get<TreeLeaf>(trees.trees[0].node).value, 0.5f);
  const auto& split = std::get<TreeSplit>(trees.trees[1].node);
  EXPECT_FALSE(split.missing_first);
  EXPECT_EQ(split.cats, (std::vector<std::uint32_t>{9, 2, 4}));
}

TEST(BoundarySection, SplitChainReachingDepth256Loads) {
  Bytes b;
  b.u8(1).u32(1).u32(0).u32(1);
  for (int i = 0; i < 256; ++i) b.u8(1).u32(0).u8(1).u32(0);  // n_cats 0
  for (int i = 0; i <= 256; ++i) b.u8(0).f32(0.0f);
  auto model = load_with_boundary(b);
  ASSERT_TRUE(model) << model.error().display();
  int depth = 0;
  const TreeNode* node = &std::get<TreeEnsemble>(model->boundary_model.form).trees[0];
  while (const auto* split = std::get_if<TreeSplit>(&node->node)) {
    node = split->first.get();
    ++depth;
  }
  EXPECT_EQ(depth, 256);
}

TEST(BoundarySection, EnsembleWithoutTreesAndNoVocabularyLoads) {
  auto model = load_with_boundary(Bytes().u8(1).u32(0).u32(0).u32(0));
  ASSERT_TRUE(model) << model.error().display();
  const auto& trees = std::get<TreeEnsemble>(model->boundary_model.form);
  EXPECT_TRUE(trees.vocabulary.empty());
  EXPECT_TRUE(trees.trees.empty());
}

}  // namespace
}  // namespace kotori::core
