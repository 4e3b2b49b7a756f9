#pragma once
// The quoted, escaped rendering of a string used by every __repr__ and by
// debug forms of errors.
#include <string>
#include <string_view>

namespace kotori {

// `text` (UTF-8) between double quotes: backslash before \ and ", \t \r \n \0
// for those controls, \u{hex} for non-printable and Grapheme_Extend characters,
// everything else unchanged.
std::string debug_quote(std::string_view text);

// True for the characters debug_quote writes as \u{hex}.
bool needs_unicode_escape(char32_t c);

}  // namespace kotori
