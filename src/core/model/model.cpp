#include "core/model/model.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "core/model/reader.h"

namespace kotori::core {
namespace {

using std::to_string;

constexpr std::uint8_t kMagic[4] = {'K', 'O', 'T', 'O'};
constexpr std::size_t kMinFeatureEntryBytes = 5;  // kind byte + column

template <class T>
std::unexpected<ModelError> fail(std::expected<T, ModelError>& r) {
  return std::unexpected(std::move(r.error()));
}

// Steps 3-7: magic, version, reserved bytes and the two counts.
std::expected<void, ModelError> read_header(Reader& reader, Model& model) {
  std::uint8_t magic[4];
  if (auto r = reader.bytes(magic, 4); !r) return fail(r);
  if (!std::equal(magic, magic + 4, kMagic)) {
    return std::unexpected(ModelError::bad_magic(reader.path()));
  }
  auto version = reader.u8();
  if (!version) return fail(version);
  if (*version != kModelVersion) return std::unexpected(ModelError::unsupported_version(*version));
  std::uint8_t reserved[3];
  if (auto r = reader.bytes(reserved, 3); !r) return fail(r);
  auto n_classes = reader.u32();
  if (!n_classes) return fail(n_classes);
  auto n_features = reader.u32();
  if (!n_features) return fail(n_features);

  if (*n_classes == 0) {
    return std::unexpected(
        ModelError::corrupt("n_classes が 0 です（読みラベルが1つも無いモデルは不正）"));
  }
  if (*n_classes > kMaxCount || *n_features > kMaxCount) {
    return std::unexpected(ModelError::corrupt("n_classes=" + to_string(*n_classes) +
                                               " または n_features=" + to_string(*n_features) +
                                               " が大きすぎます（上限 " + to_string(kMaxCount) +
                                               "）"));
  }
  if (*n_classes > kMaxClasses) {
    return std::unexpected(ModelError::corrupt(
        "n_classes=" + to_string(*n_classes) + " が上限 " + to_string(kMaxClasses) +
        " を超えています（CSC 行インデックスが u16 のため）"));
  }
  model.n_classes = *n_classes;
  model.n_features = *n_features;
  return {};
}

// Step 8: the feature table, in file order.
std::expected<void, ModelError> read_feature_table(Reader& reader, Model& model) {
  model.features.reserve(reader.reserve_hint(model.n_features, kMinFeatureEntryBytes));
  for (std::uint32_t i = 0; i < model.n_features; ++i) {
    auto key = read_feature_key(reader);
    if (!key) return fail(key);
    auto column = reader.u32();
    if (!column) return fail(column);
    model.features.push_back(FeatureEntry{*key, *column});
  }
  return {};
}

// Steps 9-10: labels and class scales.
std::expected<void, ModelError> read_labels(Reader& reader, Model& model) {
  model.labels.reserve(reader.reserve_hint(model.n_classes, 1));
  for (std::uint32_t k = 0; k < model.n_classes; ++k) {
    auto label = reader.string();
    if (!label) return fail(label);
    model.labels.push_back(std::move(*label));
  }
  return reader.array(model.n_classes, model.class_scale);
}

std::expected<void, ModelError> check_colptr(const std::vector<std::uint32_t>& colptr,
                                             std::uint32_t n_nonzero) {
  std::uint32_t previous = 0;
  for (std::size_t j = 0; j < colptr.size(); ++j) {
    if (colptr[j] < previous || colptr[j] > n_nonzero) {
      return std::unexpected(ModelError::corrupt(
          "CSC colptr[" + to_string(j) + "]=" + to_string(colptr[j]) + " が不正です（直前の値=" +
          to_string(previous) + ", n_nonzero=" + to_string(n_nonzero) + "）"));
    }
    previous = colptr[j];
  }
  if (colptr.back() != n_nonzero) {
    return std::unexpected(ModelError::corrupt("CSC colptr[last]=" + to_string(colptr.back()) +
                                               " と n_nonzero=" + to_string(n_nonzero) +
                                               " が一致しません"));
  }
  return {};
}

// Steps 11-13: the CSC matrix, its weights and the class biases.
std::expected<void, ModelError> read_sparse_matrix(Reader& reader, Model& model) {
  auto n_nonzero = reader.u32();
  if (!n_nonzero) return fail(n_nonzero);
  if (*n_nonzero > kMaxCount) {
    return std::unexpected(ModelError::corrupt("n_nonzero=" + to_string(*n_nonzero) +
                                               " が大きすぎます（上限 " + to_string(kMaxCount) +
                                               "）"));
  }
  if (auto r = reader.array(std::uint64_t{model.n_features} + 1, model.colptr); !r) return r;
  if (auto r = check_colptr(model.colptr, *n_nonzero); !r) return r;
  if (auto r = reader.array(*n_nonzero, model.rowind); !r) return r;
  for (std::uint16_t row : model.rowind) {
    if (row >= model.n_classes) {
      return std::unexpected(ModelError::corrupt("CSC rowind に不正なクラスID " + to_string(row) +
                                                 " があります（n_classes=" +
                                                 to_string(model.n_classes) + "）"));
    }
  }
  if (auto r = reader.array(*n_nonzero, model.weights); !r) return r;
  return reader.array(model.n_classes, model.class_bias);
}

std::expected<Model, ModelError> read_model(Reader& reader) {
  Model model;
  if (auto r = read_header(reader, model); !r) return fail(r);
  if (auto r = read_feature_table(reader, model); !r) return fail(r);
  if (auto r = read_labels(reader, model); !r) return fail(r);
  if (auto r = read_sparse_matrix(reader, model); !r) return fail(r);

  auto boundary = read_boundary_model(reader, model.n_features);
  if (!boundary) return fail(boundary);
  model.boundary_model = std::move(*boundary);

  auto names = read_name_dictionary(reader);
  if (!names) return fail(names);
  model.name_dictionary = std::move(*names);

  auto table = read_single_char_table(reader);
  if (!table) return fail(table);
  model.single_char_table = std::move(*table);

  // Writers store the table sorted; sort only when they did not.
  const auto by_key = [](const FeatureEntry& a, const FeatureEntry& b) { return a.key < b.key; };
  if (!std::is_sorted(model.features.begin(), model.features.end(), by_key)) {
    std::stable_sort(model.features.begin(), model.features.end(), by_key);
  }
  model.build_indexes();
  return model;
}

// byte_arg and char_types[0..2], ordered like the fields in turn.
std::uint64_t low_head(const FeatureKey& key) { return key.head() & 0xFFFFFFFFu; }

// Smallest shift that brings `span` below `buckets` (a power of two).
std::uint8_t shift_for(std::uint64_t span, std::uint64_t buckets) {
  std::uint8_t shift = 0;
  while (shift < 63 && (span >> shift) >= buckets) ++shift;
  return shift;
}

bool rows_ascending(const Model& model) {
  const std::size_t stored = std::min(model.rowind.size(), model.weights.size());
  for (std::size_t j = 0; j + 1 < model.colptr.size(); ++j) {
    const std::size_t end = std::min<std::size_t>(model.colptr[j + 1], stored);
    for (std::size_t i = model.colptr[j] + 1; i < end; ++i) {
      if (model.rowind[i - 1] >= model.rowind[i]) return false;
    }
  }
  return true;
}

ClassRanking rank_classes(const Model& model) {
  ClassRanking r;
  r.n = static_cast<std::uint32_t>(std::min<std::size_t>(
      {model.n_classes, model.class_scale.size(), model.class_bias.size()}));
  r.zero_score.resize(r.n);
  for (std::uint32_t k = 0; k < r.n; ++k) {
    r.zero_score[k] = class_score(0, model.class_scale[k], model.class_bias[k]);
    if (!std::isnan(r.zero_score[k])) r.by_zero_score.push_back(k);
  }
  std::sort(r.by_zero_score.begin(), r.by_zero_score.end(), [&](std::uint32_t a, std::uint32_t b) {
    return r.zero_score[a] > r.zero_score[b] || (r.zero_score[a] == r.zero_score[b] && a > b);
  });
  const std::uint32_t labelled =
      static_cast<std::uint32_t>(std::min<std::size_t>(r.n, model.labels.size()));
  r.by_label.resize(labelled);
  for (std::uint32_t k = 0; k < labelled; ++k) r.by_label[k] = k;
  std::sort(r.by_label.begin(), r.by_label.end(), [&](std::uint32_t a, std::uint32_t b) {
    const int c = model.labels[a].compare(model.labels[b]);
    return c < 0 || (c == 0 && a < b);
  });
  r.rows_ascending = rows_ascending(model);
  return r;
}

}  // namespace

std::uint64_t FeatureDirectory::prefix(const FeatureKey& key, bool wide) {
  if (wide) return std::uint64_t{key.int_args[0]} << 32 | key.int_args[1];
  return low_head(key) << 32 | key.int_args[0];
}

void FeatureDirectory::build(std::span<const FeatureEntry> features) {
  built_ = false;
  size_ = features.size();
  kinds_.assign(256, Kind{});
  bucket_start_.clear();
  const auto by_key = [](const FeatureEntry& a, const FeatureEntry& b) { return a.key < b.key; };
  if (features.size() >= UINT32_MAX || !std::is_sorted(features.begin(), features.end(), by_key)) {
    return;
  }
  for (std::size_t begin = 0; begin < features.size();) {
    const std::uint8_t kind = features[begin].key.kind;
    std::size_t end = begin;
    bool wide = true;
    while (end < features.size() && features[end].key.kind == kind) {
      wide = wide && low_head(features[end].key) == 0;
      ++end;
    }
    Kind& k = kinds_[kind];
    k.wide = wide;
    k.min = prefix(features[begin].key, wide);
    const std::uint64_t span = prefix(features[end - 1].key, wide) - k.min;
    // About two entries per bucket: a power of two at least half the entry count.
    std::uint64_t target = 1;
    while (target < (end - begin + 1) / 2) target <<= 1;
    k.shift = shift_for(span, target);
    k.n_buckets = static_cast<std::uint32_t>((span >> k.shift) + 1);
    k.first_bucket = static_cast<std::uint32_t>(bucket_start_.size());
    std::size_t pos = begin;
    for (std::uint64_t b = 0; b < k.n_buckets; ++b) {
      while (pos < end && ((prefix(features[pos].key, wide) - k.min) >> k.shift) < b) ++pos;
      bucket_start_.push_back(static_cast<std::uint32_t>(pos));
    }
    bucket_start_.push_back(static_cast<std::uint32_t>(end));
    begin = end;
  }
  built_ = true;
}

std::pair<std::uint32_t, std::uint32_t> FeatureDirectory::range(const FeatureKey& key) const {
  const Kind& k = kinds_[key.kind];
  if (k.n_buckets == 0) return {0, 0};
  if (k.wide && low_head(key) != 0) return {0, 0};  // sorts after every entry of the kind
  const std::uint64_t p = prefix(key, k.wide);
  if (p < k.min) return {0, 0};
  const std::uint64_t b = (p - k.min) >> k.shift;
  if (b >= k.n_buckets) return {0, 0};
  const std::uint32_t* start = bucket_start_.data() + k.first_bucket + b;
  return {start[0], start[1]};
}

void Model::build_indexes() {
  feature_directory.build(features);
  class_ranking = rank_classes(*this);
}

std::expected<Model, ModelError> load_model(const std::filesystem::path& path) {
  auto reader = Reader::open(path);
  if (!reader) return std::unexpected(std::move(reader.error()));
  return read_model(*reader);
}

}  // namespace kotori::core
