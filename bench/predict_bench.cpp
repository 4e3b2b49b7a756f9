// Times predict over a generated text of about 1 MB with a generated model of realistic size
// (5 000 classes, 1 000 000 features, 5 weights per feature).
// Build: cmake -DKOTORI_BUILD_BENCH=ON -DCMAKE_BUILD_TYPE=Release, target predict_bench.
// Usage: predict_bench [MEGABYTES] [--seed N] [--no-plain]
// Runs predict twice in this process: on the model as generated (plain binary searches, every
// class scored: the peer) and after Model::build_indexes, as load_model leaves a model.
// Prints one JSON object: bytes, characters, seconds and characters_per_second (indexed),
// plain_seconds, speedup_over_plain, same_kana_as_plain, model_seconds, index_seconds,
// peak_rss_mb_before_predict, peak_rss_mb, kana_characters.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "common/utf8.h"
#include "core/features.h"
#include "core/model/model.h"
#include "core/predict.h"
#include "core/text_units.h"

namespace {

using namespace kotori::core;

constexpr std::uint32_t kClasses = 5000;
constexpr std::size_t kFeatures = 1000000;
constexpr int kWeightsPerFeature = 5;

struct KeyHash {
  std::size_t operator()(const FeatureKey& k) const {
    std::size_t h = k.kind * 1000003u ^ k.byte_arg;
    for (auto t : k.char_types) h = h * 31 + t;
    for (auto v : k.int_args) h = h * 1000003u + v;
    return h;
  }
};

// Mixed Japanese: kanji from a pool, hiragana, katakana, digits, Latin, punctuation, blanks
// and brackets, roughly in the proportions of running text.
std::string make_text(std::size_t bytes, std::mt19937& rng) {
  std::vector<char32_t> kanji;
  for (char32_t c = 0x4E00; kanji.size() < 2500; c += 7) kanji.push_back(c);
  constexpr std::u32string_view kOther = U"、。「」（）・ー々！？";
  std::string text;
  while (text.size() < bytes) {
    const unsigned r = rng() % 100;
    char32_t c;
    if (r < 35) {
      c = kanji[std::min<std::size_t>(rng() % kanji.size(), rng() % kanji.size())];
    } else if (r < 75) {
      c = 0x3041 + rng() % 83;
    } else if (r < 85) {
      c = 0x30A1 + rng() % 86;
    } else if (r < 89) {
      c = U'0' + rng() % 10;
    } else if (r < 92) {
      c = U'a' + rng() % 26;
    } else if (r < 93) {
      c = U' ';
    } else {
      c = kOther[rng() % kOther.size()];
    }
    kotori::utf8::append(text, c);
  }
  return text;
}

// Keys seen in the text first (so the classifier has work to do), then random ones.
Model make_model(std::string_view text, std::mt19937& rng) {
  std::unordered_set<FeatureKey, KeyHash> keys;
  constexpr std::size_t kChunk = 30000;  // bytes; keeps the generator's memory small
  for (std::size_t at = 0; at < text.size() && keys.size() < kFeatures; at += kChunk) {
    std::size_t end = std::min(text.size(), at + kChunk);
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    while (at < end && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
    const std::vector<TextUnit> units = text_units(text.substr(at, end - at));
    const FeatureLists lists = unit_features(units, {});
    for (const FeatureKey& k : lists.all_keys()) {
      if (keys.size() >= kFeatures) break;
      keys.insert(k);
    }
  }
  while (keys.size() < kFeatures) {
    keys.insert(feature_key_ints(FeatureType::CharPrev1Cur, 0x4E00 + rng() % 20000,
                                 0x4E00 + rng() % 20000));
  }
  Model m;
  m.n_classes = kClasses;
  m.n_features = static_cast<std::uint32_t>(keys.size());
  std::vector<FeatureKey> sorted(keys.begin(), keys.end());
  std::sort(sorted.begin(), sorted.end());
  std::vector<std::uint32_t> columns(sorted.size());
  for (std::uint32_t j = 0; j < columns.size(); ++j) columns[j] = j;
  std::shuffle(columns.begin(), columns.end(), rng);
  for (std::size_t i = 0; i < sorted.size(); ++i) m.features.push_back({sorted[i], columns[i]});
  for (std::uint32_t c = 0; c < kClasses; ++c) {
    std::string label;
    const int n = 1 + static_cast<int>(rng() % 3);
    for (int i = 0; i < n; ++i) kotori::utf8::append(label, 0x30A1 + rng() % 86);
    m.labels.push_back(label);
  }
  m.labels[0] = "_";
  m.labels[1] = "---";
  m.class_scale.assign(kClasses, 0.01f);
  m.class_bias.assign(kClasses, 0.0f);
  m.colptr.push_back(0);
  for (std::size_t j = 0; j < m.n_features; ++j) {
    for (int w = 0; w < kWeightsPerFeature; ++w) {
      m.rowind.push_back(static_cast<std::uint16_t>(rng() % kClasses));
      m.weights.push_back(static_cast<std::int8_t>(static_cast<int>(rng() % 255) - 127));
    }
    m.colptr.push_back(static_cast<std::uint32_t>(m.rowind.size()));
  }
  LinearBoundary boundary{.weight_scale = 0.01f, .weights = {}, .spare = 0.0f, .bias = -1.0f};
  boundary.weights.resize(m.n_features);
  for (auto& w : boundary.weights) {
    w = static_cast<std::int8_t>(static_cast<int>(rng() % 255) - 127);
  }
  m.boundary_model.form = std::move(boundary);
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  double megabytes = 1.0;
  unsigned seed = 1;
  bool skip_plain = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--no-plain") {
      skip_plain = true;
    } else if (a == "--seed" && i + 1 < argc) {
      seed = static_cast<unsigned>(std::stoul(argv[++i]));
    } else {
      megabytes = std::stod(argv[i]);
    }
  }
  std::mt19937 rng(seed);
  const std::string text = make_text(static_cast<std::size_t>(megabytes * 1024 * 1024), rng);
  const auto t0 = std::chrono::steady_clock::now();
  Model model = make_model(text, rng);
  const SingleCharDictionary dictionary;
  const auto t1 = std::chrono::steady_clock::now();
  // The peer: the same model searched plainly, every class scored, as a model assembled by
  // hand is used; then with the lookup indexes that load_model builds.
  double plain_seconds = 0.0;
  std::string plain_kana;
  if (!skip_plain) {
    const PredictionOutput plain = predict(model, dictionary, 0.5f, text);
    plain_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t1).count();
    plain_kana = plain.kana;
  }
  const auto t2 = std::chrono::steady_clock::now();
  model.build_indexes();
  const auto t3 = std::chrono::steady_clock::now();
  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  const PredictionOutput out = predict(model, dictionary, 0.5f, text);
  const auto t4 = std::chrono::steady_clock::now();

  const std::size_t characters = kotori::utf8::to_u32(text).size();
  const double seconds = std::chrono::duration<double>(t4 - t3).count();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf(
      "{\"bytes\": %zu, \"characters\": %zu, \"seconds\": %.3f, \"characters_per_second\": %.0f, "
      "\"plain_seconds\": %.3f, \"speedup_over_plain\": %.2f, \"same_kana_as_plain\": %s, "
      "\"model_seconds\": %.3f, \"index_seconds\": %.3f, \"peak_rss_mb_before_predict\": %.1f, "
      "\"peak_rss_mb\": %.1f, \"kana_characters\": %zu}\n",
      text.size(), characters, seconds, characters / seconds, plain_seconds,
      skip_plain ? 0.0 : plain_seconds / seconds,
      skip_plain ? "null" : (plain_kana == out.kana ? "true" : "false"),
      std::chrono::duration<double>(t1 - t0).count(),
      std::chrono::duration<double>(t3 - t2).count(), before.ru_maxrss / 1024.0,
      usage.ru_maxrss / 1024.0, out.confidences.size());
  return 0;
}
