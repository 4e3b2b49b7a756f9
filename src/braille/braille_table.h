#pragma once
// The compiled form of one braille table document: Japanese fields or a UEB table.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "braille/ueb/ueb_table.h"

namespace kotori::braille {

// Hash for string-keyed maps that are searched with a std::string_view.
struct TableKeyHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

template <class V>
using StringMap = std::unordered_map<std::string, V, TableKeyHash, std::equal_to<>>;

// All cell strings are UTF-8, one braille pattern per cell, taken as written.
struct FlagCells {
  std::string entry_prefix;
  std::string exit_suffix;
  std::string explicit_exit;
  std::vector<std::string> exempt_chars;

  friend bool operator==(const FlagCells&, const FlagCells&) = default;
};

struct CapitalFlagCells {
  std::string entry_prefix;
  std::string double_entry_prefix;

  friend bool operator==(const CapitalFlagCells&, const CapitalFlagCells&) = default;
};

// Blank cells between a character whose class path matches `from` and a following one whose
// class path matches `to`. An empty pattern matches every class path.
struct TransitionRule {
  std::string from;
  std::string to;
  std::size_t count = 0;

  friend bool operator==(const TransitionRule&, const TransitionRule&) = default;
};

struct PunctCells {
  std::string braille;
  std::string class_path;  // "punct.jp", "punct.latin.stop", ...

  friend bool operator==(const PunctCells&, const PunctCells&) = default;
};

struct JapaneseTable {
  std::optional<std::string> name;
  std::optional<std::string> display_name;
  FlagCells digit_flag;
  FlagCells foreign_word_flag;
  CapitalFlagCells capital_flag;
  std::vector<TransitionRule> transitions;  // order carries no meaning
  StringMap<std::string> kana_compound;
  StringMap<std::string> kana_single;
  StringMap<PunctCells> punct_jp;
  StringMap<PunctCells> punct_latin;
  StringMap<std::string> digits;
  StringMap<std::string> letters;
};

// One compiled table document of either kind.
struct BrailleTable {
  std::variant<JapaneseTable, ueb::UebTable> content;

  // metadata.name; a table without one is never found by name.
  const std::optional<std::string>& name() const {
    return std::visit([](const auto& t) -> const std::optional<std::string>& { return name_of(t); },
                      content);
  }
  const JapaneseTable* japanese() const { return std::get_if<JapaneseTable>(&content); }
  const ueb::UebTable* ueb() const { return std::get_if<ueb::UebTable>(&content); }

 private:
  static const std::optional<std::string>& name_of(const JapaneseTable& t) { return t.name; }
  static const std::optional<std::string>& name_of(const ueb::UebTable& t) { return t.name(); }
};

}  // namespace kotori::braille
