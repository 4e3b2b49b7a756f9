#include "core/names.h"

namespace kotori::core {
namespace {

bool matches_at(const NameEntry& entry, std::span<const TextUnit> units, std::size_t p) {
  if (entry.units.empty() || entry.units.size() > units.size() - p) return false;
  for (std::size_t j = 0; j < entry.units.size(); ++j) {
    if (!entry.units[j].matches(units[p + j])) return false;
  }
  return true;
}

}  // namespace

NameMatches match_names(std::span<const TextUnit> units, const NameDictionary& dictionary) {
  NameMatches out;
  out.marks.assign(units.size(), kNameNone);
  out.readings.resize(units.size());
  if (dictionary.empty()) return out;
  std::size_t p = 0;
  while (p < units.size()) {
    const NameEntry* found = nullptr;
    for (const NameEntry& entry : dictionary.candidates(units[p].first)) {
      if (matches_at(entry, units, p)) {
        found = &entry;
        break;
      }
    }
    if (found == nullptr) {
      ++p;
      continue;
    }
    const std::size_t n = found->units.size();
    out.marks[p] = kNameStart;
    for (std::size_t j = 1; j < n; ++j) out.marks[p + j] = kNameInner;
    if (found->readings && found->readings->size() == n) {
      for (std::size_t j = 0; j < n; ++j) out.readings[p + j] = (*found->readings)[j];
    }
    p += n;
  }
  return out;
}

}  // namespace kotori::core
