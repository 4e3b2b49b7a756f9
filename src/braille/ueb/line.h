#pragma once
// Translation of one line of English text into UEB grade 2.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "braille/ueb/ueb_table.h"

namespace kotori::braille::ueb {

struct EnglishLine {
  std::string braille;                      // UTF-8, one braille pattern per cell
  std::vector<std::size_t> text_to_braille;  // per input character: index of its first cell
};

// Never fails: characters the table does not cover become one blank cell each.
EnglishLine translate_english_line(const EnglishTranslator& translator, std::string_view text);

}  // namespace kotori::braille::ueb
