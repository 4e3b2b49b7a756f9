#pragma once
// Capital passages, numbers and the grade 1 indicators of standing-alone words.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "braille/ueb/ueb_table.h"
#include "braille/ueb/word.h"

namespace kotori::braille::ueb {

// A run of capitalised words written with the capital passage indicator: [start, end).
struct CapitalPassage {
  std::size_t start;
  std::size_t end;
  friend bool operator==(const CapitalPassage&, const CapitalPassage&) = default;
};

// The passages of a line, in order; none unless the table has both passage indicators.
std::vector<CapitalPassage> find_capital_passages(const EnglishTranslator& translator,
                                                  std::u32string_view line);

// Writes the number that starts with the digit at `start`; returns the index after it.
std::size_t translate_number(const EnglishTranslator& translator, std::u32string_view line,
                             std::size_t start, LineOutput& output);

// The index of the first segment at which the segments of the word [start, end) read as a
// shortform that the word is not; nullopt when there is none.
std::optional<std::size_t> find_shortform_misreading(const EnglishTranslator& translator,
                                                     std::u32string_view line, std::size_t start,
                                                     std::size_t end,
                                                     const std::vector<Segment>& segments,
                                                     WordScratch& scratch);

enum class Grade1Decision { None, Grade1, Grade1Word };

// The grade 1 indicator a standing-alone word needs; Grade1Word means the word is rewritten
// letter by letter. Both read `scratch.lower`, the lowercased word left by choose_segments.
Grade1Decision decide_grade1(const EnglishTranslator& translator, std::u32string_view line,
                             std::size_t start, std::size_t end,
                             const std::vector<Segment>& segments, WordScratch& scratch);

}  // namespace kotori::braille::ueb
