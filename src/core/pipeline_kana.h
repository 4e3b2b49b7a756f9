#pragma once
// Kana helpers of the unit walk: small kana, katakana conversion and the checks that decide
// whether a classifier label is an acceptable reading of a kana unit or of 々.
#include <string>
#include <string_view>

namespace kotori::core {

// ぁぃぅぇぉっゃゅょゎ and ァィゥェォッャュョヮ.
bool is_small_kana(char32_t c);
bool contains_small_kana(std::string_view text);

// `text` with every hiragana U+3041-U+3096 shifted to katakana; written into `out`.
void to_katakana(std::string_view text, std::string& out);

// The one-character hiragana whose reading differs from its katakana form: は as ワ, へ as
// エ, う as ー.
bool is_hiragana_reading_variant(char32_t c, std::string_view label);

// Whether `label` is `previous` with its first character voiced (カ→ガ ... ホ→ボ), allowed
// only when `previous` holds no voiced character of that set yet.
bool is_voiced_repeat(std::string_view previous, std::string_view label);

}  // namespace kotori::core
