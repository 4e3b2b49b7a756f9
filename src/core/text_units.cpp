#include "core/text_units.h"

#include "common/utf8.h"

namespace kotori::core {
namespace {

// Kana that may take a joining small kana after it.
bool can_take_small_kana(char32_t c) {
  return ((c >= 0x3041 && c <= 0x3093) || (c >= 0x30A1 && c <= 0x30F6)) &&
         !is_joining_small_kana(c);
}

// A place-value kanji next to a kanji numeral becomes a numeral itself: first left to
// right (so 三百万 promotes its whole chain), then right to left (百三 promotes 百).
void promote_numerals(std::vector<TextUnit>& units) {
  const std::size_t n = units.size();
  for (std::size_t k = 0; k + 1 < n; ++k) {
    if (units[k].type == CharType::KanjiNumeral && is_place_value_kanji(units[k + 1].first)) {
      units[k + 1].type = CharType::KanjiNumeral;
    }
  }
  for (std::size_t j = n; j-- > 1;) {
    if (units[j].type == CharType::KanjiNumeral && is_place_value_kanji(units[j - 1].first)) {
      units[j - 1].type = CharType::KanjiNumeral;
    }
  }
}

// Merges each kana with the joining small kana that directly follows it, in place.
void join_small_kana(std::vector<TextUnit>& units) {
  std::size_t write = 0;
  for (std::size_t read = 0; read < units.size(); ++read, ++write) {
    units[write] = units[read];
    if (read + 1 < units.size() && can_take_small_kana(units[read].first) &&
        is_joining_small_kana(units[read + 1].first)) {
      units[write].second = units[read + 1].first;
      units[write].length = 2;
      ++read;
    }
  }
  units.resize(write);
}

}  // namespace

bool is_place_value_kanji(char32_t c) {
  return c == U'十' || c == U'百' || c == U'千' || c == U'万' || c == U'億' || c == U'兆';
}

bool is_joining_small_kana(char32_t c) {
  switch (c) {
    case U'ぁ': case U'ぃ': case U'ぅ': case U'ぇ': case U'ぉ':
    case U'ゃ': case U'ゅ': case U'ょ': case U'ゎ':
    case U'ァ': case U'ィ': case U'ゥ': case U'ェ': case U'ォ':
    case U'ャ': case U'ュ': case U'ョ': case U'ヮ':
      return true;
    default:
      return false;
  }
}

void text_units(std::string_view text, std::vector<TextUnit>& out) {
  out.clear();
  out.reserve(utf8::count_chars(text));  // a hint: malformed bytes may add units
  for (std::size_t pos = 0; pos < text.size();) {
    const auto offset = static_cast<std::uint32_t>(pos);
    const char32_t c = utf8::decode(text, pos);
    out.push_back(TextUnit{.first = c, .source_offset = offset, .type = char_type(c)});
  }
  promote_numerals(out);
  join_small_kana(out);
}

std::vector<TextUnit> text_units(std::string_view text) {
  std::vector<TextUnit> out;
  text_units(text, out);
  return out;
}

}  // namespace kotori::core
