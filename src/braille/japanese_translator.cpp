#include "braille/japanese_translator.h"

#include <algorithm>
#include <optional>

#include "braille/width.h"
#include "common/utf8.h"

namespace kotori::braille {
namespace {

using ClassId = JapaneseTranslator::ClassId;
constexpr char32_t kBlank = U'\x2800';

bool pattern_matches(std::string_view pattern, std::string_view path) {
  if (pattern.empty() || pattern == path) return true;
  return path.size() > pattern.size() && path.starts_with(pattern) && path[pattern.size()] == '.';
}

std::size_t specificity(std::string_view pattern) {
  if (pattern.empty()) return 0;
  return static_cast<std::size_t>(std::count(pattern.begin(), pattern.end(), '.')) + 1;
}

// The one character of `key`, or nothing when it is not exactly one character long.
std::optional<char32_t> single_char(std::string_view key) {
  const std::u32string chars = utf8::to_u32(key);
  if (chars.size() != 1) return std::nullopt;
  return chars[0];
}

std::unordered_map<char32_t, CellString> char_map(const StringMap<std::string>& source) {
  std::unordered_map<char32_t, CellString> out;
  for (const auto& [key, cells] : source) {
    if (auto c = single_char(key)) out.emplace(*c, utf8::to_u32(cells));
  }
  return out;
}

ClassId class_id(std::vector<std::string>& paths, const std::string& path) {
  const auto it = std::find(paths.begin(), paths.end(), path);
  if (it != paths.end()) return static_cast<ClassId>(it - paths.begin());
  paths.push_back(path);
  return static_cast<ClassId>(paths.size() - 1);
}

std::unordered_map<char32_t, JapaneseTranslator::Punct> punct_map(
    const StringMap<PunctCells>& source, std::vector<std::string>& paths) {
  std::unordered_map<char32_t, JapaneseTranslator::Punct> out;
  for (const auto& [key, entry] : source) {
    if (auto c = single_char(key)) {
      out.emplace(*c, JapaneseTranslator::Punct{utf8::to_u32(entry.braille),
                                                class_id(paths, entry.class_path)});
    }
  }
  return out;
}

bool is_upper(char32_t c) { return c >= U'A' && c <= U'Z'; }
bool is_letter(char32_t c) { return is_upper(c) || (c >= U'a' && c <= U'z'); }
bool is_digit(char32_t c) { return c >= U'0' && c <= U'9'; }

// The state of one line's translation.
class LineWriter {
 public:
  LineWriter(const JapaneseTranslator& t, std::u32string_view chars) : t_(t), c_(chars) {
    out_.reserve(chars.size() * 2);
    starts_.reserve(chars.size());
  }

  void run() {
    const std::size_t n = c_.size();
    for (std::size_t i = 0; i < n;) {
      const char32_t c = c_[i];
      const bool has_next = i + 1 < n;
      if (is_letter(c)) {
        letter(c, has_next && is_upper(c_[i + 1]));
      } else if (is_digit(c)) {
        digit(c);
      } else if (c < 0x80) {
        other_ascii(c);
      } else {
        i += non_ascii(c, has_next ? c_[i + 1] : 0, has_next);
        continue;
      }
      ++i;
    }
  }

  const CellString& cells() const { return out_; }
  const std::vector<std::size_t>& starts() const { return starts_; }

 private:
  void append(const CellString* cells) {
    if (cells != nullptr) {
      out_ += *cells;
    } else {
      out_ += kBlank;
    }
  }

  void blanks_before(ClassId next) {
    if (!previous_) return;
    const std::size_t n = t_.blanks_between(*previous_, next);
    if (n > 0 && (out_.empty() || out_.back() != kBlank)) out_.append(n, kBlank);
  }

  template <class Map>
  static const typename Map::mapped_type* find(const Map& map, const typename Map::key_type& k) {
    const auto it = map.find(k);
    return it == map.end() ? nullptr : &it->second;
  }

