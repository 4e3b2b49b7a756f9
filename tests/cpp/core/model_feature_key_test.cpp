// FeatureKey: the valid codes, wire sizes and the total order used for lookups.
#include <gtest/gtest.h>

#include <vector>

#include "core/model/feature_key.h"

namespace kotori::core {
namespace {

TEST(FeatureKey, ExactlyFortyOneCodesAreValid) {
  std::vector<int> valid;
  for (int b = 0; b < 256; ++b) {
    if (is_valid_feature_type(static_cast<std::uint8_t>(b))) valid.push_back(b);
  }
  EXPECT_EQ(valid.size(), 41u);
  for (int b : {0x00, 0x01, 0x50, 0x56, 0x60, 0x70, 0x74, 0x90, 0x96, 0xA0, 0xA6, 0xB0, 0xB5, 0xC0,
                0xC5}) {
    EXPECT_TRUE(is_valid_feature_type(static_cast<std::uint8_t>(b))) << b;
  }
  for (int b : {0x02, 0x10, 0x40, 0x57, 0x61, 0x75, 0x80, 0x97, 0xA7, 0xB6, 0xC6, 0xD0, 0xFF}) {
    EXPECT_FALSE(is_valid_feature_type(static_cast<std::uint8_t>(b))) << b;
  }
}

TEST(FeatureKey, WireSizeFollowsTheKindBits) {
  struct Case {
    FeatureKey key;
    std::size_t size;
  };
  const Case cases[] = {
      {feature_key(FeatureType::KanjiRunStart), 1},
      {feature_key_types(FeatureType::TypeCur, 0x42), 2},
      {feature_key_types(FeatureType::TypePrev1Cur, 0x42, 0x40), 3},
      {feature_key_types(FeatureType::TypePrev2Prev1Cur, 0x42, 0x40, 0x41), 4},
      {feature_key_ints(FeatureType::CharCur, 1), 5},
      {feature_key_ints(FeatureType::CharPrev1Cur, 1, 2), 9},
      {feature_key_ints(FeatureType::CharPrev3Prev2Prev1, 1, 2, 3), 13},
      {feature_key_byte(FeatureType::NumeralsBeforeKanji, 2), 2},
  };
  for (const Case& c : cases) {
    std::string wire;
    append_wire(c.key, wire);
    EXPECT_EQ(wire_size(c.key), c.size) << int(c.key.kind);
    EXPECT_EQ(wire.size(), c.size) << int(c.key.kind);
    EXPECT_EQ(static_cast<std::uint8_t>(wire[0]), c.key.kind);
  }
  std::string wire;
  append_wire(feature_key_ints(FeatureType::CharCur, 0x12345678), wire);
  EXPECT_EQ(wire, std::string("\x90\x78\x56\x34\x12", 5));
}

TEST(FeatureKey, OrderComparesFieldsInSequenceAsUnsigned) {
  // Each pair: the first key sorts before the second.
  const std::pair<FeatureKey, FeatureKey> pairs[] = {
      {feature_key(FeatureType::Bias), feature_key(FeatureType::KanjiRunStart)},
      {FeatureKey{.kind = 0xC0, .byte_arg = 0xFF}, FeatureKey{.kind = 0xC1}},
      {FeatureKey{.kind = 0xC0, .byte_arg = 1}, FeatureKey{.kind = 0xC0, .byte_arg = 0x80}},
      {feature_key_types(FeatureType::TypeCurNext1Next2, 0x42, 0xFF, 0),
       feature_key_types(FeatureType::TypeCurNext1Next2, 0xFF, 0, 0)},
      {feature_key_types(FeatureType::TypeCurNext1Next2, 0x42, 0x40, 0x41),
       feature_key_types(FeatureType::TypeCurNext1Next2, 0x42, 0x40, 0xFF)},
      {feature_key_ints(FeatureType::CharCurNext1Next2, 1, 0xFFFFFFFF, 0),
       feature_key_ints(FeatureType::CharCurNext1Next2, 2, 0, 0)},
      {feature_key_ints(FeatureType::CharCurNext1Next2, 1, 2, 0x7FFFFFFF),
       feature_key_ints(FeatureType::CharCurNext1Next2, 1, 2, 0x80000000)},
  };
  for (const auto& [lo, hi] : pairs) {
    EXPECT_LT(lo, hi);
    EXPECT_FALSE(hi < lo);
    EXPECT_NE(lo, hi);
  }
}

TEST(FeatureKey, SearchFindsTheLastEqualEntry) {
  const std::vector<FeatureEntry> table = {
      {feature_key(FeatureType::Bias), 0},
      {feature_key_ints(FeatureType::CharCur, 5), 1},
      {feature_key_ints(FeatureType::CharCur, 5), 2},
      {feature_key_ints(FeatureType::CharCur, 5), 3},
      {feature_key_ints(FeatureType::CharCur, 9), 4},
  };
  const std::span<const FeatureEntry> all(table);
  EXPECT_EQ(find_last_by_key(all, feature_key_ints(FeatureType::CharCur, 5))->column, 3u);
  EXPECT_EQ(find_last_by_key(all, feature_key(FeatureType::Bias))->column, 0u);
  EXPECT_EQ(find_last_by_key(all, feature_key_ints(FeatureType::CharCur, 9))->column, 4u);
  EXPECT_EQ(find_last_by_key(all, feature_key_ints(FeatureType::CharCur, 6)), nullptr);
  EXPECT_EQ(find_last_by_key(all, feature_key_ints(FeatureType::CharCur, 10)), nullptr);
  EXPECT_EQ(find_last_by_key(all, feature_key(FeatureType::KanjiRunStart)), nullptr);
  EXPECT_EQ(find_last_by_key(std::span<const FeatureEntry>(), feature_key(FeatureType::Bias)),
            nullptr);
}

}  // namespace
}  // namespace kotori::core
