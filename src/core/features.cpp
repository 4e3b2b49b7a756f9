#include "core/features.h"

namespace kotori::core {
namespace {

using FT = FeatureType;

constexpr std::uint8_t kOutsideType = 0xFF;

std::uint8_t type_code(CharType t) { return static_cast<std::uint8_t>(t); }

// Length of the run of `type` units that contains unit i (when `include_self`) or that ends
// right before it, capped at 5. Only up to 4 units each way can change the capped result.
std::uint8_t capped_run(std::span<const TextUnit> units, std::size_t i, CharType type,
                        bool include_self) {
  constexpr std::size_t kCap = 5;
  std::size_t n = include_self ? 1 : 0;
  for (std::size_t k = i; k > 0 && n < kCap && units[k - 1].type == type; --k) ++n;
  if (include_self) {
    for (std::size_t k = i + 1; k < units.size() && n < kCap && units[k].type == type; ++k) ++n;
  }
  return static_cast<std::uint8_t>(n < kCap ? n : kCap);
}

// The keys of unit i, appended in template order.
void append_unit(std::span<const TextUnit> units, std::span<const std::uint8_t> marks,
                 std::size_t i, FeatureLists& out) {
  const std::size_t n = units.size();
  auto c = [&](std::ptrdiff_t k) -> std::uint32_t {
    const std::ptrdiff_t j = static_cast<std::ptrdiff_t>(i) + k;
    return j >= 0 && static_cast<std::size_t>(j) < n ? units[j].first : 0;
  };
  auto t = [&](std::ptrdiff_t k) -> std::uint8_t {
    const std::ptrdiff_t j = static_cast<std::ptrdiff_t>(i) + k;
    return j >= 0 && static_cast<std::size_t>(j) < n ? type_code(units[j].type) : kOutsideType;
  };
  auto mark = [&](std::size_t j) -> std::uint8_t { return j < marks.size() ? marks[j] : 0; };
  auto ints = [&](FT type, std::uint32_t a, std::uint32_t b = 0, std::uint32_t d = 0) {
    out.push(feature_key_ints(type, a, b, d));
  };
  auto types = [&](FT type, std::uint8_t a, std::uint8_t b = 0, std::uint8_t d = 0) {
    out.push(feature_key_types(type, a, b, d));
  };

  const TextUnit& u = units[i];
  out.push(feature_key(FT::Bias));
  if (u.length >= 2) {
    ints(FT::UnitPair, u.first, u.second);
  } else {
    ints(FT::CharCur, u.first);
  }
  types(FT::TypeCur, t(0));

  if (i >= 1) {
    ints(FT::CharPrev1, c(-1));
    types(FT::TypePrev1, t(-1));
    ints(FT::CharPrev1Cur, c(-1), c(0));
    types(FT::TypePrev1Cur, t(-1), t(0));
    if (i >= 2) {
      ints(FT::CharPrev2, c(-2));
      types(FT::TypePrev2, t(-2));
      ints(FT::CharPrev2Prev1, c(-2), c(-1));
      ints(FT::CharPrev2Prev1Cur, c(-2), c(-1), c(0));
      types(FT::TypePrev2Prev1Cur, t(-2), t(-1), t(0));
      if (i >= 3) {
        ints(FT::CharPrev3, c(-3));
        types(FT::TypePrev3, t(-3));
        ints(FT::CharPrev3Prev2, c(-3), c(-2));
        ints(FT::CharPrev3Prev2Prev1, c(-3), c(-2), c(-1));
        types(FT::TypePrev3Prev2Prev1, t(-3), t(-2), t(-1));
      }
    }
  }
  if (i + 1 < n) {
    ints(FT::CharNext1, c(1));
    types(FT::TypeNext1, t(1));
    ints(FT::CharCurNext1, c(0), c(1));
    if (i + 2 < n) {
      ints(FT::CharNext2, c(2));
      types(FT::TypeNext2, t(2));
      ints(FT::CharNext1Next2, c(1), c(2));
      ints(FT::CharCurNext1Next2, c(0), c(1), c(2));
      types(FT::TypeCurNext1Next2, t(0), t(1), t(2));
      if (i + 3 < n) {
        ints(FT::CharNext3, c(3));
        types(FT::TypeNext3, t(3));
        ints(FT::CharNext2Next3, c(2), c(3));
        ints(FT::CharNext1Next2Next3, c(1), c(2), c(3));
        types(FT::TypeNext1Next2Next3, t(1), t(2), t(3));
      }
    }
  }
  if (i >= 1 && i + 1 < n) {
    ints(FT::CharPrev1CurNext1, c(-1), c(0), c(1));
    types(FT::TypePrev1CurNext1, t(-1), t(0), t(1));
  }

  if (u.type == CharType::Kanji) {
    out.push(feature_key_byte(FT::KanjiRunLength, capped_run(units, i, CharType::Kanji, true)));
    if (i == 0 || units[i - 1].type != CharType::Kanji) out.push(feature_key(FT::KanjiRunStart));
    if (i >= 1 && units[i - 1].type == CharType::KanjiNumeral) {
      out.push(feature_key_byte(FT::NumeralsBeforeKanji,
                                capped_run(units, i, CharType::KanjiNumeral, false)));
    }
  }
  if (u.type == CharType::KanjiNumeral) {
    out.push(feature_key_byte(FT::NumeralRunLength,
                              capped_run(units, i, CharType::KanjiNumeral, true)));
  }
  if (const std::uint8_t m = mark(i); m != 0) out.push(feature_key_byte(FT::NameMarkCur, m));
  if (i >= 1) {
    if (const std::uint8_t m = mark(i - 1); m != 0) {
      out.push(feature_key_byte(FT::NameMarkPrev, m));
    }
  }
  if (i + 1 < n) {
    if (const std::uint8_t m = mark(i + 1); m != 0) {
      out.push(feature_key_byte(FT::NameMarkNext, m));
    }
  }
}

}  // namespace

void unit_features(std::span<const TextUnit> units, std::span<const std::uint8_t> marks,
                   FeatureLists& out) {
  out.clear();
  out.reserve(units.size(), units.size() * kMaxKeysPerUnit);
  for (std::size_t i = 0; i < units.size(); ++i) {
    append_unit(units, marks, i, out);
    out.end_unit();
  }
}

FeatureLists unit_features(std::span<const TextUnit> units, std::span<const std::uint8_t> marks) {
  FeatureLists out;
  unit_features(units, marks, out);
  return out;
}

void feature_columns(std::span<const FeatureKey> keys, const Model& model,
                     std::vector<std::uint32_t>& out) {
  for (const FeatureKey& key : keys) {
    if (const FeatureEntry* e = model.find_feature(key)) out.push_back(e->column);
  }
}

std::vector<std::uint32_t> feature_columns(std::span<const FeatureKey> keys, const Model& model) {
  std::vector<std::uint32_t> out;
  out.reserve(keys.size());
  feature_columns(keys, model, out);
  return out;
}

}  // namespace kotori::core
