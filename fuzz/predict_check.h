#pragma once
// One prediction the way Predictor.predict runs it (normalise, predict_text, map back,
// build_result), with the invariants every result must keep.
#include <string>
#include <string_view>

#include "common/utf8.h"
#include "core/brackets.h"
#include "core/normalise.h"
#include "core/result.h"
#include "fuzz/fuzz_support.h"

namespace kotori::fuzz {

inline core::PredictionOutput predict_checked(const core::PredictorRef& predictor,
                                              std::string_view text) {
  core::NormalisedText normalised = core::normalise(text);
  core::CorePrediction prediction = core::predict_text(predictor, normalised.text);
  if (normalised.map) map_onto(prediction, text, *normalised.map);
  check(prediction.source == text, "the prediction describes the caller's text");
  check(prediction.confidence.size() == prediction.kana.size(), "a confidence per kana byte");
  check(prediction.kana_to_source.size() == prediction.kana.size(), "a source per kana byte");
  for (std::uint32_t b : prediction.kana_to_source) {
    check(b < text.size() || text.empty(), "kana_to_source within the source");
  }

  core::PredictionOutput out = core::build_result(prediction);
  const std::size_t kana_chars = utf8::count_chars(out.kana);
  const std::size_t source_chars = utf8::count_chars(out.source);
  check(out.confidences.size() == kana_chars, "a confidence per kana character");
  check(out.kana_to_source.size() == kana_chars, "a source index per kana character");
  check(out.source_to_kana.size() == source_chars, "a list per source character");
  for (float c : out.confidences) check(c >= 0.0f && c <= 1.0f, "confidence in 0..1");
  for (std::uint32_t i : out.kana_to_source) check(i < source_chars, "source index in range");
  for (const auto& list : out.source_to_kana) {
    for (std::uint32_t k : list) check(k < kana_chars, "kana index in range");
  }
  return out;
}

}  // namespace kotori::fuzz
