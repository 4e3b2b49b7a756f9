#pragma once
// The one UTF-8 decoder and encoder shared by both libraries.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kotori::utf8 {

inline constexpr char32_t kReplacement = 0xFFFD;

// Decodes the character that starts at `pos` and advances `pos` past it.
// Malformed input (bad lead byte, truncated or overlong sequence, surrogate,
// value above U+10FFFF) yields U+FFFD and advances by one byte, so every
// byte string decodes without reading out of range.
inline char32_t decode(std::string_view s, std::size_t& pos) {
  const auto b0 = static_cast<unsigned char>(s[pos]);
  if (b0 < 0x80) {
    ++pos;
    return b0;
  }
  int len;
  char32_t cp;
  char32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    ++pos;
    return kReplacement;
  }
  if (pos + len > s.size()) {
    ++pos;
    return kReplacement;
  }
  for (int i = 1; i < len; ++i) {
    const auto b = static_cast<unsigned char>(s[pos + i]);
    if ((b & 0xC0) != 0x80) {
      ++pos;
      return kReplacement;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++pos;
    return kReplacement;
  }
  pos += len;
  return cp;
}

// Number of bytes the encoding of `cp` takes.
inline constexpr std::size_t encoded_length(char32_t cp) {
  return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

// Appends the UTF-8 encoding of `cp` to `out`.
inline void append(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

inline std::string encode(char32_t cp) {
  std::string out;
  append(out, cp);
  return out;
}

// Decodes a whole string into code points.
inline std::u32string to_u32(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  for (std::size_t pos = 0; pos < s.size();) out.push_back(decode(s, pos));
  return out;
}

inline std::string from_u32(std::u32string_view s) {
  std::string out;
  out.reserve(s.size() * 3);
  for (char32_t c : s) append(out, c);
  return out;
}

// Number of code points in a well-formed UTF-8 string.
inline std::size_t count_chars(std::string_view s) {
  std::size_t n = 0;
  for (unsigned char b : s) n += (b & 0xC0) != 0x80;
  return n;
}

}  // namespace kotori::utf8
