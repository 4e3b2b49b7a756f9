#pragma once
// The loaded .kbm model file; immutable once loaded, safe to read from any thread.
#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/model/boundary_model.h"
#include "core/model/feature_key.h"
#include "core/model/model_error.h"
#include "core/model/name_dictionary.h"
#include "core/model/single_char_dictionary.h"

namespace kotori::core {

inline constexpr std::uint32_t kMaxClasses = 65536;  // row indices are u16
inline constexpr std::uint8_t kModelVersion = 6;

struct Model {
  std::uint32_t n_classes = 0;   // 1 ... 65536
  std::uint32_t n_features = 0;  // 0 ... 50000000

  std::vector<FeatureEntry> features;  // sorted stably by key
  std::vector<std::string> labels;     // n_classes reading labels
  std::vector<float> class_scale;      // n_classes
  // CSC weights: column j holds entries colptr[j] <= i < colptr[j + 1];
  // non-decreasing, colptr.back() == n_nonzero, every rowind[i] < n_classes.
  std::vector<std::uint32_t> colptr;  // n_features + 1
  std::vector<std::uint16_t> rowind;  // n_nonzero
  std::vector<std::int8_t> weights;   // n_nonzero
  std::vector<float> class_bias;      // n_classes

  BoundaryModel boundary_model;
  NameDictionary name_dictionary;
  SingleCharDictionary single_char_table;  // a Predictor may move this out

  // The feature-table entry for `key` (the last one when stored twice), or nullptr.
  const FeatureEntry* find_feature(const FeatureKey& key) const {
    return find_last_by_key<FeatureEntry>(features, key);
  }
  std::optional<std::uint32_t> column_of(const FeatureKey& key) const {
    const FeatureEntry* e = find_feature(key);
    return e ? std::optional<std::uint32_t>(e->column) : std::nullopt;
  }
};

// Reads the whole file at `path`; the complete model or the first error met.
std::expected<Model, ModelError> load_model(const std::filesystem::path& path);

}  // namespace kotori::core
