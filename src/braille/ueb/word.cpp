#include "braille/ueb/word.h"

#include <algorithm>
#include <array>
#include <optional>
#include <tuple>

#include "braille/ueb/indicators.h"
#include "braille/ueb/text.h"

namespace kotori::braille::ueb {
namespace {

constexpr char32_t kBlankCells[] = {kBlankCell, 0};
constexpr std::u32string_view kBlank(kBlankCells, 1);

bool is_opening_mark(char32_t c) {
  return c == U'"' || c == U'\'' || c == U'(' || c == U'[' || c == U'{' || c == U'\u2018' ||
         c == U'\u201C';
}

bool is_closing_mark(char32_t c) {
  switch (c) {
    case U'!':
    case U'"':
    case U'\'':
    case U')':
    case U',':
    case U'.':
    case U':':
    case U';':
    case U'?':
    case U']':
    case U'}':
    case U'\u2019':
    case U'\u201D':
    case U'\u2026':
      return true;
    default:
      return false;
  }
}

// TAB, LF, CR, space, hyphen-minus, en dash, em dash.
bool is_word_separator(char32_t c) {
  return c == U'\t' || c == U'\n' || c == U'\r' || c == U' ' || c == U'-' || c == U'\u2013' ||
         c == U'\u2014';
}

bool is_contraction_suffix(std::u32string_view run) {
  static constexpr std::array<std::u32string_view, 6> kSuffixes{U"d", U"s", U"t",
                                                                  U"ll", U"re", U"ve"};
  if (run.size() > 2) return false;
  char32_t lowered[2] = {};
  for (std::size_t i = 0; i < run.size(); ++i) lowered[i] = ascii_lower(run[i]);
  const std::u32string_view l(lowered, run.size());
  return std::find(kSuffixes.begin(), kSuffixes.end(), l) != kSuffixes.end();
}

bool alone_before(std::u32string_view line, std::size_t start) {
  std::size_t p = start;
  while (p > 0 && is_opening_mark(line[p - 1])) --p;
  return p == 0 || is_word_separator(line[p - 1]);
}

// The "after" half of standing alone. The words of one chain of suffixes ("it's'll") share the
// verdict, which `cache` keeps so that a long chain is walked once.
bool alone_after(std::u32string_view line, std::size_t end, WordScratch* cache) {
  if (cache != nullptr && cache->chain_first < end && end <= cache->chain_last) {
    return cache->chain_alone;
  }
  std::size_t p = end;
  while (p + 1 < line.size() && line[p] == U'\'' && is_ascii_letter(line[p + 1])) {
    std::size_t q = p + 1;
    while (q < line.size() && is_ascii_letter(line[q]) && q - p <= 3) ++q;
    if (!is_contraction_suffix(line.substr(p + 1, q - p - 1)) ||
        (q < line.size() && is_ascii_letter(line[q]))) {
      break;
    }
    p = q;
  }
  const std::size_t chain_last = p;
  while (p < line.size() && is_closing_mark(line[p])) ++p;
  const bool alone = p == line.size() || is_word_separator(line[p]);
  if (cache != nullptr) {
    cache->chain_first = end;
    cache->chain_last = chain_last;
    cache->chain_alone = alone;
  }
  return alone;
}

// The division boundaries of the word, through its own entry or the entry of its stem.
void add_division_boundaries(const EnglishTranslator& t, std::size_t start, WordScratch& s) {
  if (t.divisions.empty()) return;
  const std::string_view w = s.lower;
  const std::vector<std::uint32_t>* found = nullptr;
  auto lookup = [&](std::string_view key) {
    auto it = t.divisions.find(key);
    if (it != t.divisions.end()) found = &it->second;
    return found != nullptr;
  };
  if (!lookup(w)) {
    static constexpr std::array<std::string_view, 5> kSuffixes{"s", "es", "ed", "ing", "ly"};
    for (std::string_view suffix : kSuffixes) {
      if (w.size() <= suffix.size() || !w.ends_with(suffix)) continue;
      const std::string_view stem = w.substr(0, w.size() - suffix.size());
      if (lookup(stem)) break;
      s.key.assign(stem);
      s.key.push_back('e');
      if (lookup(s.key)) break;
    }
  }
  if (found == nullptr) return;
  for (std::uint32_t offset : *found) s.boundaries.push_back(start + offset);
}

void add_capital_boundaries(std::u32string_view line, std::size_t start, std::size_t end,
                            std::vector<std::size_t>& boundaries) {
  std::size_t upper_run = is_ascii_upper(line[start]) ? 1 : 0;  // uppercase run ending at p - 1
  for (std::size_t p = start + 1; p < end; ++p) {
    const bool upper = is_ascii_upper(line[p]);
    if (upper && upper_run == 0) boundaries.push_back(p);
    if (!upper && upper_run >= 2) boundaries.push_back(p);
    upper_run = upper ? upper_run + 1 : 0;
  }
}

// The shortform rule: a shortform used inside a longer word.
class ShortformRule {
 public:
  ShortformRule(const EnglishTranslator& t, std::u32string_view line, std::size_t start,
                std::size_t end, WordScratch& s)
      : t_(t), line_(line), start_(start), end_(end), s_(s) {}

