#pragma once
// One line into braille: the language decision, the two routes and the cell-to-character map.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "braille/japanese_translator.h"
#include "braille/ueb/ueb_table.h"

namespace kotori::braille {

struct BrailleOutput {
  std::string text;                          // the line as received
  std::string braille;                       // UTF-8, one braille pattern per cell
  std::vector<std::size_t> text_to_braille;  // per character of text: its first cell
  std::vector<std::size_t> braille_to_text;  // per cell: the character it belongs to
  bool is_english = false;                   // which translator wrote the cells
};

// True when a character of the UTF-8 line lies in a Japanese range (kana, CJK ideographs and
// symbols, full-width forms, half-width katakana; not the half-width ｡｢｣､･).
bool contains_japanese(std::string_view line);

// braille_to_text from text_to_braille and the number of cells: a cell takes the lowest
// character that starts at it, else the value of the cell before it (0 at the start).
std::vector<std::size_t> build_inverse_map(const std::vector<std::size_t>& text_to_braille,
                                           std::size_t cells);

BrailleOutput translate_line_japanese(const JapaneseTranslator& japanese, std::string_view line);
BrailleOutput translate_line_english(const ueb::EnglishTranslator& english,
                                     std::string_view line);

// The whole line goes to the Japanese route when it holds a Japanese character, else English.
BrailleOutput translate_line(const JapaneseTranslator& japanese,
                             const ueb::EnglishTranslator& english, std::string_view line);

}  // namespace kotori::braille
