#include "braille/ueb/ueb_table.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <toml++/toml.h>

#include "braille/braille_table.h"
#include "braille/ueb/division.h"
#include "common/utf8.h"

namespace kotori::braille::ueb {
namespace {

// ---- Parsing: TOML tree -> RawUeb ----------------------------------------------------------
// Type errors, missing keys and unknown entry keys are parse errors; the message names the key.

template <class T>
using Parsed = std::expected<T, std::string>;

std::string cat(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (std::string_view p : parts) out += p;
  return out;
}

std::string join(std::string_view path, std::string_view key) {
  return path.empty() ? std::string(key) : std::string(path) + "." + std::string(key);
}

std::string at(const toml::node& node) {
  const auto& begin = node.source().begin;
  if (!begin) return "";
  return " (line " + std::to_string(begin.line) + ", column " + std::to_string(begin.column) + ")";
}

Parsed<std::string> as_string(const toml::node& node, std::string_view path) {
  if (const auto* s = node.as_string()) return s->get();
  return std::unexpected(cat({"`", path, "` must be a string", at(node)}));
}

Parsed<bool> optional_bool(const toml::table& t, std::string_view key, std::string_view path) {
  const toml::node* node = t.get(key);
  if (node == nullptr) return false;
  if (const auto* b = node->as_boolean()) return b->get();
  return std::unexpected("`" + join(path, key) + "` must be a boolean" + at(*node));
}

Parsed<std::optional<std::string>> optional_string(const toml::table& t, std::string_view key,
                                                   std::string_view path) {
  const toml::node* node = t.get(key);
  if (node == nullptr) return std::optional<std::string>{};
  return as_string(*node, join(path, key));
}

Parsed<std::string> required_string(const toml::table& t, std::string_view key,
                                    std::string_view path) {
  const toml::node* node = t.get(key);
  if (node == nullptr) {
    return std::unexpected("missing required key `" + join(path, key) + "`" + at(t));
  }
  return as_string(*node, join(path, key));
}

Parsed<std::vector<std::string>> string_list(const toml::node& node, std::string_view path) {
  const auto* array = node.as_array();
  if (array == nullptr) {
    return std::unexpected("`" + std::string(path) + "` must be an array of strings" + at(node));
  }
  std::vector<std::string> out;
  out.reserve(array->size());
  for (std::size_t i = 0; i < array->size(); ++i) {
    auto s = as_string((*array)[i], std::string(path) + "[" + std::to_string(i) + "]");
    if (!s) return std::unexpected(s.error());
    out.push_back(std::move(*s));
  }
  return out;
}

Parsed<std::vector<std::string>> optional_list(const toml::table& t, std::string_view key,
                                               std::string_view path) {
  const toml::node* node = t.get(key);
  if (node == nullptr) return std::vector<std::string>{};
  return string_list(*node, join(path, key));
}

// The table under `key`; nullptr when it is absent and not required.
Parsed<const toml::table*> sub_table(const toml::table& t, std::string_view key, bool required) {
  const toml::node* node = t.get(key);
  if (node == nullptr) {
    if (required) return std::unexpected("missing required table `" + std::string(key) + "`");
    return nullptr;
  }
  if (const auto* table = node->as_table()) return table;
  return std::unexpected("`" + std::string(key) + "` must be a table" + at(*node));
}

Parsed<std::map<std::string, std::string>> string_map(const toml::table& t, std::string_view key,
                                                      bool required) {
  auto table = sub_table(t, key, required);
  if (!table) return std::unexpected(table.error());
  std::map<std::string, std::string> out;
  if (*table == nullptr) return out;
  for (const auto& [k, v] : **table) {
    auto s = as_string(v, join(key, k.str()));
    if (!s) return std::unexpected(s.error());
    out.emplace(std::string(k.str()), std::move(*s));
  }
  return out;
}

Parsed<void> only_keys(const toml::table& t, std::initializer_list<std::string_view> allowed,
                       std::string_view path) {
  for (const auto& [k, v] : t) {
    if (std::find(allowed.begin(), allowed.end(), k.str()) == allowed.end()) {
      return std::unexpected("unknown key `" + join(path, k.str()) + "`" + at(v));
    }
  }
  return {};
}

Parsed<RawIndicators> parse_indicators(const toml::table& doc) {
  auto table = sub_table(doc, "indicators", true);
  if (!table) return std::unexpected(table.error());
  const toml::table& t = **table;
  RawIndicators out;
  std::array<std::pair<std::string_view, std::string*>, 3> required{
      {{"capital", &out.capital}, {"capital_word", &out.capital_word}, {"number", &out.number}}};
  for (auto& [key, field] : required) {
    auto s = required_string(t, key, "indicators");
    if (!s) return std::unexpected(s.error());
    *field = std::move(*s);
  }
  std::array<std::pair<std::string_view, std::string*>, 4> optional{
      {{"grade1", &out.grade1},
       {"capital_passage", &out.capital_passage},
       {"capital_terminator", &out.capital_terminator},
       {"grade1_word", &out.grade1_word}}};
  for (auto& [key, field] : optional) {
    auto s = optional_string(t, key, "indicators");
    if (!s) return std::unexpected(s.error());
    *field = s->value_or("");
  }
  return out;
}

Parsed<std::map<std::string, RawQuote>> parse_quotes(const toml::table& doc) {
  auto table = sub_table(doc, "quotes", false);
  if (!table) return std::unexpected(table.error());
  std::map<std::string, RawQuote> out;
  if (*table == nullptr) return out;
  for (const auto& [k, v] : **table) {
    const std::string path = join("quotes", k.str());
    const auto* entry = v.as_table();
    if (entry == nullptr) return std::unexpected("`" + path + "` must be a table" + at(v));
    if (auto ok = only_keys(*entry, {"open", "close"}, path); !ok) {
      return std::unexpected(ok.error());
    }
    auto open = required_string(*entry, "open", path);
    if (!open) return std::unexpected(open.error());
    auto close = required_string(*entry, "close", path);
    if (!close) return std::unexpected(close.error());
    out.emplace(std::string(k.str()), RawQuote{std::move(*open), std::move(*close)});
  }
  return out;
}

Parsed<RawContraction> parse_contraction(const toml::table& t, const std::string& path) {
  if (auto ok = only_keys(t,
                          {"cell", "positions", "lower", "initial_stems", "shortform", "free",
                           "not_before_vowel", "not_after", "avoid_lower_punct",
                           "needs_upper_dot"},
                          path);
      !ok) {
    return std::unexpected(ok.error());
  }
  RawContraction c;
  auto cell = required_string(t, "cell", path);
  if (!cell) return std::unexpected(cell.error());
  c.cell = std::move(*cell);
  const toml::node* positions = t.get("positions");
  if (positions == nullptr) {
    return std::unexpected("missing required key `" + path + ".positions`" + at(t));
  }
  auto list = string_list(*positions, path + ".positions");
  if (!list) return std::unexpected(list.error());
  c.positions = std::move(*list);
  auto stems = optional_list(t, "initial_stems", path);
  if (!stems) return std::unexpected(stems.error());
  c.initial_stems = std::move(*stems);
  auto free = optional_string(t, "free", path);
  if (!free) return std::unexpected(free.error());
  c.free = std::move(*free);
  auto not_after = optional_string(t, "not_after", path);
  if (!not_after) return std::unexpected(not_after.error());
  c.not_after = not_after->value_or("");
  std::array<std::pair<std::string_view, bool*>, 5> flags{
      {{"lower", &c.lower},
       {"shortform", &c.shortform},
       {"not_before_vowel", &c.not_before_vowel},
       {"avoid_lower_punct", &c.avoid_lower_punct},
       {"needs_upper_dot", &c.needs_upper_dot}}};
  for (auto& [key, field] : flags) {
    auto b = optional_bool(t, key, path);
    if (!b) return std::unexpected(b.error());
    *field = *b;
  }
  return c;
}

Parsed<std::map<std::string, RawContraction>> parse_contractions(const toml::table& doc) {
  auto table = sub_table(doc, "contractions", false);
  if (!table) return std::unexpected(table.error());
  std::map<std::string, RawContraction> out;
  if (*table == nullptr) return out;
  for (const auto& [k, v] : **table) {
    const std::string path = join("contractions", k.str());
    const auto* entry = v.as_table();
    if (entry == nullptr) return std::unexpected("`" + path + "` must be a table" + at(v));
    auto c = parse_contraction(*entry, path);
    if (!c) return std::unexpected(c.error());
    out.emplace(std::string(k.str()), std::move(*c));
  }
  return out;
}

Parsed<RawUeb> parse_document(const toml::table& doc) {
  RawUeb raw;
  auto metadata = sub_table(doc, "metadata", false);
  if (!metadata) return std::unexpected(metadata.error());
  if (*metadata != nullptr) {
    auto name = optional_string(**metadata, "name", "metadata");
    if (!name) return std::unexpected(name.error());
    auto display = optional_string(**metadata, "displayname", "metadata");
    if (!display) return std::unexpected(display.error());
    raw.metadata = {std::move(*name), std::move(*display)};
  }
  auto indicators = parse_indicators(doc);
  if (!indicators) return std::unexpected(indicators.error());
  raw.indicators = std::move(*indicators);
  std::array<std::pair<std::string_view, std::map<std::string, std::string>*>, 3> maps{
      {{"letters", &raw.letters}, {"digits", &raw.digits}, {"punctuation", &raw.punctuation}}};
  for (auto& [key, field] : maps) {
    auto m = string_map(doc, key, true);
    if (!m) return std::unexpected(m.error());
    *field = std::move(*m);
  }
  auto quotes = parse_quotes(doc);
  if (!quotes) return std::unexpected(quotes.error());
  raw.quotes = std::move(*quotes);
  auto contractions = parse_contractions(doc);
  if (!contractions) return std::unexpected(contractions.error());
  raw.contractions = std::move(*contractions);
  auto shortforms = sub_table(doc, "shortforms", false);
  if (!shortforms) return std::unexpected(shortforms.error());
  if (*shortforms != nullptr) {
    auto words = optional_list(**shortforms, "words", "shortforms");
    if (!words) return std::unexpected(words.error());
    auto plurals = optional_list(**shortforms, "plural_exceptions", "shortforms");
    if (!plurals) return std::unexpected(plurals.error());
    raw.shortforms = {std::move(*words), std::move(*plurals)};
  }
  auto divisions = sub_table(doc, "divisions", false);
  if (!divisions) return std::unexpected(divisions.error());
  if (*divisions != nullptr) {
    auto boundaries = optional_list(**divisions, "boundaries", "divisions");
    if (!boundaries) return std::unexpected(boundaries.error());
    raw.divisions.boundaries = std::move(*boundaries);
  }
  return raw;
}

// ---- Checks ---------------------------------------------------------------------------------

bool is_lower_az(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

bool is_position_word(std::string_view p) {
  return p == "always" || p == "noninitial" || p == "initial" || p == "medial" || p == "wordsign";
}

std::string quoted(std::string_view s) { return cat({"\"", s, "\""}); }

std::optional<std::string> check_contraction(const std::string& spelling,
                                             const RawContraction& c) {
  const std::string head = "[contractions] " + quoted(spelling) + ": ";
  if (!is_lower_az(spelling)) return head + "綴りは小文字 a-z のみ";
  if (c.positions.empty()) return head + "positions が空です";
  for (const auto& p : c.positions) {
    if (!is_position_word(p)) {
      return head + "position " + quoted(p) +
             " は always/noninitial/initial/medial/wordsign のいずれか";
    }
  }
  for (const auto& stem : c.initial_stems) {
    if (!is_lower_az(stem)) return head + "initial_stems " + quoted(stem) + " は小文字 a-z のみ";
  }
  if (c.free && *c.free != "anywhere" && *c.free != "initial") {
    return head + "free " + quoted(*c.free) + " は anywhere/initial のいずれか";
  }
  return std::nullopt;
}

Cells cells_of(std::string_view utf8_text) { return utf8::to_u32(utf8_text); }

// Keeps the entries whose key is exactly one character.
std::unordered_map<char32_t, Cells> char_map(const std::map<std::string, std::string>& raw) {
  std::unordered_map<char32_t, Cells> out;
  for (const auto& [key, cells] : raw) {
    const std::u32string k = utf8::to_u32(key);
    if (k.size() == 1) out.emplace(k[0], cells_of(cells));
  }
  return out;
}

Position position_of(std::string_view p) {
  if (p == "always") return Position::Always;
  if (p == "noninitial") return Position::Noninitial;
  if (p == "initial") return Position::Initial;
  if (p == "medial") return Position::Medial;
  return Position::Wordsign;
}

Contraction compile_contraction(const RawContraction& raw) {
  Contraction c;
  c.cell = cells_of(raw.cell);
  for (const auto& p : raw.positions) c.positions.push_back(position_of(p));
  c.lower = raw.lower;
  c.initial_stems = raw.initial_stems;
  c.shortform = raw.shortform;
  c.free = !raw.free                ? Free::None
           : *raw.free == "initial" ? Free::Initial
                                    : Free::Anywhere;
  c.not_before_vowel = raw.not_before_vowel;
  c.not_after = raw.not_after;
  c.avoid_lower_punct = raw.avoid_lower_punct;
  c.needs_upper_dot = raw.needs_upper_dot;
  return c;
}

}  // namespace

bool Contraction::has(Position p) const {
  return std::find(positions.begin(), positions.end(), p) != positions.end();
}

std::expected<UebTable, BrailleTableError> compile_ueb_table(std::string_view text) {
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
  auto raw = parse_document(parsed.table());
  if (!raw) return std::unexpected(BrailleTableError::toml(std::move(raw.error())));
  for (const auto& [spelling, contraction] : raw->contractions) {
    if (auto message = check_contraction(spelling, contraction)) {
      return std::unexpected(BrailleTableError::validation(std::move(*message)));
    }
  }
  for (const auto& entry : raw->divisions.boundaries) {
    auto division = parse_division(entry);
    if (!division) return std::unexpected(BrailleTableError::validation(division.error()));
  }
  return UebTable{std::move(*raw)};
}

EnglishTranslator build_english_translator(const UebTable& table) {
  const RawUeb& raw = table.raw;
  EnglishTranslator t;
  t.letters = char_map(raw.letters);
  t.digits = char_map(raw.digits);
  t.punctuation = char_map(raw.punctuation);
  for (const auto& [key, quote] : raw.quotes) {
    const std::u32string k = utf8::to_u32(key);
    if (k.size() == 1) {
      t.quotes.emplace(k[0], std::pair{cells_of(quote.open), cells_of(quote.close)});
    }
  }
  const RawIndicators& ind = raw.indicators;
  t.capital = cells_of(ind.capital);
  t.capital_word = cells_of(ind.capital_word);
  t.number = cells_of(ind.number);
  t.grade1 = cells_of(ind.grade1);
  t.capital_passage = cells_of(ind.capital_passage);
  t.capital_terminator = cells_of(ind.capital_terminator);
  t.grade1_word = cells_of(ind.grade1_word);
  for (const auto& [spelling, rc] : raw.contractions) {
    Contraction c = compile_contraction(rc);
    if (c.has(Position::Always) || c.has(Position::Wordsign)) {
      t.contraction_cells[c.cell].insert(spelling);
    }
    if (c.has(Position::Wordsign)) t.wordsign_cells[c.cell].insert(spelling);
    t.longest_spelling = std::max(t.longest_spelling, utf8::count_chars(spelling));
    for (std::size_t len = 2; len < spelling.size(); ++len) {
      t.contraction_prefixes.insert(spelling.substr(0, len));
    }
    t.contractions.emplace(spelling, std::move(c));
  }
  for (const auto& w : raw.shortforms.words) {
    t.shortform_words.insert(w);
    t.longest_shortform_word = std::max(t.longest_shortform_word, w.size());
  }
  for (const auto& w : raw.shortforms.plural_exceptions) t.plural_exceptions.insert(w);
  for (const auto& entry : raw.divisions.boundaries) {
    if (auto d = parse_division(entry)) t.divisions[std::move(d->word)] = std::move(d->offsets);
  }
  for (const auto& [spelling, c] : t.contractions) {
    if (!c.shortform) continue;
    t.shortforms_by_first_cell[c.cell.empty() ? U'\0' : c.cell[0]].push_back(t.shortforms.size());
    t.shortforms.push_back({spelling, &c});
  }
  return t;
}

std::expected<EnglishTranslator, BrailleTableError> build_english_translator(
    const BrailleTable& table, std::string_view name) {
  const UebTable* ueb = table.ueb();
  if (ueb == nullptr) return std::unexpected(BrailleTableError::unknown_table(std::string(name)));
  return build_english_translator(*ueb);
}

}  // namespace kotori::braille::ueb
