#include "braille/width.h"

#include <algorithm>
#include <array>

#include "common/utf8.h"

namespace kotori::braille {
namespace {

constexpr char32_t kHalfWidthFirst = U'\xFF61';
constexpr char32_t kHalfWidthLast = U'\xFF9F';

// U+FF61..U+FF9F in order: the compatibility form of each, except that the half-width voicing
// marks become the spacing marks U+309B and U+309C.
constexpr std::array<char32_t, 63> kSingles = {
    U'\x3002', U'\x300C', U'\x300D', U'\x3001', U'\x30FB', U'\x30F2', U'\x30A1', U'\x30A3',
    U'\x30A5', U'\x30A7', U'\x30A9', U'\x30E3', U'\x30E5', U'\x30E7', U'\x30C3', U'\x30FC',
    U'\x30A2', U'\x30A4', U'\x30A6', U'\x30A8', U'\x30AA', U'\x30AB', U'\x30AD', U'\x30AF',
    U'\x30B1', U'\x30B3', U'\x30B5', U'\x30B7', U'\x30B9', U'\x30BB', U'\x30BD', U'\x30BF',
    U'\x30C1', U'\x30C4', U'\x30C6', U'\x30C8', U'\x30CA', U'\x30CB', U'\x30CC', U'\x30CD',
    U'\x30CE', U'\x30CF', U'\x30D2', U'\x30D5', U'\x30D8', U'\x30DB', U'\x30DE', U'\x30DF',
    U'\x30E0', U'\x30E1', U'\x30E2', U'\x30E4', U'\x30E6', U'\x30E8', U'\x30E9', U'\x30EA',
    U'\x30EB', U'\x30EC', U'\x30ED', U'\x30EF', U'\x30F3', U'\x309B', U'\x309C',
};

struct Pair {
  char32_t kana;
  char32_t mark;
  char32_t composed;
};

// Every half-width kana + half-width voicing mark that composes, sorted by (kana, mark).
constexpr std::array<Pair, 28> kPairs = {{
    {U'\xFF66', U'\xFF9E', U'\x30FA'}, {U'\xFF73', U'\xFF9E', U'\x30F4'},
    {U'\xFF76', U'\xFF9E', U'\x30AC'}, {U'\xFF77', U'\xFF9E', U'\x30AE'},
    {U'\xFF78', U'\xFF9E', U'\x30B0'}, {U'\xFF79', U'\xFF9E', U'\x30B2'},
    {U'\xFF7A', U'\xFF9E', U'\x30B4'}, {U'\xFF7B', U'\xFF9E', U'\x30B6'},
    {U'\xFF7C', U'\xFF9E', U'\x30B8'}, {U'\xFF7D', U'\xFF9E', U'\x30BA'},
    {U'\xFF7E', U'\xFF9E', U'\x30BC'}, {U'\xFF7F', U'\xFF9E', U'\x30BE'},
    {U'\xFF80', U'\xFF9E', U'\x30C0'}, {U'\xFF81', U'\xFF9E', U'\x30C2'},
    {U'\xFF82', U'\xFF9E', U'\x30C5'}, {U'\xFF83', U'\xFF9E', U'\x30C7'},
    {U'\xFF84', U'\xFF9E', U'\x30C9'}, {U'\xFF8A', U'\xFF9E', U'\x30D0'},
    {U'\xFF8A', U'\xFF9F', U'\x30D1'}, {U'\xFF8B', U'\xFF9E', U'\x30D3'},
    {U'\xFF8B', U'\xFF9F', U'\x30D4'}, {U'\xFF8C', U'\xFF9E', U'\x30D6'},
    {U'\xFF8C', U'\xFF9F', U'\x30D7'}, {U'\xFF8D', U'\xFF9E', U'\x30D9'},
    {U'\xFF8D', U'\xFF9F', U'\x30DA'}, {U'\xFF8E', U'\xFF9E', U'\x30DC'},
    {U'\xFF8E', U'\xFF9F', U'\x30DD'}, {U'\xFF9C', U'\xFF9E', U'\x30F7'},
}};

constexpr bool pairs_sorted() {
  for (std::size_t i = 1; i < kPairs.size(); ++i) {
    const Pair& a = kPairs[i - 1];
    const Pair& b = kPairs[i];
    if (a.kana > b.kana || (a.kana == b.kana && a.mark >= b.mark)) return false;
  }
  return true;
}
static_assert(pairs_sorted());

// The composed character of (kana, mark), or 0.
char32_t compose(char32_t kana, char32_t mark) {
  if (mark != U'\xFF9E' && mark != U'\xFF9F') return 0;
  const auto before = [](const Pair& a, const Pair& b) {
    return a.kana < b.kana || (a.kana == b.kana && a.mark < b.mark);
  };
  const auto it = std::lower_bound(kPairs.begin(), kPairs.end(), Pair{kana, mark, 0}, before);
  return it != kPairs.end() && it->kana == kana && it->mark == mark ? it->composed : 0;
}

bool is_full_width_alnum(char32_t c) {
  return (c >= U'\xFF10' && c <= U'\xFF19') || (c >= U'\xFF21' && c <= U'\xFF3A') ||
         (c >= U'\xFF41' && c <= U'\xFF5A');
}

}  // namespace

void normalize_width(std::string_view line, WidthNormalized& out) {
  out.chars.clear();
  out.counts.clear();
  out.chars.reserve(line.size());
  out.counts.reserve(line.size());
  std::size_t pos = 0;
  while (pos < line.size()) {
    const char32_t c = utf8::decode(line, pos);
    if (pos < line.size()) {
      std::size_t after = pos;
      if (const char32_t composed = compose(c, utf8::decode(line, after))) {
        out.chars.push_back(composed);
        out.counts.push_back(2);
        pos = after;
        continue;
      }
    }
    char32_t mapped = c;
    if (c >= kHalfWidthFirst && c <= kHalfWidthLast) {
      mapped = kSingles[c - kHalfWidthFirst];
    } else if (is_full_width_alnum(c)) {
      mapped = c - 0xFEE0;
    }
    out.chars.push_back(mapped);
    out.counts.push_back(1);
  }
}

WidthNormalized normalize_width(std::string_view line) {
  WidthNormalized out;
  normalize_width(line, out);
  return out;
}

}  // namespace kotori::braille
