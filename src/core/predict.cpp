#include "core/predict.h"

#include "core/brackets.h"
#include "core/normalise.h"
#include "core/pipeline.h"

namespace kotori::core {

PredictionOutput predict(const Model& model, const SingleCharDictionary& dictionary,
                         float numeric_threshold, std::string_view text) {
  const NormalisedText normalised = normalise(text);
  CorePrediction prediction =
      predict_text(PredictorRef{model, dictionary, numeric_threshold}, normalised.text);
  if (normalised.map) map_onto(prediction, text, *normalised.map);
  return build_result(prediction);
}

}  // namespace kotori::core
