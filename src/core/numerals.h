#pragma once
// Digit texts for kanji numerals, and the digit test applied to labels of digit units.
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "core/text_units.h"

namespace kotori::core {

// The replacement of numeral unit `i` of `units` (i < units.size()): ASCII digits for the
// digit kanji and the place values 十百千 within a group, katakana for 千 ending a group and
// for 万億兆. The text borrows constant data; nothing means the unit writes no text.
std::optional<std::string_view> numeral_replacement(std::span<const TextUnit> units,
                                                    std::size_t i);

// True when `text` is non-empty and made only of ASCII (0-9) or fullwidth (０-９) digits.
bool is_digit_text(std::string_view text);

}  // namespace kotori::core
