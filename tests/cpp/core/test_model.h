#pragma once
// A tiny complete Model built in memory for tests of the reading stages.
//
// Every listed feature key gets one column. A key votes for one label with a chosen raw score
// and may put a word boundary after the unit that has it:
//
//   Model m = TinyModel().read(U"猫", "ネコ").read(U"は", "ワ", 1.0f).boundary_after(U"猫")
//                 .build();
//
// Scores: every class has bias -5 and scale 0.1, so a unit without known keys scores -5 for
// every class and gets the default label (the last class; ties go to the highest index). A
// key voting with raw score s adds round((s + 5) * 10) (an int8 weight) to its label's class.
// The boundary model is linear with bias -5 (or +5 with `boundary_everywhere`) and scale 0.1;
// a boundary key adds 10.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/model/feature_key.h"
#include "core/model/model.h"
#include "core/model/name_dictionary.h"
#include "core/model/single_char_dictionary.h"

namespace kotori::core::testing {

class TinyModel {
 public:
  // The key the features of a unit of these characters (one or two) start with.
  static FeatureKey unit_key(std::u32string_view unit) {
    if (unit.size() >= 2) return feature_key_ints(FeatureType::UnitPair, unit[0], unit[1]);
    return feature_key_ints(FeatureType::CharCur, unit.empty() ? 0 : unit[0]);
  }

  // Units of these characters read as `label` with raw score `score`.
  TinyModel& read(std::u32string_view unit, std::string label, float score = 5.0f) {
    return vote(unit_key(unit), std::move(label), score);
  }
  // Any unit that has `key` votes for `label`.
  TinyModel& vote(const FeatureKey& key, std::string label, float score = 5.0f) {
    Column& c = column(key);
    c.votes.emplace_back(class_of(label), weight_for(score));
    return *this;
  }
  // A word boundary follows every unit of these characters.
  TinyModel& boundary_after(std::u32string_view unit) { return boundary_key(unit_key(unit)); }
  TinyModel& boundary_key(const FeatureKey& key) {
    column(key).boundary = 100;
    return *this;
  }
  // Every unit is followed by a boundary unless a key lowers it (`no_boundary_after`).
  TinyModel& boundary_everywhere() {
    boundary_bias_ = 5.0f;
    return *this;
  }
  TinyModel& no_boundary_after(std::u32string_view unit) {
    column(unit_key(unit)).boundary = -100;
    return *this;
  }
  // The label of units without known keys (default: the empty label).
  TinyModel& default_label(std::string label) {
    default_label_ = std::move(label);
    return *this;
  }
  TinyModel& name(std::string surface, std::optional<std::vector<std::string>> readings) {
    names_.push_back(NameRecord{std::move(surface), std::move(readings)});
    return *this;
  }
  TinyModel& single(char32_t c, std::vector<std::string> readings) {
    singles_.push_back(SingleCharEntry{c, std::move(readings)});
    return *this;
  }

  Model build() const {
    Model m;
    std::vector<std::string> labels = labels_;
    labels.push_back(default_label_);
    m.n_classes = static_cast<std::uint32_t>(labels.size());
    m.labels = labels;
    m.class_scale.assign(m.n_classes, 0.1f);
    m.class_bias.assign(m.n_classes, -5.0f);
    m.n_features = static_cast<std::uint32_t>(columns_.size());

    LinearBoundary boundary{.weight_scale = 0.1f, .weights = {}, .spare = 0.0f,
                            .bias = boundary_bias_};
    m.colptr.push_back(0);
    std::uint32_t index = 0;
    for (const auto& [key, c] : columns_) {  // std::map: sorted by key
      m.features.push_back(FeatureEntry{key, index++});
      for (const auto& [cls, w] : c.votes) {
        m.rowind.push_back(cls);
        m.weights.push_back(w);
      }
      m.colptr.push_back(static_cast<std::uint32_t>(m.rowind.size()));
      boundary.weights.push_back(c.boundary);
    }
    m.boundary_model.form = std::move(boundary);
    m.name_dictionary = NameDictionary::build(names_);
    m.single_char_table = SingleCharDictionary(singles_);
    return m;
  }

 private:
  struct Column {
    std::vector<std::pair<std::uint16_t, std::int8_t>> votes;
    std::int8_t boundary = 0;
  };

  static std::int8_t weight_for(float score) {
    const float w = std::round((score + 5.0f) * 10.0f);
    return static_cast<std::int8_t>(std::clamp(w, -128.0f, 127.0f));
  }
  std::uint16_t class_of(const std::string& label) {
    const auto it = std::find(labels_.begin(), labels_.end(), label);
    if (it != labels_.end()) return static_cast<std::uint16_t>(it - labels_.begin());
    labels_.push_back(label);
    return static_cast<std::uint16_t>(labels_.size() - 1);
  }
  Column& column(const FeatureKey& key) { return columns_[key]; }

  std::map<FeatureKey, Column> columns_;
  std::vector<std::string> labels_;
  std::string default_label_;
  float boundary_bias_ = -5.0f;
  std::vector<NameRecord> names_;
  std::vector<SingleCharEntry> singles_;
};

// The confidence a vote of raw score `score` gives (after int8 rounding).
inline float tiny_confidence(float score) {
  const float w = std::clamp(std::round((score + 5.0f) * 10.0f), -128.0f, 127.0f);
  return 1.0f / (1.0f + std::exp(-(w * 0.1f - 5.0f)));
}

}  // namespace kotori::core::testing
