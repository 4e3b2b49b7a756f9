#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "core/model/model.h"

namespace kotori::core {
namespace {

// Keys drawn from few values per field, so that tables hold equal keys, equal prefixes and
// kinds whose entries all have zero byte and type fields, and queries hit and miss.
FeatureKey random_key(std::mt19937& rng, bool narrow_kind) {
  FeatureKey k;
  k.kind = static_cast<std::uint8_t>(rng() % 4);
  if (!(narrow_kind && k.kind < 2)) {
    k.byte_arg = static_cast<std::uint8_t>(rng() % 3 == 0 ? rng() % 3 : 0);
    k.char_types[1] = static_cast<std::uint8_t>(rng() % 4 == 0 ? 0x42 : 0);
  }
  const std::uint32_t spread = rng() % 2 ? 8 : 0xFFFFFFFFu;
  for (auto& v : k.int_args) v = static_cast<std::uint32_t>(rng() % 3 ? rng() % spread : 0);
  return k;
}

// The directory narrows a search to the entries that can hold the key; what it finds, the
// later of equal entries included, is what a search of the whole table finds.
TEST(FeatureDirectory, FindsWhatAPlainSearchFinds) {
  std::mt19937 rng(11);
  for (int round = 0; round < 200; ++round) {
    const bool narrow = round % 2 == 0;
    Model m;
    for (std::size_t n = rng() % 300; n-- > 0;) {
      m.features.push_back({random_key(rng, narrow), static_cast<std::uint32_t>(m.features.size())});
    }
    std::stable_sort(m.features.begin(), m.features.end(),
                     [](const FeatureEntry& a, const FeatureEntry& b) { return a.key < b.key; });
    m.build_indexes();
    ASSERT_TRUE(m.feature_directory.covers(m.features.size()));
    std::vector<FeatureKey> queries;
    for (const FeatureEntry& e : m.features) queries.push_back(e.key);
    for (int q = 0; q < 200; ++q) queries.push_back(random_key(rng, !narrow));
    for (const FeatureKey& key : queries) {
      const FeatureEntry* plain = find_last_by_key<FeatureEntry>(m.features, key);
      ASSERT_EQ(m.find_feature(key), plain) << "round " << round;
    }
  }
}

TEST(FeatureDirectory, UnsortedTableIsSearchedPlainly) {
  Model m;
  FeatureKey a, b;
  a.int_args[0] = 2;
  b.int_args[0] = 1;
  m.features = {{a, 0}, {b, 1}};
  m.build_indexes();
  EXPECT_FALSE(m.feature_directory.covers(m.features.size()));
  EXPECT_EQ(m.column_of(b), 1u);
  // A directory built for another table is never used.
  std::swap(m.features[0], m.features[1]);
  m.build_indexes();
  EXPECT_TRUE(m.feature_directory.covers(2));
  m.features.push_back({a, 2});
  EXPECT_FALSE(m.feature_directory.covers(m.features.size()));
  EXPECT_EQ(m.column_of(a), 2u);
}

}  // namespace
}  // namespace kotori::core
