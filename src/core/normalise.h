#pragma once
// Normalisation of the caller's text before prediction (iteration marks written out, Latin
// ligatures split, fullwidth letters and digits and CJK compatibility and radical forms
// folded), and the step that moves a prediction back onto the caller's text.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kotori::core {

struct CorePrediction;

// For a text produced from another one: one entry per byte of the produced text, the byte
// offset in the other text of the first byte of the character it came from.
using ByteMap = std::vector<std::uint32_t>;

struct NormalisedText {
  std::string text;
  // Set only when at least one character was changed; maps `text` onto the input.
  std::optional<ByteMap> map;
};

NormalisedText normalise(std::string_view text);

// The replacement of `c` in the ideograph fold table (radicals, compatibility ideographs,
// fullwidth digits and letters), or nothing.
std::optional<char32_t> fold_char(char32_t c);

// Rewrites `prediction` in place so that it describes `new_source`; `map` holds one
// new-source offset per byte of the prediction's current source.
void map_onto(CorePrediction& prediction, std::string_view new_source,
              std::span<const std::uint32_t> map);

// One entry of the ideograph fold table.
struct FoldPair {
  char32_t from;
  char32_t to;
};

// The whole fold table, sorted by `from`.
std::span<const FoldPair> ideograph_fold_table();

}  // namespace kotori::core
