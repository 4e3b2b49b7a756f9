#pragma once
// Prediction of a whole text, as the Python layer calls it.
#include <string_view>

#include "core/model/model.h"
#include "core/model/single_char_dictionary.h"
#include "core/result.h"

namespace kotori::core {

// Normalises `text`, reads it (brackets and quotes included), moves the reading back onto
// `text` when normalisation changed it, and returns the seven values of the result in
// character indices. Never fails; allocates per call only.
PredictionOutput predict(const Model& model, const SingleCharDictionary& dictionary,
                         float numeric_threshold, std::string_view text);

}  // namespace kotori::core
