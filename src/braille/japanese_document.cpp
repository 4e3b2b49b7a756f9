// Reading a Japanese table document into RawBrailleFile: required keys, types, PunctEntry forms.
#include <cctype>
#include <toml++/toml.h>

#include "braille/japanese_table.h"

namespace kotori::braille {
namespace {

template <class T>
using Parsed = std::expected<T, std::string>;

std::string join(std::string_view path, std::string_view key) {
  std::string out(path);
  if (!out.empty()) out += '.';
  // Keys that are not bare words are shown quoted, so "table.punct.jp.\"。\"" stays readable.
  bool bare = !key.empty();
  for (unsigned char c : key) {
    if (c >= 0x80 || !(std::isalnum(c) || c == '_' || c == '-')) bare = false;
  }
  if (bare) {
    out += key;
  } else {
    out += '"';
    out += key;
    out += '"';
  }
  return out;
}

std::string at(const toml::node& node) {
  const auto& begin = node.source().begin;
  if (!begin) return "";
  return " (line " + std::to_string(begin.line) + ", column " + std::to_string(begin.column) + ")";
}

Parsed<std::string> as_string(const toml::node& node, std::string_view path) {
  if (const auto* s = node.as_string()) return s->get();
  return std::unexpected("`" + std::string(path) + "` must be a string" + at(node));
}

Parsed<const toml::table*> sub_table(const toml::table& parent, std::string_view key,
                                     std::string_view path, bool required) {
  const toml::node* node = parent.get(key);
  if (node == nullptr) {
    if (!required) return nullptr;
    return std::unexpected("missing required key `" + join(path, key) + "`" + at(parent));
  }
  if (const auto* t = node->as_table()) return t;
  return std::unexpected("`" + join(path, key) + "` must be a table" + at(*node));
}

Parsed<std::string> optional_string(const toml::table& t, std::string_view key,
                                    std::string_view path) {
  const toml::node* node = t.get(key);
  if (node == nullptr) return std::string();
  return as_string(*node, join(path, key));
}

Parsed<std::vector<std::string>> optional_list(const toml::table& t, std::string_view key,
                                               std::string_view path) {
  std::vector<std::string> out;
  const toml::node* node = t.get(key);
  if (node == nullptr) return out;
  const std::string where = join(path, key);
  const auto* array = node->as_array();
  if (array == nullptr) {
    return std::unexpected("`" + where + "` must be an array of strings" + at(*node));
  }
  for (std::size_t i = 0; i < array->size(); ++i) {
    auto s = as_string((*array)[i], where + "[" + std::to_string(i) + "]");
    if (!s) return std::unexpected(s.error());
    out.push_back(std::move(*s));
  }
  return out;
}

// A table of key -> cell string.
Parsed<std::vector<std::pair<std::string, std::string>>> cell_map(const toml::table& parent,
                                                                   std::string_view key,
                                                                   std::string_view path) {
  auto table = sub_table(parent, key, path, true);
  if (!table) return std::unexpected(table.error());
  const std::string where = join(path, key);
  std::vector<std::pair<std::string, std::string>> out;
  for (const auto& [k, v] : **table) {
    auto s = as_string(v, join(where, k.str()));
    if (!s) return std::unexpected(s.error());
    out.emplace_back(std::string(k.str()), std::move(*s));
  }
  return out;
}

Parsed<PunctEntry> punct_entry(const toml::node& node, std::string_view path) {
  const std::string neither = "`" + std::string(path) +
                              "`: the value matches neither form of PunctEntry (a cell string, "
                              "or an inline table with `braille` and an optional `class`)" +
                              at(node);
  if (const auto* s = node.as_string()) return PunctEntry{s->get(), std::nullopt};
  const auto* t = node.as_table();
  if (t == nullptr) return std::unexpected(neither);
  PunctEntry entry;
  bool has_braille = false;
  for (const auto& [k, v] : *t) {
    const auto* s = v.as_string();
    if (s == nullptr) return std::unexpected(neither);
    if (k.str() == "braille") {
      entry.braille = s->get();
      has_braille = true;
    } else if (k.str() == "class") {
      entry.class_name = s->get();
    } else {
      return std::unexpected(neither);
    }
  }
  if (!has_braille) return std::unexpected(neither);
  return entry;
}

Parsed<std::vector<std::pair<std::string, PunctEntry>>> punct_map(const toml::table& parent,
                                                                   std::string_view key,
                                                                   std::string_view path) {
  auto table = sub_table(parent, key, path, true);
  if (!table) return std::unexpected(table.error());
  const std::string where = join(path, key);
  std::vector<std::pair<std::string, PunctEntry>> out;
  for (const auto& [k, v] : **table) {
    auto entry = punct_entry(v, join(where, k.str()));
    if (!entry) return std::unexpected(entry.error());
    out.emplace_back(std::string(k.str()), std::move(*entry));
  }
  return out;
}

Parsed<FlagDef> flag_def(const toml::table& flags, std::string_view key) {
  auto t = sub_table(flags, key, "flags", true);
  if (!t) return std::unexpected(t.error());
  const std::string where = join("flags", key);
  FlagDef def;
  auto entry = optional_string(**t, "entry_prefix", where);
  if (!entry) return std::unexpected(entry.error());
  auto exit = optional_string(**t, "exit_suffix", where);
  if (!exit) return std::unexpected(exit.error());
  auto explicit_exit = optional_string(**t, "explicit_exit", where);
  if (!explicit_exit) return std::unexpected(explicit_exit.error());
  auto exempt = optional_list(**t, "exempt_chars", where);
  if (!exempt) return std::unexpected(exempt.error());
  return FlagDef{std::move(*entry), std::move(*exit), std::move(*explicit_exit),
                 std::move(*exempt)};
}

Parsed<RawFlags> raw_flags(const toml::table& root) {
  auto flags = sub_table(root, "flags", "", true);
  if (!flags) return std::unexpected(flags.error());
  auto digit = flag_def(**flags, "digit");
  if (!digit) return std::unexpected(digit.error());
  auto foreign = flag_def(**flags, "foreign_word");
  if (!foreign) return std::unexpected(foreign.error());
  auto capital = sub_table(**flags, "capital", "flags", true);
  if (!capital) return std::unexpected(capital.error());
  auto entry = optional_string(**capital, "entry_prefix", "flags.capital");
  if (!entry) return std::unexpected(entry.error());
  auto twice = optional_string(**capital, "double_entry_prefix", "flags.capital");
  if (!twice) return std::unexpected(twice.error());
  return RawFlags{std::move(*digit), std::move(*foreign),
                  CapitalFlagDef{std::move(*entry), std::move(*twice)}};
}

Parsed<std::optional<RawMetadata>> raw_metadata(const toml::table& root) {
  auto t = sub_table(root, "metadata", "", false);
  if (!t) return std::unexpected(t.error());
  if (*t == nullptr) return std::optional<RawMetadata>{};
  RawMetadata meta;
  for (const char* key : {"name", "displayname"}) {
    const toml::node* node = (*t)->get(key);
    if (node == nullptr) continue;
    auto s = as_string(*node, join("metadata", key));
    if (!s) return std::unexpected(s.error());
    (std::string_view(key) == "name" ? meta.name : meta.displayname) = std::move(*s);
  }
  return meta;
}

Parsed<RawTable> raw_table(const toml::table& root) {
  auto table = sub_table(root, "table", "", true);
  if (!table) return std::unexpected(table.error());
  RawTable out;
  auto kana = sub_table(**table, "kana", "table", true);
  if (!kana) return std::unexpected(kana.error());
  auto compound = cell_map(**kana, "compound", "table.kana");
  if (!compound) return std::unexpected(compound.error());
  auto single = cell_map(**kana, "single", "table.kana");
  if (!single) return std::unexpected(single.error());
  out.kana = {std::move(*compound), std::move(*single)};

  auto punct = sub_table(**table, "punct", "table", true);
  if (!punct) return std::unexpected(punct.error());
  auto classes = optional_list(**punct, "classes", "table.punct");
  if (!classes) return std::unexpected(classes.error());
  auto jp = punct_map(**punct, "jp", "table.punct");
  if (!jp) return std::unexpected(jp.error());
  auto latin = punct_map(**punct, "latin", "table.punct");
  if (!latin) return std::unexpected(latin.error());
  out.punct = {std::move(*classes), std::move(*jp), std::move(*latin)};

  auto digit = cell_map(**table, "digit", "table");
  if (!digit) return std::unexpected(digit.error());
  auto letters = cell_map(**table, "latin", "table");
  if (!letters) return std::unexpected(letters.error());
  out.digit = std::move(*digit);
  out.latin = std::move(*letters);
  return out;
}

Parsed<std::vector<std::pair<std::string, std::uint64_t>>> raw_transitions(
    const toml::table& root) {
  std::vector<std::pair<std::string, std::uint64_t>> out;
  auto t = sub_table(root, "transitions", "", false);
  if (!t) return std::unexpected(t.error());
  if (*t == nullptr) return out;
  for (const auto& [k, v] : **t) {
    const auto* n = v.as_integer();
    if (n == nullptr || n->get() < 0) {
      return std::unexpected("`" + join("transitions", k.str()) +
                             "` must be a non-negative integer" + at(v));
    }
    out.emplace_back(std::string(k.str()), static_cast<std::uint64_t>(n->get()));
  }
  return out;
}

Parsed<RawBrailleFile> raw_file(const toml::table& root) {
  RawBrailleFile file;
  auto meta = raw_metadata(root);
  if (!meta) return std::unexpected(meta.error());
  auto flags = raw_flags(root);
  if (!flags) return std::unexpected(flags.error());
  auto table = raw_table(root);
  if (!table) return std::unexpected(table.error());
  auto transitions = raw_transitions(root);
  if (!transitions) return std::unexpected(transitions.error());
  return RawBrailleFile{std::move(*meta), std::move(*flags), std::move(*table),
                        std::move(*transitions)};
}

}  // namespace

std::expected<RawBrailleFile, BrailleTableError> parse_braille_file(std::string_view text) {
  toml::parse_result parsed = toml::parse(text);
  if (!parsed) {
    const auto& err = parsed.error();
    std::string message(err.description());
    if (err.source().begin) {
      message += " (line " + std::to_string(err.source().begin.line) + ", column " +
                 std::to_string(err.source().begin.column) + ")";
    }
    return std::unexpected(BrailleTableError::toml(std::move(message)));
  }
  auto file = raw_file(parsed.table());
  if (!file) return std::unexpected(BrailleTableError::toml(std::move(file.error())));
  return std::move(*file);
}

}  // namespace kotori::braille
