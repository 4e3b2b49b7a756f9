#pragma once
// The reading of one bracket-free text, unit by unit: copies, rules, classifier labels and
// word separators, with a confidence and a source byte offset for every byte of the reading.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/classifier.h"
#include "core/features.h"
#include "core/model/model.h"
#include "core/model/single_char_dictionary.h"
#include "core/names.h"
#include "core/result.h"
#include "core/text_units.h"

namespace kotori::core {

// What a prediction reads from its predictor; all of it is only read.
struct PredictorRef {
  const Model& model;
  const SingleCharDictionary& dictionary;
  float numeric_threshold = 0.0f;
};

// Working buffers of the pipeline, sized once and reused for every text of one prediction.
struct PipelineScratch {
  std::vector<TextUnit> units;
  std::vector<TextUnit> context_units;
  NameMatches names;
  NameMatches context_names;
  FeatureLists context_features;
  FeatureLists features;
  std::vector<std::uint32_t> columns;
  std::vector<std::uint32_t> column_starts;
  ClassifierBuffers classifier;
  std::string reading;           // the reading being chosen for one unit
  std::string previous_kanji;    // the last kanji reading, for 々
};

// The reading of `text`. Features come from `context` when it is given: the text with
// placeholder characters where brackets were taken out; `text_to_context` then holds, for
// every byte of `text`, the offset of the same character in `context`. Each unit of the text
// takes the features of the context unit that starts where the unit's first character stands
// (or, should none start exactly there, the context unit that covers it), so every unit has
// exactly one feature list whatever characters the text itself holds. Without a context (or
// with a map of the wrong size) the features are built on the text.
CorePrediction predict_units(const PredictorRef& predictor, std::string_view text,
                             std::string_view context,
                             std::span<const std::uint32_t> text_to_context,
                             PipelineScratch& scratch);

// The same with features built on the text itself.
CorePrediction predict_units(const PredictorRef& predictor, std::string_view text);

}  // namespace kotori::core
