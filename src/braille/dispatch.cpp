#include "braille/dispatch.h"

#include <array>
#include <limits>
#include <utility>

#include "braille/ueb/line.h"
#include "common/utf8.h"

namespace kotori::braille {
namespace {

constexpr std::array<std::pair<char32_t, char32_t>, 9> kJapaneseRanges = {{
    {0x3000, 0x303F},  // CJK symbols and punctuation
    {0x3040, 0x309F},  // hiragana
    {0x30A0, 0x30FF},  // katakana
    {0x31F0, 0x31FF},  // katakana phonetic extensions
    {0x3400, 0x4DBF},  // CJK unified ideographs extension A
    {0x4E00, 0x9FFF},  // CJK unified ideographs
    {0xF900, 0xFAFF},  // CJK compatibility ideographs
    {0xFF01, 0xFF60},  // full-width ASCII forms and ｟ ｠
    {0xFF66, 0xFF9F},  // half-width katakana and voicing marks
}};

bool is_japanese(char32_t c) {
  for (const auto& [lo, hi] : kJapaneseRanges) {
    if (c >= lo && c <= hi) return true;
  }
  return false;
}

BrailleOutput make_output(std::string_view line, std::string braille,
                          std::vector<std::size_t> text_to_braille, bool is_english) {
  BrailleOutput out;
  out.text = std::string(line);
  out.braille_to_text = build_inverse_map(text_to_braille, utf8::count_chars(braille));
  out.braille = std::move(braille);
  out.text_to_braille = std::move(text_to_braille);
  out.is_english = is_english;
  return out;
}

}  // namespace

bool contains_japanese(std::string_view line) {
  for (std::size_t pos = 0; pos < line.size();) {
    if (is_japanese(utf8::decode(line, pos))) return true;
  }
  return false;
}

std::vector<std::size_t> build_inverse_map(const std::vector<std::size_t>& text_to_braille,
                                           std::size_t cells) {
  constexpr std::size_t kUnset = std::numeric_limits<std::size_t>::max();
  std::vector<std::size_t> out(cells, kUnset);
  for (std::size_t i = 0; i < text_to_braille.size(); ++i) {
    const std::size_t c = text_to_braille[i];
    if (c < cells && out[c] == kUnset) out[c] = i;
  }
  std::size_t previous = 0;
  for (std::size_t& entry : out) {
    if (entry == kUnset) entry = previous;
    previous = entry;
  }
  return out;
}

BrailleOutput translate_line_japanese(const JapaneseTranslator& japanese, std::string_view line) {
  JapaneseLine result = translate_japanese(japanese, line);
  return make_output(line, std::move(result.braille), std::move(result.text_to_braille), false);
}

BrailleOutput translate_line_english(const ueb::EnglishTranslator& english,
                                     std::string_view line) {
  ueb::EnglishLine result = ueb::translate_english_line(english, line);
  return make_output(line, std::move(result.braille), std::move(result.text_to_braille), true);
}

BrailleOutput translate_line(const JapaneseTranslator& japanese,
                             const ueb::EnglishTranslator& english, std::string_view line) {
  return contains_japanese(line) ? translate_line_japanese(japanese, line)
                                 : translate_line_english(english, line);
}

}  // namespace kotori::braille
