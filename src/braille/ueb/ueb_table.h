#pragma once
// UEB table documents: the TOML record, its validated form and the compiled translator data.
#include <cstddef>
#include <cstdint>
#include <expected>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "braille/table_error.h"

namespace kotori::braille {

struct BrailleTable;

namespace ueb {

// ---- The document as written -------------------------------------------------------------

struct RawMetadata {
  std::optional<std::string> name;
  std::optional<std::string> displayname;
};

struct RawIndicators {
  std::string capital;
  std::string capital_word;
  std::string number;
  std::string grade1;
  std::string capital_passage;
  std::string capital_terminator;
  std::string grade1_word;
};

struct RawQuote {
  std::string open;
  std::string close;
};

struct RawContraction {
  std::string cell;
  std::vector<std::string> positions;
  bool lower = false;
  std::vector<std::string> initial_stems;
  bool shortform = false;
  std::optional<std::string> free;
  bool not_before_vowel = false;
  std::string not_after;
  bool avoid_lower_punct = false;
  bool needs_upper_dot = false;
};

struct RawShortforms {
  std::vector<std::string> words;
  std::vector<std::string> plural_exceptions;
};

struct RawDivisions {
  std::vector<std::string> boundaries;
};

// All strings are UTF-8 as they stand in the document.
struct RawUeb {
  RawMetadata metadata;
  RawIndicators indicators;
  std::map<std::string, std::string> letters;
  std::map<std::string, std::string> digits;
  std::map<std::string, std::string> punctuation;
  std::map<std::string, RawQuote> quotes;
  std::map<std::string, RawContraction> contractions;
  RawShortforms shortforms;
  RawDivisions divisions;
};

// A document that parsed and passed every check.
struct UebTable {
  RawUeb raw;

  // metadata.name; a table without one can never be selected.
  const std::optional<std::string>& name() const { return raw.metadata.name; }
};

// Parses and checks one UEB table document.
std::expected<UebTable, BrailleTableError> compile_ueb_table(std::string_view text);

// ---- The compiled translator --------------------------------------------------------------

enum class Position : std::uint8_t { Always, Noninitial, Initial, Medial, Wordsign };
enum class Free : std::uint8_t { None, Anywhere, Initial };

// Cells are kept as code points, one per braille cell.
using Cells = std::u32string;

struct Contraction {
  Cells cell;
  std::vector<Position> positions;  // file order, duplicates kept
  bool lower = false;
  std::vector<std::string> initial_stems;
  bool shortform = false;
  Free free = Free::None;
  bool not_before_vowel = false;
  std::string not_after;
  bool avoid_lower_punct = false;
  bool needs_upper_dot = false;

  bool has(Position p) const;
};

struct StringHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
struct CellsHash {
  using is_transparent = void;
  std::size_t operator()(std::u32string_view s) const {
    return std::hash<std::u32string_view>{}(s);
  }
};

using StringSet = std::unordered_set<std::string, StringHash, std::equal_to<>>;
using CellsToSpellings = std::unordered_map<Cells, StringSet, CellsHash, std::equal_to<>>;

struct ShortformRef {
  std::string spelling;
  const Contraction* contraction;
};

struct EnglishTranslator {
  std::unordered_map<char32_t, Cells> letters;
  std::unordered_map<char32_t, Cells> digits;
  std::unordered_map<char32_t, Cells> punctuation;
  std::unordered_map<char32_t, std::pair<Cells, Cells>> quotes;  // (open, close)
  std::unordered_map<std::string, Contraction, StringHash, std::equal_to<>> contractions;
  StringSet shortform_words;
  StringSet plural_exceptions;
  std::unordered_map<std::string, std::vector<std::uint32_t>, StringHash, std::equal_to<>>
      divisions;

  Cells capital;
  Cells capital_word;
  Cells number;
  Cells grade1;
  Cells capital_passage;
  Cells capital_terminator;
  Cells grade1_word;

  CellsToSpellings contraction_cells;
  CellsToSpellings wordsign_cells;
  std::size_t longest_spelling = 0;
  // Every proper prefix (two letters or more) of a contraction spelling: a candidate that is
  // not one cannot be extended into a contraction.
  StringSet contraction_prefixes;
  // The longest entry of `shortform_words`, in bytes: a longer reading cannot be on the list.
  std::size_t longest_shortform_word = 0;

  // The contractions with `shortform` set, for the misreading scan. The pointers refer into
  // `contractions`, so the translator is move-only once built.
  std::vector<ShortformRef> shortforms;
  // Indices into `shortforms` by the first cell of the shortform; those with no cells at all
  // are under U+0000.
  std::unordered_map<char32_t, std::vector<std::size_t>> shortforms_by_first_cell;

  EnglishTranslator() = default;
  EnglishTranslator(EnglishTranslator&&) = default;
  EnglishTranslator& operator=(EnglishTranslator&&) = default;
  EnglishTranslator(const EnglishTranslator&) = delete;
  EnglishTranslator& operator=(const EnglishTranslator&) = delete;
};

// Compiles a validated table.
EnglishTranslator build_english_translator(const UebTable& table);

// The table found for `name`; UnknownTable(name) when it is not of the UEB kind.
std::expected<EnglishTranslator, BrailleTableError> build_english_translator(
    const BrailleTable& table, std::string_view name);

}  // namespace ueb
}  // namespace kotori::braille
