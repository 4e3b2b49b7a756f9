#include "common/debug_repr.h"

#include <algorithm>

#include "common/escape_table.h"
#include "common/utf8.h"

namespace kotori {
namespace {

void append_unicode_escape(std::string& out, char32_t c) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\u{";
  int shift = 20;
  while (shift > 0 && ((c >> shift) & 0xF) == 0) shift -= 4;
  for (; shift >= 0; shift -= 4) out.push_back(kHex[(c >> shift) & 0xF]);
  out.push_back('}');
}

}  // namespace

bool needs_unicode_escape(char32_t c) {
  const auto& ranges = tables::kUnicodeEscapeRanges;
  const auto after = [](char32_t v, const tables::CodeRange& r) { return v < r.first; };
  const auto it = std::upper_bound(ranges.begin(), ranges.end(), c, after);
  return it != ranges.begin() && c <= std::prev(it)->last;
}

std::string debug_quote(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out.push_back('"');
  for (std::size_t pos = 0; pos < text.size();) {
    const char32_t c = utf8::decode(text, pos);
    switch (c) {
      case U'\\': out += "\\\\"; continue;
      case U'"': out += "\\\""; continue;
      case U'\t': out += "\\t"; continue;
      case U'\r': out += "\\r"; continue;
      case U'\n': out += "\\n"; continue;
      case U'\0': out += "\\0"; continue;
      default: break;
    }
    // A malformed byte decodes to U+FFFD and is written as that, so the result is valid UTF-8.
    if (needs_unicode_escape(c)) {
      append_unicode_escape(out, c);
    } else {
      utf8::append(out, c);
    }
  }
  out.push_back('"');
  return out;
}

}  // namespace kotori
