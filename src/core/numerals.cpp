#include "core/numerals.h"

#include "common/utf8.h"

namespace kotori::core {
namespace {

// 〇一二三四五六七八九 in value order.
constexpr char32_t kDigitKanji[] = {U'〇', U'一', U'二', U'三', U'四',
                                    U'五', U'六', U'七', U'八', U'九'};
constexpr std::string_view kDigitText[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};

int digit_value(char32_t c) {
  for (int d = 0; d < 10; ++d) {
    if (kDigitKanji[d] == c) return d;
  }
  return -1;
}

// Power of ten written by 十 (1), 百 (2), 千 (3); 0 for anything else.
int small_place(char32_t c) {
  switch (c) {
    case U'十':
      return 1;
    case U'百':
      return 2;
    case U'千':
      return 3;
    default:
      return 0;
  }
}

bool is_digit_kanji_at(std::span<const TextUnit> units, std::size_t k) {
  return k < units.size() && digit_value(units[k].first) >= 0;
}

// The next lower place written inside the same group after the place value `m` at unit i:
// -1 when none follows (a group end such as 万, the end of the text, anything else), 0 when
// only a digit follows, else the place of the following 十/百/千.
int next_place(std::span<const TextUnit> units, std::size_t i, int m) {
  if (i + 1 >= units.size()) return -1;
  if (is_digit_kanji_at(units, i + 1)) {
    if (i + 2 < units.size()) {
      const int after = small_place(units[i + 2].first);
      if (after > 0 && after < m) return after;
    }
    return 0;
  }
  const int p = small_place(units[i + 1].first);
  return p > 0 && p < m ? p : -1;
}

std::optional<std::string_view> non_empty(std::string_view text) {
  if (text.empty()) return std::nullopt;
  return text;
}

// 十百千 written as digits: an implicit leading 1 unless a digit kanji stands before, then
// the zeros down to the next place written.
std::optional<std::string_view> place_value(std::span<const TextUnit> units, std::size_t i,
                                            int m) {
  const bool lead = !(i > 0 && is_digit_kanji_at(units, i - 1));
  const int p = next_place(units, i, m);
  std::size_t zeros;
  if (p >= 0) {
    zeros = static_cast<std::size_t>(m - 1 - p);
  } else if (m == 3) {
    const bool after_three = i > 0 && units[i - 1].first == U'三';
    return after_three ? std::string_view("ゼン") : std::string_view("セン");
  } else {
    zeros = static_cast<std::size_t>(m);
  }
  return lead ? non_empty(std::string_view("100").substr(0, 1 + zeros))
              : non_empty(std::string_view("00").substr(0, zeros));
}

}  // namespace

std::optional<std::string_view> numeral_replacement(std::span<const TextUnit> units,
                                                    std::size_t i) {
  if (i >= units.size()) return std::nullopt;
  const char32_t c = units[i].first;
  if (const int d = digit_value(c); d >= 0) return kDigitText[d];
  if (const int m = small_place(c); m > 0) return place_value(units, i, m);
  switch (c) {
    case U'万':
      return "マン";
    case U'億':
      return "オク";
    case U'兆':
      return "チョー";
    default:
      return std::nullopt;
  }
}

bool is_digit_text(std::string_view text) {
  if (text.empty()) return false;
  for (std::size_t pos = 0; pos < text.size();) {
    const char32_t c = utf8::decode(text, pos);
    const bool ascii = c >= U'0' && c <= U'9';
    const bool fullwidth = c >= 0xFF10 && c <= 0xFF19;
    if (!ascii && !fullwidth) return false;
  }
  return true;
}

}  // namespace kotori::core
