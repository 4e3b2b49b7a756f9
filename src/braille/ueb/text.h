#pragma once
// Character classes of the English route: ASCII letters and digits, vowels, White_Space.
namespace kotori::braille::ueb {

constexpr bool is_ascii_upper(char32_t c) { return c >= U'A' && c <= U'Z'; }
constexpr bool is_ascii_lower(char32_t c) { return c >= U'a' && c <= U'z'; }
constexpr bool is_ascii_letter(char32_t c) { return is_ascii_upper(c) || is_ascii_lower(c); }
constexpr bool is_ascii_digit(char32_t c) { return c >= U'0' && c <= U'9'; }
constexpr char32_t ascii_lower(char32_t c) { return is_ascii_upper(c) ? c + 32 : c; }

// a, e, i, o, u, y in either case.
constexpr bool is_vowel(char32_t c) {
  const char32_t l = ascii_lower(c);
  return l == U'a' || l == U'e' || l == U'i' || l == U'o' || l == U'u' || l == U'y';
}

// The Unicode White_Space property.
constexpr bool is_white_space(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
         c == 0x205F || c == 0x3000;
}

}  // namespace kotori::braille::ueb
