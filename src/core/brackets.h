#pragma once
// The top level of prediction: bracket groups read on their own, single brackets and quotes
// kept as they are, and both put back around the reading of the text between them.
#include <string_view>

#include "core/pipeline.h"
#include "core/result.h"

namespace kotori::core {

// Placeholders the classifier sees where brackets were taken out of a text.
inline constexpr char32_t kOpeningPlaceholder = 0xE000;  // a single opening bracket or quote
inline constexpr char32_t kClosingPlaceholder = 0xE001;  // a single closing bracket or quote
inline constexpr char32_t kGroupPlaceholder = 0xE002;    // a whole bracket group

// The reading of a normalised text. A group "(…)", "（…）" or "｛…｝" is read as a text of its
// own and written back with its brackets; every other bracket or quote character is kept as
// it is. Groups may nest to any depth: they are read one level after another, never by
// recursion on the call stack, and the reading is assembled once at the end, so the work is
// linear in the text whatever its nesting. The result's source is `text`.
CorePrediction predict_text(const PredictorRef& predictor, std::string_view text);

}  // namespace kotori::core