  bool satisfied(const Contraction& c, std::size_t i, std::size_t e) {
    switch (allowlist()) {
      case Verdict::Allowed:
        return true;
      case Verdict::Unknown:
      case Verdict::Free:
        break;
    }
    if (c.free == Free::None) return false;
    if (c.free == Free::Initial && i > 0) return false;
    if (c.not_before_vowel && e < end_ && is_vowel(line_[e])) return false;
    return true;
  }

 private:
  enum class Verdict { Unknown, Allowed, Free };

  Verdict allowlist() {
    if (verdict_ == Verdict::Unknown) verdict_ = compute();
    return verdict_;
  }

  Verdict compute() {
    // Runs are maximal, so a cached run that holds the word is the word's run.
    if (s_.sw_run_start <= start_ && end_ <= s_.sw_run_end) {
      return s_.sw_allowed ? Verdict::Allowed : Verdict::Free;
    }
    std::size_t a = start_;
    while (a > 0 && is_letter_or_apostrophe(line_[a - 1])) --a;
    std::size_t b = end_;
    while (b < line_.size() && is_letter_or_apostrophe(line_[b])) ++b;
    s_.sw_run_start = a;
    s_.sw_run_end = b;
    while (b > a && line_[b - 1] == U'\'') --b;
    std::string& sw = s_.key;
    sw.clear();
    for (std::size_t p = a; p < b; ++p) sw.push_back(static_cast<char>(ascii_lower(line_[p])));
    s_.sw_allowed = allowed(sw);
    return s_.sw_allowed ? Verdict::Allowed : Verdict::Free;
  }

  bool allowed(std::string_view w) const {
    if (t_.plural_exceptions.contains(w)) return false;
    if (t_.shortform_words.contains(w)) return true;
    if (w.ends_with("'s") && t_.shortform_words.contains(w.substr(0, w.size() - 2))) return true;
    return w.ends_with('s') && t_.shortform_words.contains(w.substr(0, w.size() - 1));
  }

  static bool is_letter_or_apostrophe(char32_t c) { return is_ascii_letter(c) || c == U'\''; }

