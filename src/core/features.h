#pragma once
// Feature keys of every text unit in its context, and their classifier columns.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/model/feature_key.h"
#include "core/model/model.h"
#include "core/text_units.h"

namespace kotori::core {

// The key lists of all units of one text, stored flat: unit i's keys are
// keys[starts[i] .. starts[i + 1]). Reused across texts without reallocating.
class FeatureLists {
 public:
  std::size_t size() const { return starts_.empty() ? 0 : starts_.size() - 1; }
  bool empty() const { return size() == 0; }
  // Unit i's keys in template order; empty for an index out of range.
  std::span<const FeatureKey> unit(std::size_t i) const {
    if (i >= size()) return {};
    return std::span<const FeatureKey>(keys_).subspan(starts_[i], starts_[i + 1] - starts_[i]);
  }
  std::span<const FeatureKey> operator[](std::size_t i) const { return unit(i); }
  std::span<const FeatureKey> all_keys() const { return keys_; }

  void clear() {
    keys_.clear();
    starts_.assign(1, 0);
  }
  void reserve(std::size_t units, std::size_t keys) {
    starts_.reserve(units + 1);
    keys_.reserve(keys);
  }
  void push(const FeatureKey& key) { keys_.push_back(key); }
  void end_unit() { starts_.push_back(static_cast<std::uint32_t>(keys_.size())); }

 private:
  std::vector<FeatureKey> keys_;
  std::vector<std::uint32_t> starts_{0};
};

// Most keys a unit can get (the 39 templates).
inline constexpr std::size_t kMaxKeysPerUnit = 39;

// The key list of every unit, in unit order, one pass over the units. `marks` holds the name
// mark (0, 1, 2) of each unit; a missing mark counts as 0. Replaces the contents of `out`.
void unit_features(std::span<const TextUnit> units, std::span<const std::uint8_t> marks,
                   FeatureLists& out);
FeatureLists unit_features(std::span<const TextUnit> units, std::span<const std::uint8_t> marks);

// Appends to `out` the feature-table column of every key of `keys` that the model knows, in
// key order; unknown keys are skipped. A key stored twice finds its later entry.
void feature_columns(std::span<const FeatureKey> keys, const Model& model,
                     std::vector<std::uint32_t>& out);
std::vector<std::uint32_t> feature_columns(std::span<const FeatureKey> keys, const Model& model);

}  // namespace kotori::core
