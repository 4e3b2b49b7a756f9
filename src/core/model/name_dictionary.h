#pragma once
// Names by first character, longest first, built from the model's name records.
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/model/model_error.h"
#include "core/text_units.h"

namespace kotori::core {

class Reader;

// The three character fields of one text unit of a name.
struct NameUnit {
  char32_t first = 0;
  char32_t second = 0;    // 0 for a one-character unit
  char32_t reserved = 0;  // always 0

  friend bool operator==(const NameUnit&, const NameUnit&) = default;
  bool matches(const TextUnit& unit) const {
    return first == unit.first && second == unit.second && reserved == unit.reserved;
  }
};

struct NameEntry {
  std::vector<NameUnit> units;  // never empty
  // One reading per unit; present only when the record had exactly that many.
  std::optional<std::vector<std::string>> readings;
};

// A name record as stored in the file, surface already folded.
struct NameRecord {
  std::string surface;
  std::optional<std::vector<std::string>> readings;  // absent when the count byte was 0
};

class NameDictionary {
 public:
  NameDictionary() = default;

  // Splits each surface into units and groups the entries by first character; each group
  // is sorted stably by unit count, most units first. Empty surfaces are skipped.
  static NameDictionary build(std::span<const NameRecord> records);

  // The entries whose first unit starts with `c`, longest first; empty when none.
  std::span<const NameEntry> candidates(char32_t c) const;

  bool empty() const { return by_first_.empty(); }
  // Number of characters that start at least one name.
  std::size_t key_count() const { return by_first_.size(); }

 private:
  std::unordered_map<char32_t, std::vector<NameEntry>> by_first_;
};

// Folds every character of a UTF-8 surface with fold_char.
std::string fold_surface(std::string_view surface);

// Reads section 13 (count and records) and builds the dictionary.
std::expected<NameDictionary, ModelError> read_name_dictionary(Reader& reader);

}  // namespace kotori::core
