#pragma once
// Code points that the debug rendering writes as \u{hex}: the non-printable characters and
// those with the Grapheme_Extend property, as sorted, disjoint, inclusive ranges.
#include <array>

namespace kotori::tables {

struct CodeRange {
  char32_t first;
  char32_t last;
};

#include "common/escape_table.inc"

}  // namespace kotori::tables
