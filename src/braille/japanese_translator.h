#pragma once
// Kana, digits, Latin letters and punctuation of one line into Japanese braille cells.
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "braille/braille_table.h"
#include "braille/table_error.h"

namespace kotori::braille {

// Cells as code points, one per braille cell.
using CellString = std::u32string;

// A Japanese table in the form the translator reads: maps keyed by characters, class paths
// numbered, and the blank count of every (previous class, class) pair worked out once.
struct JapaneseTranslator {
  using ClassId = std::uint16_t;
  static constexpr ClassId kKana = 0;
  static constexpr ClassId kDigit = 1;
  static constexpr ClassId kLatin = 2;
  static constexpr ClassId kNone = 3;

  struct Punct {
    CellString cells;
    ClassId class_id;
  };

  JapaneseTable table;  // the table it was built from

  std::unordered_map<std::uint64_t, CellString> kana_compound;  // key: compound_key(a, b)
  std::unordered_map<char32_t, CellString> kana_single;
  std::unordered_map<char32_t, Punct> punct_jp;
  std::unordered_map<char32_t, Punct> punct_latin;
  std::unordered_map<char32_t, CellString> digits;
  std::unordered_map<char32_t, CellString> letters;

  CellString digit_prefix;
  CellString digit_explicit_exit;
  CellString foreign_prefix;
  CellString foreign_exit;
  CellString capital_prefix;
  CellString capital_double_prefix;

  std::unordered_set<char32_t> digit_cells;  // first cell of every non-empty digit entry
  std::bitset<128> exempt;                   // ASCII characters that keep a number open

  std::vector<std::string> class_paths;  // indexed by ClassId
  std::vector<std::size_t> blanks;       // class_paths.size()² entries, [previous][next]

  static std::uint64_t compound_key(char32_t a, char32_t b) {
    return (static_cast<std::uint64_t>(a) << 32) | b;
  }
  std::size_t blanks_between(ClassId previous, ClassId next) const {
    return blanks[previous * class_paths.size() + next];
  }
};

struct JapaneseLine {
  std::string braille;                       // UTF-8, one braille pattern per cell
  std::vector<std::size_t> text_to_braille;  // per input character: index of its first cell
};

JapaneseTranslator build_japanese_translator(const JapaneseTable& table);

// UnknownTable(name) when `table` is not a Japanese table.
std::expected<JapaneseTranslator, BrailleTableError> build_japanese_translator(
    const BrailleTable& table);

// Never fails: a character no map covers becomes one blank cell.
JapaneseLine translate_japanese(const JapaneseTranslator& translator, std::string_view line);

// Blank cells the rules ask for between `previous` and `next` (class paths): the most specific
// matching rule wins, then the largest count; 0 when none matches.
std::size_t transition_blanks(const std::vector<TransitionRule>& rules, std::string_view previous,
                              std::string_view next);

}  // namespace kotori::braille
