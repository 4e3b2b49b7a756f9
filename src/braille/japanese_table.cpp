// Checking a parsed Japanese table document and moving it into a BrailleTable.
#include "braille/japanese_table.h"

#include <algorithm>
#include <array>

#include "common/utf8.h"

namespace kotori::braille {
namespace {

constexpr std::array<std::string_view, 5> kReservedNames = {"kana", "none", "digit", "latin",
                                                            "punct"};
constexpr std::array<std::string_view, 7> kStructuralPaths = {
    "kana", "digit", "latin", "none", "punct", "punct.jp", "punct.latin"};

bool is_white_space(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
         c == 0x205F || c == 0x3000;
}

// `s` without Unicode White_Space at either end.
std::string trim(std::string_view s) {
  std::u32string chars = utf8::to_u32(s);
  std::size_t begin = 0;
  std::size_t end = chars.size();
  while (begin < end && is_white_space(chars[begin])) ++begin;
  while (end > begin && is_white_space(chars[end - 1])) --end;
  return utf8::from_u32(std::u32string_view(chars).substr(begin, end - begin));
}

// "*" and a trailing ".*" name the same pattern as the part before them; empty is the wildcard.
std::string normalize_side(std::string side) {
  if (side == "*") return "";
  if (side.ends_with(".*")) side.resize(side.size() - 2);
  return side;
}

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

using PunctSection = std::vector<std::pair<std::string, PunctEntry>>;

std::expected<StringMap<PunctCells>, BrailleTableError> compile_punct(
    PunctSection& entries, std::string_view section, const std::vector<std::string>& classes) {
  StringMap<PunctCells> out;
  const std::string base = "punct." + std::string(section);
  for (auto& [key, entry] : entries) {
    std::string path = base;
    if (entry.class_name) {
      const std::string& name = *entry.class_name;
      if (std::find(classes.begin(), classes.end(), name) == classes.end()) {
        return std::unexpected(BrailleTableError::validation(
            "[table.punct." + std::string(section) + "] " + quoted(key) + ": class " +
            quoted(name) + " は [table.punct] classes に宣言されていません"));
      }
      path += "." + name;
    }
    out.insert_or_assign(key, PunctCells{std::move(entry.braille), std::move(path)});
  }
  return out;
}

std::expected<std::vector<TransitionRule>, BrailleTableError> compile_transitions(
    const std::vector<std::pair<std::string, std::uint64_t>>& entries,
    const std::vector<std::string>& valid_paths) {
  std::vector<TransitionRule> rules;
  rules.reserve(entries.size());
  for (const auto& [key, count] : entries) {
    const std::size_t arrow = key.find("->");
    if (arrow == std::string::npos) {
      return std::unexpected(BrailleTableError::validation(
          "[transitions] " + quoted(key) + ": キーは \"クラス名 -> クラス名\" の形式で書いてください"));
    }
    std::string from = normalize_side(trim(std::string_view(key).substr(0, arrow)));
    std::string to = normalize_side(trim(std::string_view(key).substr(arrow + 2)));
    if (from.empty() && to.empty()) {
      return std::unexpected(BrailleTableError::validation(
          "[transitions] " + quoted(key) + ": 両側をワイルドカード \"*\" にはできません"));
    }
    for (const std::string* side : {&from, &to}) {
      if (side->empty()) continue;
      if (std::find(valid_paths.begin(), valid_paths.end(), *side) != valid_paths.end()) continue;
      return std::unexpected(BrailleTableError::validation(
          "[transitions] " + quoted(key) + ": クラス " + quoted(*side) +
          " は予約構造クラス（kana/digit/latin/none/punct/punct.jp/punct.latin）でも [table.punct] "
          "classes 由来のパス（punct.jp.<class> 等）にもありません"));
    }
    rules.push_back({std::move(from), std::move(to), static_cast<std::size_t>(count)});
  }
  return rules;
}

StringMap<std::string> to_map(std::vector<std::pair<std::string, std::string>>& entries) {
  StringMap<std::string> out;
  out.reserve(entries.size());
  for (auto& [key, cells] : entries) out.insert_or_assign(std::move(key), std::move(cells));
  return out;
}

FlagCells to_flag(FlagDef& def) {
  return {std::move(def.entry_prefix), std::move(def.exit_suffix), std::move(def.explicit_exit),
          std::move(def.exempt_chars)};
}

}  // namespace

std::expected<BrailleTable, BrailleTableError> compile_japanese_table(std::string_view text) {
  auto parsed = parse_braille_file(text);
  if (!parsed) return std::unexpected(std::move(parsed.error()));
  RawBrailleFile& raw = *parsed;
  const std::vector<std::string>& classes = raw.table.punct.classes;

  for (const std::string& name : classes) {
    if (std::find(kReservedNames.begin(), kReservedNames.end(), name) != kReservedNames.end()) {
      return std::unexpected(BrailleTableError::validation(
          "[table.punct] classes: " + quoted(name) + " は予約名のため宣言できません"));
    }
  }

  JapaneseTable table;
  auto jp = compile_punct(raw.table.punct.jp, "jp", classes);
  if (!jp) return std::unexpected(std::move(jp.error()));
  auto latin = compile_punct(raw.table.punct.latin, "latin", classes);
  if (!latin) return std::unexpected(std::move(latin.error()));
  table.punct_jp = std::move(*jp);
  table.punct_latin = std::move(*latin);

  std::vector<std::string> valid_paths(kStructuralPaths.begin(), kStructuralPaths.end());
  for (const std::string& c : classes) valid_paths.push_back("punct.jp." + c);
  for (const std::string& c : classes) valid_paths.push_back("punct.latin." + c);
  auto rules = compile_transitions(raw.transitions, valid_paths);
  if (!rules) return std::unexpected(std::move(rules.error()));
  table.transitions = std::move(*rules);

  if (raw.metadata) {
    table.name = std::move(raw.metadata->name);
    table.display_name = std::move(raw.metadata->displayname);
  }
  table.digit_flag = to_flag(raw.flags.digit);
  table.foreign_word_flag = to_flag(raw.flags.foreign_word);
  table.capital_flag = {std::move(raw.flags.capital.entry_prefix),
                        std::move(raw.flags.capital.double_entry_prefix)};
  table.kana_compound = to_map(raw.table.kana.compound);
  table.kana_single = to_map(raw.table.kana.single);
  table.digits = to_map(raw.table.digit);
  table.letters = to_map(raw.table.latin);
  return BrailleTable{std::move(table)};
}

}  // namespace kotori::braille
