#pragma once
// Whether a word boundary (a blank in the reading) follows a unit.
#include <cstddef>
#include <span>

#include "core/features.h"
#include "core/model/model.h"
#include "core/text_units.h"

namespace kotori::core {

// Probability of a word boundary after the position described by `keys`:
// logistic(BoundaryModel::score), in single precision.
float boundary_probability(const Model& model, std::span<const FeatureKey> keys);

// The same from the keys and their feature-table columns (as feature_columns gives them for
// `keys`), which spares the linear model a second search of the feature table.
float boundary_probability(const Model& model, std::span<const FeatureKey> keys,
                           std::span<const std::uint32_t> columns);

// Whether a blank follows unit i, given unit i's own key list `keys`: a boundary by the model
// (probability at least 0.5), except inside runs of Latin letters and digits and before
// ASCII or Latin-1 characters after them. False for an index out of range.
bool needs_separator(const Model& model, std::span<const TextUnit> units,
                     std::span<const FeatureKey> keys, std::size_t i);

// The same with unit i's columns known too (see boundary_probability above).
bool needs_separator(const Model& model, std::span<const TextUnit> units,
                     std::span<const FeatureKey> keys, std::span<const std::uint32_t> columns,
                     std::size_t i);

// The same, reading unit i's keys from the key lists of all units.
bool needs_separator(const Model& model, std::span<const TextUnit> units,
                     const FeatureLists& features, std::size_t i);

}  // namespace kotori::core
