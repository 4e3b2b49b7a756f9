#include "core/boundary.h"

#include "core/classifier.h"

namespace kotori::core {
namespace {

bool is_latin_or_digit(CharType t) { return t == CharType::Latin || t == CharType::Digit; }

// Printable ASCII, and Latin-1 letters and signs other than the soft hyphen.
bool joins_latin_run(char32_t c) {
  return (c >= 0x21 && c <= 0x7E) || (c >= 0xA1 && c <= 0xFF && c != 0xAD);
}

// Steps 2-4 of the separator rule, once the model has found a boundary after unit i.
bool separator_rule_allows(std::span<const TextUnit> units, std::size_t i) {
  if (!is_latin_or_digit(units[i].type)) return true;
  if (i + 1 >= units.size()) return true;
  const TextUnit& next = units[i + 1];
  return !(is_latin_or_digit(next.type) || joins_latin_run(next.first));
}

}  // namespace

float boundary_probability(const Model& model, std::span<const FeatureKey> keys) {
  return logistic(model.boundary_model.score(keys, model.features));
}

bool needs_separator(const Model& model, std::span<const TextUnit> units,
                     std::span<const FeatureKey> keys, std::size_t i) {
  if (i >= units.size()) return false;
  if (boundary_probability(model, keys) < 0.5f) return false;
  return separator_rule_allows(units, i);
}

float boundary_probability(const Model& model, std::span<const FeatureKey> keys,
                           std::span<const std::uint32_t> columns) {
  return logistic(model.boundary_model.score_columns(keys, columns));
}

bool needs_separator(const Model& model, std::span<const TextUnit> units,
                     std::span<const FeatureKey> keys, std::span<const std::uint32_t> columns,
                     std::size_t i) {
  if (i >= units.size()) return false;
  if (boundary_probability(model, keys, columns) < 0.5f) return false;
  return separator_rule_allows(units, i);
}

bool needs_separator(const Model& model, std::span<const TextUnit> units,
                     const FeatureLists& features, std::size_t i) {
  return needs_separator(model, units, features.unit(i), i);
}

}  // namespace kotori::core
