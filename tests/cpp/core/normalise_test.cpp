#include "core/normalise.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/result.h"

namespace kotori::core {
namespace {

struct NormaliseCase {
  std::string_view name;
  std::string_view input;
  std::string_view expected;
  std::optional<ByteMap> map;  // nothing: the text is unchanged
};

const NormaliseCase kNormaliseCases[] = {
    {"plain text", "吾輩は猫である", "吾輩は猫である", std::nullopt},
    {"empty", "", "", std::nullopt},
    {"halfwidth katakana stays", "ｱ", "ｱ", std::nullopt},
    {"fullwidth punctuation stays", "！　（", "！　（", std::nullopt},
    {"fullwidth letter and digit", "Ａ１", "A1", ByteMap{0, 3}},
    {"fullwidth lower case", "ｚ", "z", ByteMap{0}},
    {"repeat mark", "こゝろ", "こころ", ByteMap{0, 0, 0, 3, 3, 3, 6, 6, 6}},
    {"voiced repeat mark", "たゞ", "ただ", ByteMap{0, 0, 0, 3, 3, 3}},
    {"voiced u", "うゞ", "うゔ", ByteMap{0, 0, 0, 3, 3, 3}},
    {"voiced katakana u", "ウヾ", "ウヴ", ByteMap{0, 0, 0, 3, 3, 3}},
    {"script kept", "かヾ", "かが", ByteMap{0, 0, 0, 3, 3, 3}},
    {"unvoiceable stays", "あゞ", "ああ", ByteMap{0, 0, 0, 3, 3, 3}},
    {"voiced mark after kanji", "猫ゞ", "猫猫", ByteMap{0, 0, 0, 3, 3, 3}},
    {"marks chain on what was written", "はゞゝ", "はばば",
     ByteMap{0, 0, 0, 3, 3, 3, 6, 6, 6}},
    {"lone repeat mark", "ゝ", "ゝ", std::nullopt},
    {"lone voiced mark", "ヾ", "ヾ", std::nullopt},
    {"mark after ascii", "aゝ", "aa", ByteMap{0, 1}},
    {"ligature", "ﬁ", "fi", ByteMap{0, 0}},
    {"ligature then repeat", "ﬃゝ", "ffii", ByteMap{0, 0, 0, 3}},
    {"ligature st", "ﬅﬆ", "stst", ByteMap{0, 0, 3, 3}},
    {"radicals supplement", "⺟", "母", ByteMap{0, 0, 0}},
    {"kangxi radical", "⼀", "一", ByteMap{0, 0, 0}},
    {"compatibility ideograph", "\uF900", "\u8C48", ByteMap{0, 0, 0}},
    {"supplement to BMP", "\U0002F800", "\u4E3D", ByteMap{0, 0, 0}},
    {"unified compatibility stays", "\uFA0E", "\uFA0E", std::nullopt},
    {"map points at character starts", "aＢc", "aBc", ByteMap{0, 1, 4}},
    {"malformed bytes copied", "\xff" "Ａ", "\xff" "A", ByteMap{0, 1}},
};

TEST(Normalise, RewritesTextAndMapsEveryByte) {
  for (const auto& tc : kNormaliseCases) {
    const NormalisedText n = normalise(tc.input);
    EXPECT_EQ(n.text, tc.expected) << tc.name;
    EXPECT_EQ(n.map, tc.map) << tc.name;
    if (n.map) {
      EXPECT_EQ(n.map->size(), n.text.size()) << tc.name;
    }
  }
}

TEST(FoldChar, TableHasTheStatedContent) {
  const auto table = ideograph_fold_table();
  ASSERT_EQ(table.size(), 1280u);
  EXPECT_TRUE(std::is_sorted(table.begin(), table.end(),
                             [](const FoldPair& a, const FoldPair& b) { return a.from < b.from; }));
  const auto count_in = [&](char32_t first, char32_t last) {
    return std::count_if(table.begin(), table.end(),
                         [&](const FoldPair& p) { return p.from >= first && p.from <= last; });
  };
  EXPECT_EQ(count_in(0x2E80, 0x2EFF), 2);
  EXPECT_EQ(count_in(0x2F00, 0x2FDF), 214);
  EXPECT_EQ(count_in(0xF900, 0xFAFF), 460);
  EXPECT_EQ(count_in(0x2F800, 0x2FA1F), 542);
  EXPECT_EQ(count_in(0xFF10, 0xFF5A), 62);
  for (const FoldPair& p : table) EXPECT_NE(p.from, p.to);
}

TEST(FoldChar, FoldsOnlyTableEntries) {
  struct Case {
    char32_t c;
    std::optional<char32_t> expected;
  };
  constexpr Case kCases[] = {
      {U'⺟', U'母'}, {0x2EF3, 0x9F9F}, {U'⼀', U'一'}, {0x2FD5, 0x9FA0}, {0xF900, 0x8C48},
      {0xFAD9, 0x9F8E}, {0x2FA1D, 0x2A600}, {U'０', U'0'}, {U'９', U'9'}, {U'Ａ', U'A'},
      {U'ｚ', U'z'}, {U'母', std::nullopt}, {U'！', std::nullopt}, {U'＠', std::nullopt},
      {U'［', std::nullopt}, {U'ｱ', std::nullopt}, {0x3000, std::nullopt},
      {0xFA0E, std::nullopt}, {0x2E9A, std::nullopt}, {0, std::nullopt},
      {0x10FFFF, std::nullopt},
  };
  for (const auto& tc : kCases) {
    EXPECT_EQ(fold_char(tc.c), tc.expected) << std::hex << static_cast<std::uint32_t>(tc.c);
  }
}

// A prediction about "ﬁA" read from its normalised form "fiA": two kana bytes from "f" and
// "i", one from "A", and a trailing separator with no source byte.
CorePrediction prediction_of_fia() {
  CorePrediction p;
  p.source = "fiA";
  p.kana = "fia ";
  p.confidence = {1.0f, 0.5f, 0.25f, 1.0f};
  p.kana_to_source = {0, 1, 2, 3};
  p.derive_source_to_kana();
  return p;
}

TEST(MapOnto, MovesOffsetsOntoTheOriginalText) {
  const std::string original = "ﬁA";  // ﬁ is 3 bytes
  const NormalisedText n = normalise(original);
  ASSERT_EQ(n.text, "fiA");
  ASSERT_TRUE(n.map);
  CorePrediction p = prediction_of_fia();
  map_onto(p, original, *n.map);
  EXPECT_EQ(p.source, original);
  EXPECT_EQ(p.kana, "fia ");
  EXPECT_EQ(p.confidence, (std::vector<float>{1.0f, 0.5f, 0.25f, 1.0f}));
  // Both letters of the ligature point at its first byte; the separator stays past the end.
  EXPECT_EQ(p.kana_to_source, (std::vector<std::uint32_t>{0, 0, 3, 4}));
  EXPECT_EQ(p.source_to_kana, SourceToKana::from_lists({{0, 1}, {}, {}, {2}}));
}

TEST(MapOnto, ToleratesOffsetsBeyondTheMap) {
  CorePrediction p = prediction_of_fia();
  p.kana_to_source = {0, 1, 2, 99};
  const ByteMap short_map = {0, 0};  // shorter than the old source
  map_onto(p, "xy", short_map);
  EXPECT_EQ(p.kana_to_source, (std::vector<std::uint32_t>{0, 0, 2, 2}));
  EXPECT_EQ(p.source_to_kana, SourceToKana::from_lists({{0, 1}, {}}));
}

}  // namespace
}  // namespace kotori::core
