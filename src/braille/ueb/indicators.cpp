#include "braille/ueb/indicators.h"

#include <algorithm>
#include <array>

#include "braille/ueb/text.h"

namespace kotori::braille::ueb {
namespace {

struct Token {
  std::size_t start;
  std::size_t end;
  std::size_t first_upper;  // end when there is none
  bool has_lower;
  bool capitalised() const { return first_upper != end && !has_lower; }
  bool letterless() const { return first_upper == end && !has_lower; }
};

std::vector<Token> tokens_of(std::u32string_view line) {
  std::vector<Token> tokens;
  std::size_t p = 0;
  while (p < line.size()) {
    if (is_white_space(line[p])) {
      ++p;
      continue;
    }
    Token t{p, p, p, false};
    bool upper_seen = false;
    for (; p < line.size() && !is_white_space(line[p]); ++p) {
      if (is_ascii_upper(line[p]) && !upper_seen) {
        upper_seen = true;
        t.first_upper = p;
      }
      t.has_lower = t.has_lower || is_ascii_lower(line[p]);
    }
    t.end = p;
    if (!upper_seen) t.first_upper = p;
    tokens.push_back(t);
  }
  return tokens;
}

struct ClosingMark {
  char32_t mark;
  char32_t partner;
};
constexpr std::array<ClosingMark, 6> kClosingMarks{{{U'"', U'"'},
                                                    {U')', U'('},
                                                    {U']', U'['},
                                                    {U'}', U'{'},
                                                    {U'\u2019', U'\u2018'},
                                                    {U'\u201D', U'\u201C'}}};

// Moves the end back over closing marks whose partner does not occur inside the passage.
std::size_t trim_closing_marks(std::u32string_view line, std::size_t start, std::size_t end) {
  // First occurrence of each partner at or after start; a partner occurs between start and
  // index x exactly when its first occurrence is below x.
  std::array<std::size_t, kClosingMarks.size()> first;
  first.fill(end);
  for (std::size_t p = start; p < end; ++p) {
    for (std::size_t m = 0; m < kClosingMarks.size(); ++m) {
      if (line[p] == kClosingMarks[m].partner && first[m] == end) first[m] = p;
    }
  }
  while (end - 1 > start) {
    const char32_t c = line[end - 1];
    auto it = std::find_if(kClosingMarks.begin(), kClosingMarks.end(),
                           [c](const ClosingMark& m) { return m.mark == c; });
    if (it == kClosingMarks.end()) break;
    if (first[static_cast<std::size_t>(it - kClosingMarks.begin())] < end - 1) break;
    --end;
  }
  return end;
}

bool cells_equal_at(std::u32string_view whole, std::size_t offset, std::u32string_view part) {
  return whole.substr(offset, part.size()) == part;
}

}  // namespace

std::vector<CapitalPassage> find_capital_passages(const EnglishTranslator& translator,
                                                  std::u32string_view line) {
  std::vector<CapitalPassage> passages;
  if (translator.capital_passage.empty() || translator.capital_terminator.empty()) return passages;
  const std::vector<Token> tokens = tokens_of(line);
  std::size_t k = 0;
  while (k < tokens.size()) {
    if (!tokens[k].capitalised()) {
      ++k;
      continue;
    }
    std::size_t last = k;
    std::size_t m = k;
    for (; m < tokens.size(); ++m) {
      if (tokens[m].capitalised()) {
        last = m;
      } else if (!tokens[m].letterless()) {
        break;
      }
    }
    if (last - k >= 2) {
      const std::size_t start = tokens[k].first_upper;
      passages.push_back({start, trim_closing_marks(line, start, tokens[last].end)});
    }
    k = std::max(k + 1, m);
  }
  return passages;
}

std::size_t translate_number(const EnglishTranslator& t, std::u32string_view line,
                             std::size_t start, LineOutput& out) {
  if (start >= line.size() || out.text_to_braille.size() < line.size()) return start;
  out.text_to_braille[start] = out.braille.size();
  out.braille += t.number;
  std::size_t p = start;
  while (p < line.size()) {
    const char32_t c = line[p];
    const std::unordered_map<char32_t, Cells>* map = nullptr;
    if (is_ascii_digit(c)) {
      map = &t.digits;
    } else if ((c == U'.' || c == U',') && p + 1 < line.size() && is_ascii_digit(line[p + 1])) {
      map = &t.punctuation;
    } else {
      break;
    }
    if (p != start) out.text_to_braille[p] = out.braille.size();
    if (auto it = map->find(c); it != map->end()) out.braille += it->second;
    ++p;
  }
  return p;
}

namespace {

// Whether the segments from j on read as the shortform `ref`, which the word is not.
bool misreads_as(const EnglishTranslator& t, std::u32string_view line, std::size_t start,
                 std::size_t end, const std::vector<Segment>& segments, std::size_t j,
                 std::size_t pj, const ShortformRef& ref, WordScratch& s) {
  const Contraction& sf = *ref.contraction;
  if (segments[j].cells == sf.cell && segments[j].length == ref.spelling.size()) return false;
  std::size_t cells = 0;
  std::size_t k = 0;
  for (std::size_t q = j; q < segments.size() && cells < sf.cell.size(); ++q) {
    if (!cells_equal_at(sf.cell, cells, segments[q].cells)) return false;
    cells += segments[q].cells.size();
    k += segments[q].length;
  }
  if (cells != sf.cell.size()) return false;
  if (sf.free != Free::None) {
    if (sf.not_before_vowel && pj + k < end && is_vowel(line[pj + k])) return false;
    return !(sf.free == Free::Initial && pj > start);
  }
  const std::string_view word = s.lower;
  // The reading, or the reading without a plural "s", must fit on the allowlist.
  if (word.size() - k + ref.spelling.size() > t.longest_shortform_word + 1) return false;
  const std::size_t rel = pj - start;
  std::string& reading = s.key;
  reading.assign(word.substr(0, rel));
  reading += ref.spelling;
  reading += word.substr(rel + k);
  if (reading == word) return false;
  const std::string_view r = reading;
  return t.shortform_words.contains(r) ||
         (r.ends_with('s') && t.shortform_words.contains(r.substr(0, r.size() - 1)));
}

}  // namespace

std::optional<std::size_t> find_shortform_misreading(const EnglishTranslator& t,
                                                     std::u32string_view line, std::size_t start,
                                                     std::size_t end,
                                                     const std::vector<Segment>& segments,
                                                     WordScratch& s) {
  if (t.shortforms.empty()) return std::nullopt;
  auto by_first = [&](char32_t cell) -> const std::vector<std::size_t>* {
    auto it = t.shortforms_by_first_cell.find(cell);
    return it == t.shortforms_by_first_cell.end() ? nullptr : &it->second;
  };
  const std::vector<std::size_t>* without_cells = by_first(U'\0');
  std::size_t pj = start;
  for (std::size_t j = 0; j < segments.size(); pj += segments[j].length, ++j) {
    // A shortform can only match segments whose cells begin with its first cell; a segment
    // without cells passes that cell on to the next one, so then every shortform is tried.
    auto try_all = [&](const std::vector<std::size_t>& candidates) {
      for (std::size_t index : candidates) {
        if (misreads_as(t, line, start, end, segments, j, pj, t.shortforms[index], s)) {
          return true;
        }
      }
      return false;
    };
    if (without_cells != nullptr && try_all(*without_cells)) return j;
    if (segments[j].cells.empty()) {
      for (const auto& [cell, candidates] : t.shortforms_by_first_cell) {
        if (cell != U'\0' && try_all(candidates)) return j;
      }
    } else if (const auto* candidates = by_first(segments[j].cells[0])) {
      if (try_all(*candidates)) return j;
    }
  }
  return std::nullopt;
}

Grade1Decision decide_grade1(const EnglishTranslator& t, std::u32string_view line,
                             std::size_t start, std::size_t end,
                             const std::vector<Segment>& segments, WordScratch& s) {
  if (!t.grade1_word.empty()) {
    if (auto j = find_shortform_misreading(t, line, start, end, segments, s)) {
      return *j > 0 ? Grade1Decision::Grade1Word : Grade1Decision::Grade1;
    }
  }
  if (t.grade1.empty()) return Grade1Decision::None;
  s.joined.clear();
  for (const Segment& seg : segments) s.joined += seg.cells;
  auto it = t.contraction_cells.find(std::u32string_view(s.joined));
  if (it != t.contraction_cells.end() && !it->second.contains(s.lower)) {
    return Grade1Decision::Grade1;
  }
  return Grade1Decision::None;
}

}  // namespace kotori::braille::ueb