  void letter(char32_t c, bool next_is_capital) {
    blanks_before(JapaneseTranslator::kLatin);
    const std::size_t h = out_.size();
    if (!foreign_) out_ += t_.foreign_prefix;
    const bool capital = is_upper(c);
    if (capital && !capital_run_) {
      out_ += next_is_capital ? t_.capital_double_prefix : t_.capital_prefix;
    }
    const CellString* cells = find(t_.letters, c);
    if (cells == nullptr && capital) cells = find(t_.letters, c - U'A' + U'a');
    append(cells);
    previous_ = JapaneseTranslator::kLatin;
    capital_run_ = capital;
    foreign_ = true;
    number_ = false;
    starts_.push_back(h);
  }

  void digit(char32_t c) {
    blanks_before(JapaneseTranslator::kDigit);
    const std::size_t h = out_.size();
    if (!number_) out_ += t_.digit_prefix;
    append(find(t_.digits, c));
    previous_ = JapaneseTranslator::kDigit;
    capital_run_ = false;
    foreign_ = false;
    number_ = true;
    starts_.push_back(h);
  }

  void other_ascii(char32_t c) {
    const bool exempt = t_.exempt.test(c);
    const JapaneseTranslator::Punct* entry = nullptr;
    if (exempt && !foreign_) entry = find(t_.punct_jp, c);
    if (entry == nullptr) entry = find(t_.punct_latin, c);
    const ClassId cls = entry != nullptr ? entry->class_id : JapaneseTranslator::kNone;
    blanks_before(cls);
    const std::size_t h = out_.size();
    append(entry != nullptr ? &entry->cells : nullptr);
    previous_ = cls;
    if (!exempt) {
      capital_run_ = false;
      foreign_ = false;
      number_ = false;
    }
    starts_.push_back(h);
  }

  // Returns how many normalised characters were consumed (1 or 2).
  std::size_t non_ascii(char32_t c, char32_t next, bool has_next) {
    if (foreign_) out_ += t_.foreign_exit;
    const CellString* compound =
        has_next ? find(t_.kana_compound, JapaneseTranslator::compound_key(c, next)) : nullptr;
    const CellString* single = compound == nullptr ? find(t_.kana_single, c) : nullptr;
    const JapaneseTranslator::Punct* punct =
        compound == nullptr && single == nullptr ? find(t_.punct_jp, c) : nullptr;
    if (number_) {
      const CellString* own = compound    ? compound
                              : single    ? single
                              : punct     ? &punct->cells
                                          : nullptr;
      const std::optional<char32_t> first =
          own == nullptr ? std::optional<char32_t>(kBlank)
          : own->empty() ? std::nullopt
                         : std::optional<char32_t>(own->front());
      if (first && t_.digit_cells.contains(*first)) out_ += t_.digit_explicit_exit;
    }
    foreign_ = false;
    number_ = false;
    capital_run_ = false;
    if (compound != nullptr) {
      blanks_before(JapaneseTranslator::kKana);
      const std::size_t h = out_.size();
      out_ += *compound;
      previous_ = JapaneseTranslator::kKana;
      starts_.push_back(h);
      starts_.push_back(h);
      return 2;
    }
    if (single != nullptr || punct != nullptr) {
      const ClassId cls = single != nullptr ? JapaneseTranslator::kKana : punct->class_id;
      blanks_before(cls);
      starts_.push_back(out_.size());
      out_ += single != nullptr ? *single : punct->cells;
      previous_ = cls;
      return 1;
    }
    starts_.push_back(out_.size());
    out_ += kBlank;
    previous_ = JapaneseTranslator::kNone;
    return 1;
  }

