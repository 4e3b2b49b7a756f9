#pragma once
// Reading positions of a text: one character, or a kana with its joining small kana.
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/char_type.h"

namespace kotori::core {

struct TextUnit {
  char32_t first = 0;
  char32_t second = 0;    // joining small kana, else 0
  char32_t reserved = 0;  // always 0; compared with the other two characters
  std::uint32_t source_offset = 0;  // byte offset of `first` in the text
  std::uint8_t length = 1;          // characters: 1 or 2
  CharType type = CharType::Other;  // type of `first` after numeral promotion

  friend bool operator==(const TextUnit&, const TextUnit&) = default;
};

// Same characters (first, second, reserved); offsets and types are not compared.
inline bool same_characters(const TextUnit& a, const TextUnit& b) {
  return a.first == b.first && a.second == b.second && a.reserved == b.reserved;
}

bool is_place_value_kanji(char32_t c);
bool is_joining_small_kana(char32_t c);

// The units of UTF-8 `text` in text order; appends to `out` after clearing it.
void text_units(std::string_view text, std::vector<TextUnit>& out);
std::vector<TextUnit> text_units(std::string_view text);

}  // namespace kotori::core
