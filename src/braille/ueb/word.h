#pragma once
// Grade 2 writing of one English word: the segmentation with the fewest cells.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "braille/ueb/ueb_table.h"

namespace kotori::braille::ueb {

inline constexpr char32_t kBlankCell = U'\u2800';

// One letter or one contraction of a word; `cells` views the translator's data.
struct Segment {
  std::uint32_t length;
  std::u32string_view cells;
};

struct SegmentChoice {
  std::vector<Segment> segments;
  bool standing_alone = false;
};

// Where a line's braille goes: the cells and, per input character, the index of its braille.
struct LineOutput {
  std::u32string braille;
  std::vector<std::size_t> text_to_braille;
};

// The flags the line translator passes with each word.
struct WordFlags {
  bool after_number = false;
  bool in_capital_passage = false;
  bool opens_capital_passage = false;
};

// Buffers reused from word to word so that a line allocates only while they grow, and facts
// about the runs around the words that the next word of the same run can reuse. One scratch
// serves one line; start a fresh one for the next line.
struct WordScratch {
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  // The non-whitespace run last examined and its first and last character that supplies an
  // upper dot (kNone when none does).
  std::size_t dot_run_start = kNone, dot_run_end = 0, dot_first = kNone, dot_last = kNone;
  // The run of letters and apostrophes last examined and the shortform rule's allowlist verdict.
  std::size_t sw_run_start = kNone, sw_run_end = 0;
  bool sw_allowed = false;
  // The last apostrophe-suffix chain after a word: word ends in [chain_first, chain_last] share
  // the verdict of the "after" half of standing alone.
  std::size_t chain_first = kNone, chain_last = 0;
  bool chain_alone = false;

  struct Best {
    std::uint32_t cost;
    std::uint32_t penalty;
    std::uint32_t length;
    std::u32string_view cells;
  };
  std::string lower;      // the lowercased word
  std::string key;        // a lookup key being assembled
  std::u32string joined;  // concatenated cells
  std::vector<std::size_t> boundaries;
  std::vector<Best> best;
  SegmentChoice choice;
};

bool is_standing_alone(std::u32string_view line, std::size_t start, std::size_t end);
bool is_lower_punctuation(const EnglishTranslator& translator, char32_t c);

// The cells of one letter (lowercased), or the blank cell when the table has none.
std::u32string_view letter_cells(const EnglishTranslator& translator, char32_t c);

// Chooses the segments of the word [start, end) of `line` (every character an ASCII letter).
// The result lives in `scratch.choice` until the next call.
const SegmentChoice& choose_segments(const EnglishTranslator& translator,
                                     std::u32string_view line, std::size_t start,
                                     std::size_t end, bool in_capital_passage,
                                     WordScratch& scratch);

SegmentChoice choose_segments(const EnglishTranslator& translator, std::u32string_view line,
                              std::size_t start, std::size_t end, bool in_capital_passage);

// Writes the word [start, end) with its indicators and fills its text_to_braille entries
// (`output.text_to_braille` already holds one entry per character of the line).
void translate_word(const EnglishTranslator& translator, std::u32string_view line,
                    std::size_t start, std::size_t end, WordFlags flags, LineOutput& output,
                    WordScratch& scratch);

}  // namespace kotori::braille::ueb
