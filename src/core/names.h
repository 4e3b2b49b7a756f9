#pragma once
// Marks and readings of the dictionary names found in a text's units.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/model/name_dictionary.h"
#include "core/text_units.h"

namespace kotori::core {

inline constexpr std::uint8_t kNameNone = 0;   // not part of a matched name
inline constexpr std::uint8_t kNameStart = 1;  // a matched name starts here
inline constexpr std::uint8_t kNameInner = 2;  // continues the name started before

// One item per unit of the text.
struct NameMatches {
  std::vector<std::uint8_t> marks;
  std::vector<std::optional<std::string>> readings;  // from matched names that carry them
};

// Greedy scan, left to right, longest name first; matches never overlap.
NameMatches match_names(std::span<const TextUnit> units, const NameDictionary& dictionary);

}  // namespace kotori::core
