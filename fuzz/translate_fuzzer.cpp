// Arbitrary bytes through one braille route; KOTORI_FUZZ_ROUTE picks it:
// 0 = translate_line (language decision), 1 = Japanese, 2 = English.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "braille/dispatch.h"
#include "braille/registry.h"
#include "fuzz/fuzz_support.h"

namespace {

using kotori::braille::BrailleOutput;
using kotori::fuzz::check;

struct Translators {
  kotori::braille::JapaneseTranslator japanese;
  kotori::braille::ueb::EnglishTranslator english;
};

const Translators& translators() {
  static const Translators* t = [] {
    const auto& registry = kotori::braille::TableRegistry::instance();
    auto japanese = kotori::braille::build_japanese_translator(registry.first_table());
    auto table = registry.load_embedded("english_ueb_grade2");
    check(japanese.has_value() && table.has_value(), "embedded tables build");
    auto english = kotori::braille::ueb::build_english_translator(*table, "english_ueb_grade2");
    check(english.has_value(), "embedded UEB table builds");
    return new Translators{std::move(*japanese), std::move(*english)};
  }();
  return *t;
}

BrailleOutput run(std::string_view line) {
  const Translators& t = translators();
#if KOTORI_FUZZ_ROUTE == 1
  return kotori::braille::translate_line_japanese(t.japanese, line);
#elif KOTORI_FUZZ_ROUTE == 2
  return kotori::braille::translate_line_english(t.english, line);
#else
  return kotori::braille::translate_line(t.japanese, t.english, line);
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const BrailleOutput out = run(line);

  check(out.text == line, "text is the line as received");
  std::size_t cells = 0;
  for (std::size_t pos = 0; pos < out.braille.size(); ++cells) {
    const char32_t c = kotori::utf8::decode(out.braille, pos);
    check(c >= 0x2800 && c <= 0x28FF, "every cell is a braille pattern");
  }
  check(out.braille_to_text.size() == cells, "one braille_to_text entry per cell");
  const std::size_t chars = kotori::fuzz::decoded_length(line);
  check(out.text_to_braille.size() == chars, "one text_to_braille entry per character");
  for (std::size_t first : out.text_to_braille) {
    check(first <= cells, "text_to_braille within the cells");
  }
  for (std::size_t c : out.braille_to_text) check(c < chars, "braille_to_text within the text");
  return 0;
}
