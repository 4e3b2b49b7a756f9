#include "core/features.h"

#include <gtest/gtest.h>

#include "common/utf8.h"

#include <algorithm>
#include <string>
#include <vector>

namespace kotori::core {
namespace {

using FT = FeatureType;
constexpr auto H = CharType::Hiragana;
constexpr auto K = CharType::Kanji;
constexpr auto N = CharType::KanjiNumeral;

struct U {
  char32_t first;
  CharType type;
  char32_t second = 0;
};

std::vector<TextUnit> make_units(std::initializer_list<U> list) {
  std::vector<TextUnit> units;
  std::uint32_t offset = 0;
  for (const U& u : list) {
    units.push_back(TextUnit{.first = u.first,
                             .second = u.second,
                             .source_offset = offset,
                             .length = static_cast<std::uint8_t>(u.second ? 2 : 1),
                             .type = u.type});
    offset += u.second ? 6 : 3;
  }
  return units;
}

std::vector<std::uint8_t> kinds_of(std::span<const FeatureKey> keys) {
  std::vector<std::uint8_t> kinds;
  for (const FeatureKey& k : keys) kinds.push_back(k.kind);
  return kinds;
}

const FeatureKey* find_kind(std::span<const FeatureKey> keys, FT type) {
  for (const FeatureKey& k : keys) {
    if (k.kind == static_cast<std::uint8_t>(type)) return &k;
  }
  return nullptr;
}

std::uint8_t t(CharType c) { return static_cast<std::uint8_t>(c); }

// The complete list of a unit with neighbours on both sides, three deep, inside a name.
TEST(UnitFeatures, FullListInTemplateOrder) {
  const auto units = make_units(
      {{U'三', N}, {U'十', N}, {U'山', K}, {U'田', K}, {U'川', K}, {U'の', H}, {U'子', K}});
  const std::vector<std::uint8_t> marks = {0, 0, 1, 2, 2, 0, 0};
  const FeatureLists lists = unit_features(units, marks);
  ASSERT_EQ(lists.size(), units.size());

  const std::vector<FeatureKey> expected = {
      feature_key(FT::Bias),
      feature_key_ints(FT::CharCur, U'田'),
      feature_key_types(FT::TypeCur, t(K)),
      feature_key_ints(FT::CharPrev1, U'山'),
      feature_key_types(FT::TypePrev1, t(K)),
      feature_key_ints(FT::CharPrev1Cur, U'山', U'田'),
      feature_key_types(FT::TypePrev1Cur, t(K), t(K)),
      feature_key_ints(FT::CharPrev2, U'十'),
      feature_key_types(FT::TypePrev2, t(N)),
      feature_key_ints(FT::CharPrev2Prev1, U'十', U'山'),
      feature_key_ints(FT::CharPrev2Prev1Cur, U'十', U'山', U'田'),
      feature_key_types(FT::TypePrev2Prev1Cur, t(N), t(K), t(K)),
      feature_key_ints(FT::CharPrev3, U'三'),
      feature_key_types(FT::TypePrev3, t(N)),
      feature_key_ints(FT::CharPrev3Prev2, U'三', U'十'),
      feature_key_ints(FT::CharPrev3Prev2Prev1, U'三', U'十', U'山'),
      feature_key_types(FT::TypePrev3Prev2Prev1, t(N), t(N), t(K)),
      feature_key_ints(FT::CharNext1, U'川'),
      feature_key_types(FT::TypeNext1, t(K)),
      feature_key_ints(FT::CharCurNext1, U'田', U'川'),
      feature_key_ints(FT::CharNext2, U'の'),
      feature_key_types(FT::TypeNext2, t(H)),
      feature_key_ints(FT::CharNext1Next2, U'川', U'の'),
      feature_key_ints(FT::CharCurNext1Next2, U'田', U'川', U'の'),
      feature_key_types(FT::TypeCurNext1Next2, t(K), t(K), t(H)),
      feature_key_ints(FT::CharNext3, U'子'),
      feature_key_types(FT::TypeNext3, t(K)),
      feature_key_ints(FT::CharNext2Next3, U'の', U'子'),
      feature_key_ints(FT::CharNext1Next2Next3, U'川', U'の', U'子'),
      feature_key_types(FT::TypeNext1Next2Next3, t(K), t(H), t(K)),
      feature_key_ints(FT::CharPrev1CurNext1, U'山', U'田', U'川'),
      feature_key_types(FT::TypePrev1CurNext1, t(K), t(K), t(K)),
      feature_key_byte(FT::KanjiRunLength, 3),
      feature_key_byte(FT::NameMarkCur, 2),
      feature_key_byte(FT::NameMarkPrev, 1),
      feature_key_byte(FT::NameMarkNext, 2),
  };
  const auto got = lists.unit(3);
  EXPECT_EQ(std::vector<FeatureKey>(got.begin(), got.end()), expected);
}

struct KindsCase {
  const char* name;
  std::vector<TextUnit> units;
  std::vector<std::uint8_t> marks;
  std::size_t index;
  std::vector<std::uint8_t> kinds;
};

TEST(UnitFeatures, TemplatesPresentByPosition) {
  const auto five = make_units({{U'あ', H}, {U'い', H}, {U'う', H}, {U'え', H}, {U'お', H}});
  const KindsCase cases[] = {
      {"one kanji", make_units({{U'山', K}}), {}, 0, {0x00, 0x90, 0x50, 0xC0, 0x01}},
      {"one numeral", make_units({{U'三', N}}), {}, 0, {0x00, 0x90, 0x50, 0xC1}},
      {"one named kana", make_units({{U'あ', H}}), {1}, 0, {0x00, 0x90, 0x50, 0xC3}},
      {"kana with small kana", make_units({{U'き', H, U'ゃ'}}), {}, 0, {0x00, 0xA6, 0x50}},
      {"third unit",
       five,
       {},
       2,
       {0x00, 0x90, 0x50, 0x91, 0x51, 0xA0, 0x60, 0x92, 0x52, 0xA1, 0xB0, 0x70, 0x93, 0x53,
        0xA2, 0x94, 0x54, 0xA3, 0xB2, 0x72, 0xB1, 0x71}},
      {"last unit",
       five,
       {},
       4,
       {0x00, 0x90, 0x50, 0x91, 0x51, 0xA0, 0x60, 0x92, 0x52, 0xA1, 0xB0, 0x70, 0x95, 0x55,
        0xA4, 0xB3, 0x73}},
      {"first unit",
       five,
       {0, 1},
       0,
       {0x00, 0x90, 0x50, 0x93, 0x53, 0xA2, 0x94, 0x54, 0xA3, 0xB2, 0x72, 0x96, 0x56, 0xA5,
        0xB4, 0x74, 0xC5}},
      {"second of two", make_units({{U'あ', H}, {U'山', K}}), {2, 0}, 1,
       {0x00, 0x90, 0x50, 0x91, 0x51, 0xA0, 0x60, 0xC0, 0x01, 0xC4}},
  };
  for (const auto& c : cases) {
    const FeatureLists lists = unit_features(c.units, c.marks);
    EXPECT_EQ(kinds_of(lists.unit(c.index)), c.kinds) << c.name;
  }
}

TEST(UnitFeatures, TwoCharacterUnitKeysBothCharacters) {
  const auto units = make_units({{U'き', H, U'ゃ'}, {U'く', H}});
  const FeatureLists lists = unit_features(units, {});
  EXPECT_EQ(lists.unit(0)[1], feature_key_ints(FT::UnitPair, U'き', U'ゃ'));
  // Neighbours are seen by their first character only.
  EXPECT_EQ(*find_kind(lists.unit(1), FT::CharPrev1), feature_key_ints(FT::CharPrev1, U'き'));
}

TEST(UnitFeatures, SevenKanjiRunIsCappedAndStartsOnce) {
  const auto units = make_units({{U'あ', H}, {U'一', N}, {U'日', K}, {U'本', K}, {U'国', K},
                                 {U'民', K}, {U'全', K}, {U'体', K}, {U'的', K}, {U'だ', H}});
  const FeatureLists lists = unit_features(units, {});
  for (std::size_t i = 2; i <= 8; ++i) {
    const auto keys = lists.unit(i);
    ASSERT_NE(find_kind(keys, FT::KanjiRunLength), nullptr) << i;
    EXPECT_EQ(find_kind(keys, FT::KanjiRunLength)->byte_arg, 5) << i;
    EXPECT_EQ(find_kind(keys, FT::KanjiRunStart) != nullptr, i == 2) << i;
    EXPECT_EQ(find_kind(keys, FT::NumeralsBeforeKanji) != nullptr, i == 2) << i;
  }
  EXPECT_EQ(find_kind(lists.unit(2), FT::NumeralsBeforeKanji)->byte_arg, 1);
  EXPECT_EQ(find_kind(lists.unit(0), FT::KanjiRunLength), nullptr);
}

TEST(UnitFeatures, RunLengthsAroundNumerals) {
  const struct {
    std::vector<TextUnit> units;
    std::size_t index;
    FT type;
    std::uint8_t expected;
  } cases[] = {
      {make_units({{U'三', N}, {U'十', N}, {U'日', K}}), 2, FT::NumeralsBeforeKanji, 2},
      {make_units({{U'三', N}, {U'十', N}, {U'日', K}}), 0, FT::NumeralRunLength, 2},
      {make_units({{U'三', N}, {U'十', N}, {U'日', K}}), 1, FT::NumeralRunLength, 2},
      {make_units({{U'一', N}, {U'二', N}, {U'三', N}, {U'四', N}, {U'五', N}, {U'六', N},
                   {U'人', K}}),
       6, FT::NumeralsBeforeKanji, 5},
      {make_units({{U'一', N}, {U'二', N}, {U'三', N}, {U'四', N}, {U'五', N}, {U'六', N}}), 2,
       FT::NumeralRunLength, 5},
      {make_units({{U'山', K}, {U'川', K}, {U'三', N}, {U'山', K}}), 1, FT::KanjiRunLength, 2},
      {make_units({{U'山', K}, {U'川', K}, {U'三', N}, {U'山', K}}), 3, FT::KanjiRunLength, 1},
  };
  for (const auto& c : cases) {
    const FeatureLists lists = unit_features(c.units, {});
    const FeatureKey* key = find_kind(lists.unit(c.index), c.type);
    ASSERT_NE(key, nullptr) << c.index;
    EXPECT_EQ(key->byte_arg, c.expected) << c.index;
  }
}

TEST(UnitFeatures, PlaceholderNeighbourIsSeenByCodePointAndType) {
  const auto units = make_units({{U'あ', H}, {0xE000, CharType::Opening}, {U'い', H},
                                 {0xE001, CharType::Closing}});
  const FeatureLists lists = unit_features(units, {});
  const auto keys = lists.unit(2);
  EXPECT_EQ(*find_kind(keys, FT::CharPrev1), feature_key_ints(FT::CharPrev1, 0xE000));
  EXPECT_EQ(*find_kind(keys, FT::TypePrev1), feature_key_types(FT::TypePrev1, 0x32));
  EXPECT_EQ(*find_kind(keys, FT::TypeNext1), feature_key_types(FT::TypeNext1, 0x31));
  EXPECT_EQ(*find_kind(keys, FT::CharPrev1CurNext1),
            feature_key_ints(FT::CharPrev1CurNext1, 0xE000, U'い', 0xE001));
}

TEST(UnitFeatures, UnitsOfRealText) {
  // 十 is promoted to a numeral next to 三, so 日 follows two numeral units.
  const auto units = text_units("三十日\uE000きゃ");
  ASSERT_EQ(units.size(), 5u);
  const FeatureLists lists = unit_features(units, {});
  EXPECT_EQ(find_kind(lists.unit(2), FT::NumeralsBeforeKanji)->byte_arg, 2);
  EXPECT_EQ(find_kind(lists.unit(1), FT::NumeralRunLength)->byte_arg, 2);
  EXPECT_EQ(*find_kind(lists.unit(4), FT::TypePrev1), feature_key_types(FT::TypePrev1, 0x32));
  EXPECT_EQ(lists.unit(4)[1], feature_key_ints(FT::UnitPair, U'き', U'ゃ'));
}

TEST(UnitFeatures, EveryUnitGetsAListStartingWithTheBias) {
  const char32_t alphabet[] = {U'あ', U'ゃ', U'三', U'十', U'山', U'A', U'1', 0xE000, U'、', U' '};
  std::uint32_t state = 12345;
  for (int round = 0; round < 200; ++round) {
    std::u32string text;
    const int length = round % 23;
    for (int k = 0; k < length; ++k) {
      state = state * 1103515245u + 12345u;
      text.push_back(alphabet[(state >> 16) % std::size(alphabet)]);
    }
    const auto units = text_units(utf8::from_u32(text));
    std::vector<std::uint8_t> marks(units.size() / 2, 1);  // shorter than the units
    const FeatureLists lists = unit_features(units, marks);
    ASSERT_EQ(lists.size(), units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
      const auto keys = lists.unit(i);
      ASSERT_FALSE(keys.empty());
      EXPECT_EQ(keys[0], feature_key(FT::Bias));
      EXPECT_LE(keys.size(), kMaxKeysPerUnit);
      for (const FeatureKey& k : keys) EXPECT_TRUE(is_valid_feature_type(k.kind));
    }
  }
}

TEST(UnitFeatures, EmptyTextAndReuse) {
  FeatureLists lists = unit_features(make_units({{U'あ', H}, {U'い', H}}), {});
  EXPECT_EQ(lists.size(), 2u);
  unit_features({}, {}, lists);
  EXPECT_EQ(lists.size(), 0u);
  EXPECT_TRUE(lists.unit(0).empty());
}

TEST(FeatureColumns, KnownKeysInKeyOrderLaterDuplicateWins) {
  Model model;
  const FeatureKey a = feature_key(FT::Bias);
  const FeatureKey b = feature_key_ints(FT::CharCur, U'山');
  const FeatureKey c = feature_key_types(FT::TypeCur, t(K));
  model.features = {{a, 7}, {c, 2}, {c, 9}, {b, 4}};  // sorted by key; c stored twice
  ASSERT_TRUE(std::is_sorted(model.features.begin(), model.features.end(),
                             [](const auto& x, const auto& y) { return x.key < y.key; }));
  const FeatureKey unknown = feature_key_ints(FT::CharCur, U'川');
  const std::vector<FeatureKey> keys = {b, unknown, a, c, b};
  EXPECT_EQ(feature_columns(keys, model), (std::vector<std::uint32_t>{4, 7, 9, 4}));

  std::vector<std::uint32_t> out = {1};
  feature_columns(keys, model, out);  // appends
  EXPECT_EQ(out.size(), 5u);
  EXPECT_TRUE(feature_columns(keys, Model{}).empty());
}

}  // namespace
}  // namespace kotori::core
