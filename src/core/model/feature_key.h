#pragma once
// The identity of one feature, its wire form in model files and its total order.
#include <array>
#include <compare>
#include <cstdint>
#include <span>
#include <expected>
#include <string>

#include "core/model/model_error.h"

namespace kotori::core {

class Reader;

// Template codes. Bits 7-6 give the argument kind (none, char types, u32s, one byte) and
// bits 5-4 the argument count. Positions: Cur = the unit itself, PrevN / NextN = N units
// before / after it.
enum class FeatureType : std::uint8_t {
  Bias = 0x00,           // always present
  KanjiRunStart = 0x01,  // first unit of a kanji run

  TypeCur = 0x50,  // 1 CharType
  TypePrev1 = 0x51,
  TypePrev2 = 0x52,
  TypeNext1 = 0x53,
  TypeNext2 = 0x54,
  TypePrev3 = 0x55,
  TypeNext3 = 0x56,

  TypePrev1Cur = 0x60,  // 2 CharTypes

  TypePrev2Prev1Cur = 0x70,  // 3 CharTypes
  TypePrev1CurNext1 = 0x71,
  TypeCurNext1Next2 = 0x72,
  TypePrev3Prev2Prev1 = 0x73,
  TypeNext1Next2Next3 = 0x74,

  CharCur = 0x90,  // 1 u32 (code point)
  CharPrev1 = 0x91,
  CharPrev2 = 0x92,
  CharNext1 = 0x93,
  CharNext2 = 0x94,
  CharPrev3 = 0x95,
  CharNext3 = 0x96,

  CharPrev1Cur = 0xA0,  // 2 u32
  CharPrev2Prev1 = 0xA1,
  CharCurNext1 = 0xA2,
  CharNext1Next2 = 0xA3,
  CharPrev3Prev2 = 0xA4,
  CharNext2Next3 = 0xA5,
  UnitPair = 0xA6,  // the two characters of a kana + small kana unit

  CharPrev2Prev1Cur = 0xB0,  // 3 u32
  CharPrev1CurNext1 = 0xB1,
  CharCurNext1Next2 = 0xB2,
  CharPrev3Prev2Prev1 = 0xB3,
  CharNext1Next2Next3 = 0xB4,
  CharTripleB5 = 0xB5,  // valid in files; no template produces it

  KanjiRunLength = 0xC0,  // 1 byte
  NumeralRunLength = 0xC1,
  NumeralsBeforeKanji = 0xC2,
  NameMarkCur = 0xC3,
  NameMarkPrev = 0xC4,
  NameMarkNext = 0xC5,
};

// What follows the kind byte on the wire (bits 7-6 of the code).
enum class FeatureArgKind : std::uint8_t { None = 0, CharTypes = 1, Ints = 2, Byte = 3 };

constexpr FeatureArgKind feature_arg_kind(std::uint8_t kind) {
  return static_cast<FeatureArgKind>(kind >> 6);
}
// Argument count n (bits 5-4); 0 for the one-byte group.
constexpr unsigned feature_arg_count(std::uint8_t kind) { return (kind >> 4) & 0x3u; }

// True for the 41 codes a model file may hold.
bool is_valid_feature_type(std::uint8_t kind);

// All fields a template does not use are zero. The defaulted comparison is the key order:
// kind, byte_arg, char_types[0..2], int_args[0..2], all unsigned.
struct FeatureKey {
  std::uint8_t kind = 0;
  std::uint8_t byte_arg = 0;
  std::array<std::uint8_t, 3> char_types{};
  std::array<std::uint32_t, 3> int_args{};

  // Written out rather than defaulted: the defaulted form compares the byte arrays with
  // memcmp calls, which dominated feature lookup. Same order, in three integer comparisons.
  friend constexpr bool operator==(const FeatureKey& a, const FeatureKey& b) {
    return a.head() == b.head() && a.first_ints() == b.first_ints() &&
           a.int_args[2] == b.int_args[2];
  }
  friend constexpr std::strong_ordering operator<=>(const FeatureKey& a, const FeatureKey& b) {
    if (const auto c = a.head() <=> b.head(); c != 0) return c;
    if (const auto c = a.first_ints() <=> b.first_ints(); c != 0) return c;
    return a.int_args[2] <=> b.int_args[2];
  }

  // kind, byte_arg and char_types[0..2] as one integer that orders like the fields in turn.
  constexpr std::uint64_t head() const {
    return std::uint64_t{kind} << 32 | std::uint64_t{byte_arg} << 24 |
           std::uint64_t{char_types[0]} << 16 | std::uint64_t{char_types[1]} << 8 |
           char_types[2];
  }
  // int_args[0] and int_args[1], ordered like the pair.
  constexpr std::uint64_t first_ints() const {
    return std::uint64_t{int_args[0]} << 32 | int_args[1];
  }
};

// One entry of the model's feature table: a key and its weight-matrix column.
struct FeatureEntry {
  FeatureKey key;
  std::uint32_t column = 0;
};

// Builders for the four argument groups; unused arguments stay zero.
constexpr FeatureKey feature_key(FeatureType type) {
  return FeatureKey{.kind = static_cast<std::uint8_t>(type)};
}
constexpr FeatureKey feature_key_types(FeatureType type, std::uint8_t t0, std::uint8_t t1 = 0,
                                       std::uint8_t t2 = 0) {
  return FeatureKey{.kind = static_cast<std::uint8_t>(type), .char_types = {t0, t1, t2}};
}
constexpr FeatureKey feature_key_ints(FeatureType type, std::uint32_t a0, std::uint32_t a1 = 0,
                                      std::uint32_t a2 = 0) {
  return FeatureKey{.kind = static_cast<std::uint8_t>(type), .int_args = {a0, a1, a2}};
}
constexpr FeatureKey feature_key_byte(FeatureType type, std::uint8_t arg) {
  return FeatureKey{.kind = static_cast<std::uint8_t>(type), .byte_arg = arg};
}

// Number of bytes the key takes on the wire: the kind byte and its arguments.
std::size_t wire_size(const FeatureKey& key);

// Appends the wire form of `key` to `out` (used by tests and tools; the loader only reads).
void append_wire(const FeatureKey& key, std::string& out);

// Reads one key in wire form, validating the kind byte (InvalidFeatureType) and every
// char-type argument (InvalidCharType).
std::expected<FeatureKey, ModelError> read_feature_key(Reader& reader);

// Binary search in a table sorted by key; when the key occurs more than once, the last
// occurrence is found. `Entry` has a `key` member. Returns nullptr when absent.
template <class Entry>
const Entry* find_last_by_key(std::span<const Entry> table, const FeatureKey& key) {
  std::size_t lo = 0;
  std::size_t hi = table.size();
  while (lo < hi) {  // first entry whose key is greater than `key`
    const std::size_t mid = lo + (hi - lo) / 2;
    if (key < table[mid].key) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  if (lo == 0 || table[lo - 1].key != key) return nullptr;
  return &table[lo - 1];
}

}  // namespace kotori::core
