#include "core/char_type.h"

#include <algorithm>

#include "core/char_type_table.h"

namespace kotori::core {
namespace {

bool is_white_space(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
         c == 0x205F || c == 0x3000;
}

bool is_invisible(char32_t c) {
  return c == 0xAD || (c >= 0x200B && c <= 0x200D) || (c >= 0x2060 && c <= 0x2064) ||
         c == 0xFEFF;
}

bool is_digit(char32_t c) { return (c >= U'0' && c <= U'9') || (c >= 0xFF10 && c <= 0xFF19); }

bool is_kanji_digit(char32_t c) {
  switch (c) {
    case U'〇': case U'一': case U'二': case U'三': case U'四':
    case U'五': case U'六': case U'七': case U'八': case U'九':
      return true;
    default:
      return false;
  }
}

bool is_kanji(char32_t c) {
  return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
         (c >= 0x20000 && c <= 0x2EE5F) || (c >= 0x30000 && c <= 0x323AF) || c == U'々' ||
         c == U'〻';
}

bool is_latin(char32_t c) {
  return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') || (c >= 0xFF21 && c <= 0xFF3A) ||
         (c >= 0xFF41 && c <= 0xFF5A);
}

// The class of a BMP code point in the punctuation table, or nothing.
bool punctuation_class(char32_t c, CharType& out) {
  if (c > 0xFFFF) return false;
  const auto& codes = tables::kPunctuationCodes;
  const auto it = std::lower_bound(codes.begin(), codes.end(), static_cast<std::uint16_t>(c));
  if (it == codes.end() || *it != c) return false;
  out = static_cast<CharType>(tables::kPunctuationClasses[it - codes.begin()]);
  return true;
}

}  // namespace

CharType char_type(char32_t c) {
  if (is_white_space(c)) return CharType::Whitespace;
  if (is_invisible(c)) return CharType::Invisible;
  if (is_digit(c)) return CharType::Digit;
  // Placeholders that stand for removed bracket groups and splices.
  if (c == 0xE000 || c == 0xE002) return CharType::Opening;
  if (c == 0xE001) return CharType::Closing;
  if (CharType punct; punctuation_class(c, punct)) return punct;
  if (c >= 0x3041 && c <= 0x309F) return CharType::Hiragana;
  if (c >= 0x30A0 && c <= 0x30FF) return CharType::Katakana;
  if (is_kanji_digit(c)) return CharType::KanjiNumeral;
  if (is_kanji(c)) return CharType::Kanji;
  if (is_latin(c)) return CharType::Latin;
  return CharType::Other;
}

bool is_valid_char_type(std::uint8_t code) {
  switch (static_cast<CharType>(code)) {
    case CharType::Whitespace: case CharType::Latin: case CharType::Digit:
    case CharType::Reserved20: case CharType::Symbol: case CharType::Closing:
    case CharType::Opening: case CharType::SentenceEnd: case CharType::Comma:
    case CharType::Hiragana: case CharType::Katakana: case CharType::Kanji:
    case CharType::KanjiNumeral: case CharType::Invisible: case CharType::Other:
      return true;
  }
  return false;
}

}  // namespace kotori::core