  const EnglishTranslator& t_;
  std::u32string_view line_;
  std::size_t start_;
  std::size_t end_;
  WordScratch& s_;
  Verdict verdict_ = Verdict::Unknown;
};

// The rest of the word's whitespace-delimited run supplies a letter, a digit or upper punctuation.
bool run_has_upper_dot(const EnglishTranslator& t, std::u32string_view line, std::size_t start,
                       std::size_t end, WordScratch& s) {
  if (!(s.dot_run_start <= start && end <= s.dot_run_end)) {
    std::size_t a = start;
    while (a > 0 && !is_white_space(line[a - 1])) --a;
    std::size_t b = end;
    while (b < line.size() && !is_white_space(line[b])) ++b;
    s.dot_run_start = a;
    s.dot_run_end = b;
    s.dot_first = s.dot_last = WordScratch::kNone;
    for (std::size_t p = a; p < b; ++p) {
      const char32_t c = line[p];
      if (is_ascii_digit(c) || is_ascii_letter(c) ||
          (t.punctuation.contains(c) && !is_lower_punctuation(t, c))) {
        if (s.dot_first == WordScratch::kNone) s.dot_first = p;
        s.dot_last = p;
      }
    }
  }
  if (s.dot_run_start == start && s.dot_run_end == end) return true;
  // The word's own letters supply too, so look only outside [start, end).
  return s.dot_first < start || (s.dot_last != WordScratch::kNone && s.dot_last >= end);
}

std::uint32_t penalty_of(const Contraction& c) {
  if (c.cell.size() >= 2) return 8;
  if (!c.lower) return 2;
  if (c.has(Position::Initial)) return 1;
  return 3;
}

struct WordContext {
  const EnglishTranslator& t;
  std::u32string_view line;
  std::size_t start;
  std::size_t end;
  bool standing_alone;
  WordScratch& s;
  ShortformRule shortform_rule;
};

bool initial_stem_matches(const Contraction& c, std::string_view word) {
  return std::any_of(c.initial_stems.begin(), c.initial_stems.end(),
                     [&](const std::string& stem) { return word.starts_with(stem); });
}

bool position_satisfied(WordContext& w, const Contraction& c, std::size_t i, std::size_t e) {
  const std::size_t n = w.end - w.start;
  for (Position p : c.positions) {
    switch (p) {
      case Position::Always:
        return true;
      case Position::Noninitial:
        if (i > 0) return true;
        break;
      case Position::Medial:
        if (i > 0 && e < n) return true;
        break;
      case Position::Initial:
        if (i == 0 && e < n && initial_stem_matches(c, w.s.lower)) return true;
        break;
      case Position::Wordsign:
        if (w.standing_alone &&
            ((i == 0 && e == n) ||
             (c.shortform && w.shortform_rule.satisfied(c, i, w.start + e)))) {
          return true;
        }
        break;
    }
  }
  return false;
}

// Rules for a contraction that covers the whole word.
bool whole_word_admissible(WordContext& w, const Contraction& c) {
  if (w.standing_alone) {
    auto it = w.t.wordsign_cells.find(c.cell);
    if (it != w.t.wordsign_cells.end() && !it->second.contains(w.s.lower)) return false;
  }
  if (c.needs_upper_dot && !run_has_upper_dot(w.t, w.line, w.start, w.end, w.s)) return false;
  if (c.avoid_lower_punct && c.has(Position::Wordsign)) {
    if (w.start > 0 && is_lower_punctuation(w.t, w.line[w.start - 1])) return false;
    if (w.end < w.line.size() && is_lower_punctuation(w.t, w.line[w.end])) return false;
  }
  return true;
}

// Relative positions: the candidate covers [i, e) of the word.
bool admissible(WordContext& w, const Contraction& c, std::size_t i, std::size_t e) {
  const std::size_t s = w.start + i;
  auto b = std::upper_bound(w.s.boundaries.begin(), w.s.boundaries.end(), s);
  if (b != w.s.boundaries.end() && *b < w.start + e) return false;
  if (i > 0 && c.not_after.find(w.s.lower[i - 1]) != std::string::npos) {
    return false;
  }
  if (i == 0 && e == w.end - w.start && !whole_word_admissible(w, c)) return false;
  return position_satisfied(w, c, i, e);
}

}  // namespace

bool is_standing_alone(std::u32string_view line, std::size_t start, std::size_t end) {
  return alone_before(line, start) && alone_after(line, end, nullptr);
}

bool is_lower_punctuation(const EnglishTranslator& translator, char32_t c) {
  auto it = translator.punctuation.find(c);
  if (it == translator.punctuation.end()) return false;
  return std::all_of(it->second.begin(), it->second.end(), [](char32_t cell) {
    return cell >= 0x2800 && (cell & 0x1) == 0 && (cell & 0x8) == 0;
  });
}

std::u32string_view letter_cells(const EnglishTranslator& translator, char32_t c) {
  auto it = translator.letters.find(ascii_lower(c));
  return it == translator.letters.end() ? kBlank : std::u32string_view(it->second);
}

const SegmentChoice& choose_segments(const EnglishTranslator& t, std::u32string_view line,
                                     std::size_t start, std::size_t end, bool in_capital_passage,
                                     WordScratch& s) {
  s.choice.segments.clear();
  s.choice.standing_alone = false;
  if (start >= end || end > line.size()) return s.choice;  // no word there
  const std::size_t n = end - start;
  s.lower.clear();
  for (std::size_t p = start; p < end; ++p) {
    s.lower.push_back(static_cast<char>(ascii_lower(line[p])));
  }
  s.boundaries.clear();
  add_division_boundaries(t, start, s);
  if (!in_capital_passage) add_capital_boundaries(line, start, end, s.boundaries);
  std::sort(s.boundaries.begin(), s.boundaries.end());

  const bool alone = alone_before(line, start) && alone_after(line, end, &s);
  WordContext w{t, line, start, end, alone, s, ShortformRule(t, line, start, end, s)};
  s.best.assign(n + 1, WordScratch::Best{0, 0, 0, {}});
  for (std::size_t i = n; i-- > 0;) {
    WordScratch::Best& best = s.best[i];
    const WordScratch::Best& rest = s.best[i + 1];
    const std::u32string_view letter = letter_cells(t, line[start + i]);
    best = {static_cast<std::uint32_t>(letter.size()) + rest.cost, rest.penalty, 1, letter};
    const std::size_t longest = std::min(n - i, t.longest_spelling);
    for (std::size_t len = 2; len <= longest; ++len) {
      const std::string_view candidate = std::string_view(s.lower).substr(i, len);
      auto it = t.contractions.find(candidate);
      if (it != t.contractions.end() && admissible(w, it->second, i, i + len)) {
        const Contraction& c = it->second;
        const WordScratch::Best& after = s.best[i + len];
        const std::uint32_t cost = static_cast<std::uint32_t>(c.cell.size()) + after.cost;
        const std::uint32_t penalty = penalty_of(c) + after.penalty;
        if (std::tie(cost, penalty) <= std::tie(best.cost, best.penalty)) {
          best = {cost, penalty, static_cast<std::uint32_t>(len), c.cell};
        }
      }
      if (!t.contraction_prefixes.contains(candidate)) break;  // no longer spelling begins so
    }
  }

  s.choice.standing_alone = alone;
  for (std::size_t i = 0; i < n; i += s.best[i].length) {
    s.choice.segments.push_back({s.best[i].length, s.best[i].cells});
  }
  return s.choice;
}

SegmentChoice choose_segments(const EnglishTranslator& translator, std::u32string_view line,
                              std::size_t start, std::size_t end, bool in_capital_passage) {
  WordScratch scratch;
  return choose_segments(translator, line, start, end, in_capital_passage, scratch);
}

void translate_word(const EnglishTranslator& t, std::u32string_view line, std::size_t start,
                    std::size_t end, WordFlags flags, LineOutput& out, WordScratch& s) {
  if (start >= end || end > line.size() || out.text_to_braille.size() < end) return;
  const SegmentChoice& choice = choose_segments(t, line, start, end, flags.in_capital_passage, s);
  std::vector<Segment>& segments = s.choice.segments;
  Grade1Decision decision = Grade1Decision::None;
  if (choice.standing_alone) decision = decide_grade1(t, line, start, end, segments, s);
  if (decision == Grade1Decision::Grade1Word) {
    segments.clear();
    for (std::size_t p = start; p < end; ++p) segments.push_back({1, letter_cells(t, line[p])});
  }

  const std::size_t p0 = out.braille.size();
  if (decision == Grade1Decision::Grade1) out.braille += t.grade1;
  if (decision == Grade1Decision::Grade1Word) out.braille += t.grade1_word;
  if (flags.opens_capital_passage) out.braille += t.capital_passage;

  bool capital_run = false;
  std::size_t pos = start;
  for (std::size_t j = 0; j < segments.size(); ++j) {
    const Segment& seg = segments[j];
    const char32_t c = line[pos];
    std::u32string_view prefix;
    if (!flags.in_capital_passage) {
      if (capital_run && !is_ascii_upper(c)) {
        prefix = t.capital_terminator;
        capital_run = false;
      } else if (!capital_run && is_ascii_upper(c)) {
        std::size_t upper = 0;
        while (pos + upper < end && is_ascii_upper(line[pos + upper])) ++upper;
        if (upper >= 2) {
          prefix = t.capital_word;
          capital_run = true;
        } else {
          prefix = t.capital;
        }
      }
    }
    if (j == 0 && flags.after_number && prefix.empty() && seg.length == 1) {
      const char32_t l = ascii_lower(c);
      if (l >= U'a' && l <= U'j') out.braille += t.grade1;
    }
    out.braille += prefix;
    const std::size_t p = out.braille.size();
    out.braille += seg.cells;
    for (std::size_t k = 0; k < seg.length; ++k) out.text_to_braille[pos + k] = p;
    pos += seg.length;
  }
  out.text_to_braille[start] = p0;
}

}  // namespace kotori::braille::ueb
