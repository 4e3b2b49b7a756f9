#include "core/model/name_dictionary.h"

#include <algorithm>
#include <string>
#include <utility>

#include "common/utf8.h"
#include "core/model/reader.h"
#include "core/normalise.h"

namespace kotori::core {
namespace {

constexpr std::size_t kMinRecordBytes = 2;  // empty surface + reading count

template <class T>
std::unexpected<ModelError> fail(std::expected<T, ModelError>& r) {
  return std::unexpected(std::move(r.error()));
}

}  // namespace

std::string fold_surface(std::string_view surface) {
  std::string out;
  out.reserve(surface.size());
  for (std::size_t pos = 0; pos < surface.size();) {
    char32_t c = utf8::decode(surface, pos);
    if (const auto folded = fold_char(c)) c = *folded;
    utf8::append(out, c);
  }
  return out;
}

NameDictionary NameDictionary::build(std::span<const NameRecord> records) {
  NameDictionary dictionary;
  std::vector<TextUnit> units;
  for (const NameRecord& record : records) {
    text_units(record.surface, units);
    if (units.empty()) continue;
    NameEntry& entry = dictionary.by_first_[units.front().first].emplace_back();
    entry.units.reserve(units.size());
    for (const TextUnit& u : units) entry.units.push_back(NameUnit{u.first, u.second, u.reserved});
    if (record.readings && record.readings->size() == units.size()) {
      entry.readings = record.readings;
    }
  }
  for (auto& [first, entries] : dictionary.by_first_) {
    if (entries.size() > 1) {
      std::stable_sort(entries.begin(), entries.end(), [](const NameEntry& a, const NameEntry& b) {
        return a.units.size() > b.units.size();
      });
    }
  }
  return dictionary;
}

std::span<const NameEntry> NameDictionary::candidates(char32_t c) const {
  const auto it = by_first_.find(c);
  if (it == by_first_.end()) return {};
  return it->second;
}

std::expected<NameDictionary, ModelError> read_name_dictionary(Reader& reader) {
  auto n_names = reader.u32();
  if (!n_names) return fail(n_names);
  if (*n_names > kMaxCount) {
    return std::unexpected(ModelError::corrupt("n_names=" + std::to_string(*n_names) +
                                               " が大きすぎます（上限 " +
                                               std::to_string(kMaxCount) + "）"));
  }
  std::vector<NameRecord> records;
  records.reserve(reader.reserve_hint(*n_names, kMinRecordBytes));
  for (std::uint32_t i = 0; i < *n_names; ++i) {
    auto surface = reader.string();
    if (!surface) return fail(surface);
    auto k = reader.u8();
    if (!k) return fail(k);
    NameRecord record{fold_surface(*surface), std::nullopt};
    if (*k > 0) {
      record.readings.emplace();
      record.readings->reserve(*k);
      for (unsigned j = 0; j < *k; ++j) {
        auto reading = reader.string();
        if (!reading) return fail(reading);
        record.readings->push_back(std::move(*reading));
      }
    }
    records.push_back(std::move(record));
  }
  return NameDictionary::build(records);
}

}  // namespace kotori::core
