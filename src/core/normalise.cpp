#include "core/normalise.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "common/utf8.h"
#include "core/result.h"

namespace kotori::core {
namespace tables {

#include "core/fold_table.inc"

}  // namespace tables
namespace {

constexpr bool is_voicing_mark(char32_t c) { return c == U'ゞ' || c == U'ヾ'; }
constexpr bool is_repeat_mark(char32_t c) { return c == U'ゝ' || c == U'ヽ'; }

// The voiced form of the kana before a voiced iteration mark; other characters stay as they are.
char32_t voiced(char32_t c) {
  static constexpr std::u32string_view kVoiceable =
      U"かきくけこさしすせそたちつてとはひふへほ"
      U"カキクケコサシスセソタチツテトハヒフヘホ";
  if (c == U'う') return U'ゔ';
  if (c == U'ウ') return U'ヴ';
  if (kVoiceable.find(c) != std::u32string_view::npos) return c + 1;
  return c;
}

// The letters a Latin ligature stands for, or an empty view.
std::string_view ligature(char32_t c) {
  switch (c) {
    case 0xFB00: return "ff";
    case 0xFB01: return "fi";
    case 0xFB02: return "fl";
    case 0xFB03: return "ffi";
    case 0xFB04: return "ffl";
    case 0xFB05: return "st";
    case 0xFB06: return "st";
    default: return {};
  }
}

}  // namespace

std::span<const FoldPair> ideograph_fold_table() { return tables::kIdeographFold; }

std::optional<char32_t> fold_char(char32_t c) {
  const auto& table = tables::kIdeographFold;
  const auto it = std::lower_bound(table.begin(), table.end(), c,
                                   [](const FoldPair& p, char32_t v) { return p.from < v; });
  if (it == table.end() || it->from != c) return std::nullopt;
  return it->to;
}

NormalisedText normalise(std::string_view text) {
  NormalisedText out;
  out.text.reserve(text.size());
  ByteMap map;
  map.reserve(text.size());
  bool changed = false;
  std::optional<char32_t> previous;
  for (std::size_t pos = 0; pos < text.size();) {
    const auto offset = static_cast<std::uint32_t>(pos);
    const char32_t c = utf8::decode(text, pos);
    const std::size_t written_from = out.text.size();
    if (previous && is_voicing_mark(c)) {
      previous = voiced(*previous);
      utf8::append(out.text, *previous);
      changed = true;
    } else if (previous && is_repeat_mark(c)) {
      utf8::append(out.text, *previous);
      changed = true;
    } else if (const std::string_view letters = ligature(c); !letters.empty()) {
      out.text += letters;
      previous = static_cast<char32_t>(letters.back());
      changed = true;
    } else if (const auto folded = fold_char(c)) {
      utf8::append(out.text, *folded);
      previous = *folded;
      changed = true;
    } else {
      // Copied byte for byte, so an unchanged text comes back exactly as it was given.
      out.text.append(text.substr(offset, pos - offset));
      previous = c;
    }
    map.resize(map.size() + (out.text.size() - written_from), offset);
  }
  if (changed) out.map = std::move(map);
  return out;
}

void map_onto(CorePrediction& prediction, std::string_view new_source,
              std::span<const std::uint32_t> map) {
  // A value past the old source (no source byte) stays past the end of the new one.
  const auto end = static_cast<std::uint32_t>(new_source.size());
  for (std::uint32_t& v : prediction.kana_to_source) v = v < map.size() ? map[v] : end;
  prediction.source_to_kana = prediction.source_to_kana.regrouped(map, new_source.size());
  prediction.source.assign(new_source);
}

}  // namespace kotori::core
