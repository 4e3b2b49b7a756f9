#pragma once
// One `[divisions]` entry: a lowercase word with `|` at the places no contraction may cross.
#include <cstdint>
#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "common/utf8.h"

namespace kotori::braille::ueb {

struct Division {
  std::string word;                    // the entry without its bars
  std::vector<std::uint32_t> offsets;  // letters before each bar, in order, duplicates kept
};

// The word and its boundaries, or the check message of the first rule the entry breaks.
inline std::expected<Division, std::string> parse_division(std::string_view entry) {
  const std::string head = "[divisions] \"" + std::string(entry) + "\": ";
  Division d;
  for (std::size_t pos = 0; pos < entry.size();) {
    const std::size_t begin = pos;
    const char32_t c = utf8::decode(entry, pos);
    if (c >= U'a' && c <= U'z') {
      d.word.push_back(static_cast<char>(c));
    } else if (c == U'|') {
      d.offsets.push_back(static_cast<std::uint32_t>(d.word.size()));
    } else {
      return std::unexpected(head + "\"" + std::string(entry.substr(begin, pos - begin)) +
                             "\" は使えません（小文字 a-z と | のみ）");
    }
  }
  if (d.offsets.empty()) return std::unexpected(head + "境界 | がありません");
  for (std::uint32_t b : d.offsets) {
    if (b == 0 || b == d.word.size()) {
      return std::unexpected(head + "境界 | を語頭・語末には置けません");
    }
  }
  return d;
}

}  // namespace kotori::braille::ueb
