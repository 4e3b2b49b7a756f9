#pragma once
// Width normalisation before Japanese table lookup: half-width katakana to full width,
// half-width kana + voicing mark composed, full-width digits and letters to ASCII.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kotori::braille {

struct WidthNormalized {
  std::u32string chars;               // the normalised characters
  std::vector<std::uint8_t> counts;  // per character: input characters it stands for (1 or 2)
};

// One pass over the UTF-8 line; the counts add up to the number of input characters.
WidthNormalized normalize_width(std::string_view line);

// The same, written into `out` (its previous content is replaced), for callers that keep
// their buffers.
void normalize_width(std::string_view line, WidthNormalized& out);

}  // namespace kotori::braille
