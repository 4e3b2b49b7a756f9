#include "core/pipeline_kana.h"

#include "common/utf8.h"

namespace kotori::core {
namespace {

constexpr std::u32string_view kUnvoiced = U"カキクケコサシスセソタチツテトハヒフヘホ";
constexpr std::u32string_view kVoiced = U"ガギグゲゴザジズゼゾダヂヅデドバビブベボ";

}  // namespace

bool is_small_kana(char32_t c) {
  constexpr std::u32string_view kSmall = U"ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮ";
  return kSmall.find(c) != std::u32string_view::npos;
}

bool contains_small_kana(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    if (is_small_kana(utf8::decode(text, pos))) return true;
  }
  return false;
}

void to_katakana(std::string_view text, std::string& out) {
  out.clear();
  for (std::size_t pos = 0; pos < text.size();) {
    const char32_t c = utf8::decode(text, pos);
    utf8::append(out, c >= 0x3041 && c <= 0x3096 ? c + 0x60 : c);
  }
}

bool is_hiragana_reading_variant(char32_t c, std::string_view label) {
  return (c == U'は' && label == "ワ") || (c == U'へ' && label == "エ") ||
         (c == U'う' && label == "ー");
}

bool is_voiced_repeat(std::string_view previous, std::string_view label) {
  if (previous.empty()) return false;
  std::size_t pos = 0;
  const char32_t first = utf8::decode(previous, pos);
  const std::size_t k = kUnvoiced.find(first);
  if (k == std::u32string_view::npos) return false;
  for (std::size_t p = 0; p < previous.size();) {
    if (kVoiced.find(utf8::decode(previous, p)) != std::u32string_view::npos) return false;
  }
  // The voiced form of each listed character is the next code point, 3 bytes in UTF-8 as the
  // unvoiced one, so the rest of the text follows unchanged.
  std::string voiced;
  utf8::append(voiced, kVoiced[k]);
  return label.size() == previous.size() && label.substr(0, pos) == voiced &&
         label.substr(pos) == previous.substr(pos);
}

}  // namespace kotori::core