  const JapaneseTranslator& t_;
  std::u32string_view c_;
  CellString out_;
  std::vector<std::size_t> starts_;  // one per normalised character
  std::optional<ClassId> previous_;
  bool foreign_ = false;
  bool number_ = false;
  bool capital_run_ = false;
};

}  // namespace

std::size_t transition_blanks(const std::vector<TransitionRule>& rules, std::string_view previous,
                              std::string_view next) {
  std::optional<std::size_t> best_specificity;
  std::size_t best_count = 0;
  for (const TransitionRule& rule : rules) {
    if (!pattern_matches(rule.from, previous) || !pattern_matches(rule.to, next)) continue;
    const std::size_t s = specificity(rule.from) + specificity(rule.to);
    if (!best_specificity || s > *best_specificity) {
      best_specificity = s;
      best_count = rule.count;
    } else if (s == *best_specificity) {
      best_count = std::max(best_count, rule.count);
    }
  }
  return best_count;
}

JapaneseTranslator build_japanese_translator(const JapaneseTable& table) {
  JapaneseTranslator t;
  t.table = table;
  t.class_paths = {"kana", "digit", "latin", "none"};
  for (const auto& [key, cells] : table.kana_compound) {
    const std::u32string chars = utf8::to_u32(key);
    if (chars.size() == 2) {
      t.kana_compound.emplace(JapaneseTranslator::compound_key(chars[0], chars[1]),
                              utf8::to_u32(cells));
    }
  }
  t.kana_single = char_map(table.kana_single);
  t.punct_jp = punct_map(table.punct_jp, t.class_paths);
  t.punct_latin = punct_map(table.punct_latin, t.class_paths);
  t.digits = char_map(table.digits);
  t.letters = char_map(table.letters);

  t.digit_prefix = utf8::to_u32(table.digit_flag.entry_prefix);
  t.digit_explicit_exit = utf8::to_u32(table.digit_flag.explicit_exit);
  t.foreign_prefix = utf8::to_u32(table.foreign_word_flag.entry_prefix);
  t.foreign_exit = utf8::to_u32(table.foreign_word_flag.exit_suffix);
  t.capital_prefix = utf8::to_u32(table.capital_flag.entry_prefix);
  t.capital_double_prefix = utf8::to_u32(table.capital_flag.double_entry_prefix);

  for (const auto& [key, cells] : table.digits) {
    if (cells.empty()) continue;
    std::size_t pos = 0;
    t.digit_cells.insert(utf8::decode(cells, pos));
  }
  for (const std::string& s : table.digit_flag.exempt_chars) {
    if (s.empty()) continue;
    std::size_t pos = 0;
    const char32_t c = utf8::decode(s, pos);
    if (c < 0x80) t.exempt.set(c);
  }

  const std::size_t n = t.class_paths.size();
  t.blanks.resize(n * n);
  for (std::size_t a = 0; a < n; ++a) {
    for (std::size_t b = 0; b < n; ++b) {
      t.blanks[a * n + b] =
          transition_blanks(table.transitions, t.class_paths[a], t.class_paths[b]);
    }
  }
  return t;
}

std::expected<JapaneseTranslator, BrailleTableError> build_japanese_translator(
    const BrailleTable& table) {
  const JapaneseTable* japanese = table.japanese();
  if (japanese == nullptr) {
    return std::unexpected(BrailleTableError::unknown_table(table.name().value_or("")));
  }
  return build_japanese_translator(*japanese);
}

JapaneseLine translate_japanese(const JapaneseTranslator& translator, std::string_view line) {
  const WidthNormalized normalized = normalize_width(line);
  LineWriter writer(translator, normalized.chars);
  writer.run();
  JapaneseLine result;
  result.braille = utf8::from_u32(writer.cells());
  result.text_to_braille.reserve(line.size());
  const std::vector<std::size_t>& starts = writer.starts();
  for (std::size_t k = 0; k < starts.size(); ++k) {
    result.text_to_braille.insert(result.text_to_braille.end(), normalized.counts[k], starts[k]);
  }
  return result;
}

}  // namespace kotori::braille
