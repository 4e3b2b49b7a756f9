// The training tool (training/kotori_train/features.py) computes feature keys in Python; a model
// only works if those keys are exactly the ones unit_features builds here. The expected counts
// and FNV-1a digests below were computed by the training tool on the same texts, so a change
// on either side that is not made on the other fails this test.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/features.h"
#include "core/text_units.h"

namespace kotori::core {
namespace {

struct KeysCase {
  const char* text;
  std::vector<std::uint8_t> marks;
  std::size_t units;
  std::size_t keys;
  std::uint64_t digest;
};

// FNV-1a over kind, byte_arg, the three types and the three integers (little-endian bytes).
std::uint64_t digest(const FeatureLists& lists) {
  std::uint64_t h = 0xcbf29ce484222325ULL;
  auto mix = [&h](std::uint8_t b) { h = (h ^ b) * 0x100000001b3ULL; };
  for (const FeatureKey& k : lists.all_keys()) {
    mix(k.kind);
    mix(k.byte_arg);
    for (std::uint8_t t : k.char_types) mix(t);
    for (std::uint32_t v : k.int_args)
      for (int s = 0; s < 32; s += 8) mix(static_cast<std::uint8_t>(v >> s));
  }
  return h;
}

TEST(TrainingKeysTest, TrainingToolBuildsTheSameKeys) {
  const KeysCase cases[] = {
      {"吾輩は猫である。", {}, 8, 200, 0xb8b3f300f5b73280ULL},
      {"三十人の「山田」さんが2025年に来た！", {}, 20, 591, 0x1aee1f930004529cULL},
      {"きゃっと東京都へ行こう、ＡＢＣ　ね", {}, 16, 457, 0x0a03730821a424caULL},
      {"山田太郎さん", {1, 2, 2, 2, 0, 0}, 6, 147, 0x63661dd5ed8200f9ULL},
  };
  for (const KeysCase& c : cases) {
    SCOPED_TRACE(c.text);
    const std::vector<TextUnit> units = text_units(c.text);
    ASSERT_EQ(units.size(), c.units);
    const FeatureLists lists = unit_features(units, c.marks);
    EXPECT_EQ(lists.all_keys().size(), c.keys);
    EXPECT_EQ(digest(lists), c.digest);
  }
}

}  // namespace
}  // namespace kotori::core
