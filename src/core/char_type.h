#pragma once
// The one-byte character class that decides how the pipeline treats a character.
#include <cstdint>

namespace kotori::core {

enum class CharType : std::uint8_t {
  Whitespace = 0x00,
  Latin = 0x10,
  Digit = 0x11,
  Reserved20 = 0x20,
  Symbol = 0x30,
  Closing = 0x31,
  Opening = 0x32,
  SentenceEnd = 0x33,
  Comma = 0x34,
  Hiragana = 0x40,
  Katakana = 0x41,
  Kanji = 0x42,
  KanjiNumeral = 0x43,
  Invisible = 0x50,
  Other = 0xFF,
};

// The class of one code point; pure, allocation free.
CharType char_type(char32_t c);

// True for the byte values a model file may store as a character type.
bool is_valid_char_type(std::uint8_t code);

}  // namespace kotori::core
