#pragma once
// Japanese braille table documents: the TOML record and its compilation into a BrailleTable.
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "braille/braille_table.h"
#include "braille/table_error.h"

namespace kotori::braille {

// ---- The document as written (keys not listed here are ignored) ----------------------------

struct RawMetadata {
  std::optional<std::string> name;
  std::optional<std::string> displayname;
};

struct FlagDef {
  std::string entry_prefix;
  std::string exit_suffix;
  std::string explicit_exit;
  std::vector<std::string> exempt_chars;
};

struct CapitalFlagDef {
  std::string entry_prefix;
  std::string double_entry_prefix;
};

struct RawFlags {
  FlagDef digit;
  FlagDef foreign_word;
  CapitalFlagDef capital;
};

// A plain cell string, or { braille = ..., class = ... }.
struct PunctEntry {
  std::string braille;
  std::optional<std::string> class_name;
};

struct RawPunct {
  std::vector<std::string> classes;
  std::vector<std::pair<std::string, PunctEntry>> jp;
  std::vector<std::pair<std::string, PunctEntry>> latin;
};

struct RawKana {
  std::vector<std::pair<std::string, std::string>> compound;
  std::vector<std::pair<std::string, std::string>> single;
};

struct RawTable {
  RawKana kana;
  RawPunct punct;
  std::vector<std::pair<std::string, std::string>> digit;
  std::vector<std::pair<std::string, std::string>> latin;
};

struct RawBrailleFile {
  std::optional<RawMetadata> metadata;
  RawFlags flags;
  RawTable table;
  std::vector<std::pair<std::string, std::uint64_t>> transitions;
};

// Parses a document into the record; syntax, missing keys and wrong types are Toml errors.
std::expected<RawBrailleFile, BrailleTableError> parse_braille_file(std::string_view text);

// Parses and checks one Japanese table document (UTF-8). Check failures are Validation errors
// carrying the Japanese message that quotes the offending key.
std::expected<BrailleTable, BrailleTableError> compile_japanese_table(std::string_view text);

}  // namespace kotori::braille
