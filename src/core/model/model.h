#pragma once
// The loaded .kbm model file; immutable once loaded, safe to read from any thread.
#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/model/boundary_model.h"
#include "core/model/feature_key.h"
#include "core/model/model_error.h"
#include "core/model/name_dictionary.h"
#include "core/model/single_char_dictionary.h"

namespace kotori::core {

inline constexpr std::uint32_t kMaxClasses = 65536;  // row indices are u16
inline constexpr std::uint8_t kModelVersion = 6;

// A directory over a feature table sorted by key that narrows every binary search to a few
// neighbouring entries. The entries of one kind are contiguous; within a kind they are cut
// into buckets by an order-preserving 64-bit prefix of the rest of the key, so every entry
// equal to a key lies in the one bucket of its prefix. The search inside the bucket is the
// same binary search, so a key stored twice still finds its later entry.
class FeatureDirectory {
 public:
  // Builds the directory of `features`; leaves it empty when the table is not sorted.
  void build(std::span<const FeatureEntry> features);
  // Whether the directory describes a table of `n` entries.
  bool covers(std::size_t n) const { return built_ && n == size_; }
  // The entries [first, second) of the table that can hold `key`.
  std::pair<std::uint32_t, std::uint32_t> range(const FeatureKey& key) const;

 private:
  struct Kind {
    std::uint64_t min = 0;           // prefix of the kind's first entry
    std::uint32_t first_bucket = 0;  // index into bucket_start_
    std::uint32_t n_buckets = 0;     // 0: no entry of this kind
    std::uint8_t shift = 0;          // bucket = (prefix - min) >> shift
    bool wide = false;               // every entry has byte_arg and char_types zero
  };
  static std::uint64_t prefix(const FeatureKey& key, bool wide);

  bool built_ = false;
  std::size_t size_ = 0;
  std::vector<Kind> kinds_;                  // 256, by kind byte
  std::vector<std::uint32_t> bucket_start_;  // n_buckets + 1 per kind
};

// The raw linear score of one class from its accumulated integer votes, in single precision.
// Every scoring path uses this one expression, so they agree bit for bit.
inline float class_score(std::int32_t votes, float scale, float bias) {
  return static_cast<float>(votes) * scale + bias;
}

// The classes ranked for the classifier's sparse scoring, derived from the class tables.
struct ClassRanking {
  std::uint32_t n = 0;                    // classes scored: min(n_classes, scales, biases)
  std::vector<float> zero_score;          // the score of each class when nothing votes for it
  std::vector<std::uint32_t> by_zero_score;  // classes with a number there, best first
                                             // (higher score, then higher index)
  std::vector<std::uint32_t> by_label;    // classes below min(n, labels) sorted by label, index
  // Every column's rows strictly ascending, so that one class's weight in a column can be
  // found by binary search (true of every model the training tool writes).
  bool rows_ascending = false;
  bool covers(std::uint32_t classes) const { return n != 0 && n == classes; }
};

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

  // Lookup aids derived from the tables above; load_model builds them. A model assembled
  // by hand works without them (plain searches) or calls build_indexes() once it is complete.
  FeatureDirectory feature_directory;
  ClassRanking class_ranking;
  void build_indexes();

  // The feature-table entry for `key` (the last one when stored twice), or nullptr.
  const FeatureEntry* find_feature(const FeatureKey& key) const {
    if (!feature_directory.covers(features.size())) {
      return find_last_by_key<FeatureEntry>(features, key);
    }
    const auto [first, last] = feature_directory.range(key);
    return find_last_by_key<FeatureEntry>(
        std::span<const FeatureEntry>(features).subspan(first, last - first), key);
  }
  std::optional<std::uint32_t> column_of(const FeatureKey& key) const {
    const FeatureEntry* e = find_feature(key);
    return e ? std::optional<std::uint32_t>(e->column) : std::nullopt;
  }
};

// Reads the whole file at `path`; the complete model or the first error met.
std::expected<Model, ModelError> load_model(const std::filesystem::path& path);

}  // namespace kotori::core
