#include "core/pipeline.h"

#include <algorithm>
#include <cmath>

#include "common/utf8.h"
#include "core/boundary.h"
#include "core/counters.h"
#include "core/pipeline_kana.h"
#include "core/numerals.h"

namespace kotori::core {
namespace {

constexpr float kCertain = 1.0f;

bool is_invisible(CharType t) {
  const auto code = static_cast<std::uint8_t>(t);
  return code >= 0x50 && code <= 0x5F;
}

bool is_decimal_digit(char32_t c) {
  return (c >= U'0' && c <= U'9') || (c >= U'０' && c <= U'９');
}

std::uint32_t digit_value(char32_t c) {
  return c <= U'9' ? static_cast<std::uint32_t>(c - U'0') : static_cast<std::uint32_t>(c - U'０');
}

// A classifier score as a confidence; a score that is not a number gives 0.
float confidence_of(float score) {
  const float y = logistic(score);
  return std::isnan(y) ? 0.0f : y;
}

// Builds the features of every text unit and their classifier columns into `s`.
void prepare_features(const Model& model, std::string_view text, std::string_view context,
                      std::span<const std::uint32_t> text_to_context, PipelineScratch& s) {
  const bool own = context.empty() || context == text || text_to_context.size() != text.size();
  if (own) {
    unit_features(s.units, s.names.marks, s.features);
  } else {
    text_units(context, s.context_units);
    s.context_names = match_names(s.context_units, model.name_dictionary);
    unit_features(s.context_units, s.context_names.marks, s.context_features);
    s.features.clear();
    for (const TextUnit& u : s.units) {
      const std::uint32_t at = text_to_context[u.source_offset];
      // The context unit that starts at `at`, or the last one starting before it.
      const auto it = std::upper_bound(
          s.context_units.begin(), s.context_units.end(), at,
          [](std::uint32_t pos, const TextUnit& c) { return pos < c.source_offset; });
      if (it != s.context_units.begin()) {
        for (const FeatureKey& k : s.context_features.unit(it - s.context_units.begin() - 1)) {
          s.features.push(k);
        }
      }
      s.features.end_unit();
    }
  }
  s.columns.clear();
  s.column_starts.clear();
  for (std::size_t i = 0; i < s.units.size(); ++i) {
    s.column_starts.push_back(static_cast<std::uint32_t>(s.columns.size()));
    feature_columns(s.features.unit(i), model, s.columns);
  }
  s.column_starts.push_back(static_cast<std::uint32_t>(s.columns.size()));
}

// The walk over the units of one text; see predict_units.
class UnitWalk {
 public:
  UnitWalk(const PredictorRef& p, std::string_view text, PipelineScratch& s, CorePrediction& out)
      : p_(p), text_(text), s_(s), units_(s.units), out_(out) {}

  void run() {
    for (std::size_t i = 0; i < units_.size(); ++i) {
      if (i < consumed_) continue;
      step(i);
    }
    remove_trailing_separators();
  }

 private:
  void step(std::size_t i) {
    const TextUnit& u = units_[i];
    const CharType t = u.type;
    if (is_invisible(t)) return;
    switch (t) {
      case CharType::Whitespace:
      case CharType::Symbol:
      case CharType::Closing:
      case CharType::Opening:
      case CharType::SentenceEnd:
      case CharType::Comma:
      case CharType::Other:
        copy(i, first_char(i), kCertain);
        return;
      case CharType::Latin:
        copy(i, first_char(i), kCertain);
        separator_if_rule(i, kCertain);
        return;
      case CharType::Digit:
        if ((i == 0 || units_[i - 1].type != CharType::Digit) && digit_rules(i)) return;
        break;
      case CharType::Katakana:
        if (u.first != U'ヵ' && u.first != U'ヶ') {
          katakana(i);
          return;
        }
        break;
      default:
        break;
    }
    classifier_path(i);
  }

  // --- emission ---------------------------------------------------------------------------

  void emit(std::string_view reading, std::uint32_t offset, float confidence) {
    out_.kana.append(reading);
    out_.kana_to_source.insert(out_.kana_to_source.end(), reading.size(), offset);
    out_.confidence.insert(out_.confidence.end(), reading.size(), confidence);
  }
  void emit_separator(std::uint32_t offset, float confidence) { emit(" ", offset, confidence); }
  void separator_if_rule(std::size_t i, float confidence) {
    if (needs_separator(p_.model, units_, s_.features.unit(i), unit_columns(i), i)) {
      emit_separator(units_[i].source_offset, confidence);
    }
  }

  // Copies `chars` of unit i; the unit reads as itself.
  void copy(std::size_t i, std::string_view chars, float confidence) {
    emit(chars, units_[i].source_offset, confidence);
    plain_reading_done();
  }

  // State after any reading that is neither a kanji reading nor a continuation.
  void plain_reading_done() {
    has_previous_kanji_ = false;
    previous_was_kanji_ = false;
    previous_has_small_ = false;
    previous_end_ = out_.kana.size();
  }

  std::string_view unit_text(std::size_t i) const {
    const std::size_t begin = units_[i].source_offset;
    const std::size_t end = i + 1 < units_.size() ? units_[i + 1].source_offset : text_.size();
    return text_.substr(begin, end - begin);
  }
  std::string_view first_char(std::size_t i) const {
    std::size_t pos = units_[i].source_offset;
    const std::size_t begin = pos;
    utf8::decode(text_, pos);
    return text_.substr(begin, pos - begin);
  }

  // --- classifier ---------------------------------------------------------------------------

  // Unit i's classifier columns, found once for the classifier and the boundary model.
  std::span<const std::uint32_t> unit_columns(std::size_t i) const {
    const std::span<const std::uint32_t> all(s_.columns);
    const std::uint32_t begin = s_.column_starts[i];
    return all.subspan(begin, s_.column_starts[i + 1] - begin);
  }
  Classification classify_unit(std::size_t i) {
    return classify(p_.model, p_.dictionary, units_[i].first, units_[i].type, unit_columns(i),
                    s_.classifier);
  }
  std::string_view label_of(const Classification& c) const {
    return c.class_index < p_.model.labels.size() ? std::string_view(p_.model.labels[c.class_index])
                                                  : std::string_view();
  }
  // Whether the next unit and its label make unit i part of a word reading (1日, 1つ).
  bool next_is_counter_suffix(std::size_t i) {
    if (i + 1 >= units_.size()) return false;
    return is_counter_suffix(unit_text(i + 1), label_of(classify_unit(i + 1)));
  }

  // --- paths --------------------------------------------------------------------------------

  bool digit_rules(std::size_t i);
  void katakana(std::size_t i);
  void classifier_path(std::size_t i);
  void continuation(std::size_t i, float y);
  void labelled(std::size_t i, std::string_view label, float y);
  void finish_counter_rule(std::size_t c);
  void remove_trailing_separators();

  const PredictorRef& p_;
  std::string_view text_;
  PipelineScratch& s_;
  const std::vector<TextUnit>& units_;
  CorePrediction& out_;

  std::size_t consumed_ = 0;
  bool has_previous_kanji_ = false;  // s_.previous_kanji holds the reading
  bool previous_was_kanji_ = false;
  bool previous_has_small_ = false;
  std::size_t previous_end_ = 0;  // kana length after the previous reading, before its blank
};

// Day and counter rules at the first digit of a run; false when neither settles the run.
bool UnitWalk::digit_rules(std::size_t i) {
  std::size_t e = i;
  std::uint64_t value = 0;
  bool too_large = false;
  while (e < units_.size() && units_[e].type == CharType::Digit &&
         is_decimal_digit(units_[e].first)) {
    if (!too_large) {
      value = value * 10 + digit_value(units_[e].first);
      too_large = value >= (std::uint64_t{1} << 32);
    }
    ++e;
  }
  if (too_large || e == i || e >= units_.size()) return false;
  const TextUnit& c = units_[e];
  const auto v = static_cast<std::uint32_t>(value);
  const std::size_t run = e - i;
  if (run >= 2) {
    const std::string_view label =
        needs_counter_label(c.first) ? label_of(classify_unit(e)) : std::string_view();
    if (const auto day = day_reading(c.first, v, label)) {
      if (day->digits_kept) {
        for (std::size_t j = i; j < e; ++j) emit(unit_text(j), units_[j].source_offset, kCertain);
        emit(day->reading, c.source_offset, kCertain);
      } else {
        emit(day->reading, units_[i].source_offset, kCertain);
      }
      finish_counter_rule(e);
      return true;
    }
  }
  if (const auto reading = counter_reading(c.first, v, run)) {
    for (std::size_t j = i; j < e; ++j) emit(unit_text(j), units_[j].source_offset, kCertain);
    emit(*reading, c.source_offset, kCertain);
    finish_counter_rule(e);
    return true;
  }
  return false;
}

void UnitWalk::finish_counter_rule(std::size_t c) {
  plain_reading_done();
  separator_if_rule(c, kCertain);
  consumed_ = c + 1;
}

void UnitWalk::katakana(std::size_t i) {
  const TextUnit& u = units_[i];
  copy(i, unit_text(i), kCertain);
  previous_has_small_ = u.length >= 2 && is_small_kana(u.second);
  if (boundary_probability(p_.model, s_.features.unit(i), unit_columns(i)) >= 0.5f) {
    emit_separator(u.source_offset, kCertain);
  }
}

void UnitWalk::classifier_path(std::size_t i) {
  const TextUnit& u = units_[i];
  const Classification cls = classify_unit(i);
  const float y = confidence_of(cls.score);
  const std::string_view label = label_of(cls);

  if (u.type == CharType::KanjiNumeral && !(y >= p_.numeric_threshold) &&
      !next_is_counter_suffix(i)) {
    const auto replacement = numeral_replacement(units_, i);
    if (replacement) emit(*replacement, u.source_offset, y);
    plain_reading_done();
    if (replacement) separator_if_rule(i, y);
    return;
  }
  if (u.type == CharType::Digit && label != "---") {
    bool use_label = false;
    if (label == "_") {  // copied, and like every "_" unit it leaves the walk's state alone
      emit(unit_text(i), u.source_offset, y);
      return;
    }
    if (is_digit_text(label)) {
      use_label = label == unit_text(i);
    } else {
      use_label = next_is_counter_suffix(i);
    }
    if (!use_label) {
      copy(i, unit_text(i), y);
      separator_if_rule(i, y);
      return;
    }
    labelled(i, label, y);
    return;
  }
  if (label == "_") return;  // a silent unit; the walk's state stays as it was
  if (label == "---") {
    continuation(i, y);
    return;
  }
  labelled(i, label, y);
}

// A unit whose reading is part of the previous kanji's label.
void UnitWalk::continuation(std::size_t i, float y) {
  const TextUnit& u = units_[i];
  has_previous_kanji_ = false;
  if (!previous_was_kanji_) {
    emit(first_char(i), u.source_offset, y);
    previous_end_ = out_.kana.size();
    previous_was_kanji_ = u.type == CharType::Kanji;
    separator_if_rule(i, y);
    return;
  }
  if (u.type == CharType::Digit) {
    emit(unit_text(i), u.source_offset, y);
    previous_end_ = out_.kana.size();
  } else if (is_small_kana(u.first) && !previous_has_small_) {
    std::string& small = s_.reading;
    to_katakana(unit_text(i), small);
    const std::size_t at = previous_end_;
    out_.kana.insert(at, small);
    out_.kana_to_source.insert(out_.kana_to_source.begin() + at, small.size(), u.source_offset);
    out_.confidence.insert(out_.confidence.begin() + at, small.size(), y);
    previous_end_ += small.size();
    previous_has_small_ = true;
  } else {
    separator_if_rule(i, y);
  }
}

// A unit read by its label, by the rules that correct labels, or by a name reading.
void UnitWalk::labelled(std::size_t i, std::string_view label, float y) {
  const TextUnit& u = units_[i];
  std::string& reading = s_.reading;
  if (u.first == U'々' && has_previous_kanji_) {
    const std::string& previous = s_.previous_kanji;
    reading = label == previous || is_voiced_repeat(previous, label) ? label : previous;
  } else if (u.type == CharType::Hiragana) {
    const std::string_view chars = unit_text(i);
    to_katakana(chars, reading);
    if (label == reading || (u.length == 1 && is_hiragana_reading_variant(u.first, label))) {
      reading = label;
    }
  } else if (i < s_.names.readings.size() && s_.names.readings[i] && y < 0.5f &&
             *s_.names.readings[i] != label) {
    reading = *s_.names.readings[i];
  } else {
    reading = label;
  }
  emit(reading, u.source_offset, y);
  previous_has_small_ = contains_small_kana(reading);
  previous_end_ = out_.kana.size();
  if (u.type == CharType::Kanji) {
    s_.previous_kanji = reading;
    has_previous_kanji_ = true;
    previous_was_kanji_ = true;
  } else {
    has_previous_kanji_ = false;
    previous_was_kanji_ = false;
  }
  separator_if_rule(i, y);
}

// Drops the blanks the walk wrote at the end; blanks copied from the text stay.
void UnitWalk::remove_trailing_separators() {
  std::string& kana = out_.kana;
  std::size_t pos = kana.size();
  while (pos > 0) {
    std::size_t start = pos - 1;
    while (start > 0 && (static_cast<unsigned char>(kana[start]) & 0xC0) == 0x80) --start;
    std::size_t next = start;
    if (char_type(utf8::decode(kana, next)) != CharType::Whitespace) break;
    const std::uint32_t src = out_.kana_to_source[start];
    std::size_t src_pos = src;
    const bool copied = src < text_.size() &&
                        char_type(utf8::decode(text_, src_pos)) == CharType::Whitespace;
    if (!copied) {
      kana.erase(start, pos - start);
      out_.kana_to_source.erase(out_.kana_to_source.begin() + start,
                                out_.kana_to_source.begin() + pos);
      out_.confidence.erase(out_.confidence.begin() + start, out_.confidence.begin() + pos);
    }
    pos = start;
  }
}

}  // namespace

CorePrediction predict_units(const PredictorRef& predictor, std::string_view text,
                             std::string_view context,
                             std::span<const std::uint32_t> text_to_context,
                             PipelineScratch& scratch) {
  CorePrediction out;
  out.source = std::string(text);
  text_units(text, scratch.units);
  scratch.names = match_names(scratch.units, predictor.model.name_dictionary);
  prepare_features(predictor.model, text, context, text_to_context, scratch);
  if (scratch.classifier.scores.size() != predictor.model.n_classes) {
    scratch.classifier = ClassifierBuffers(predictor.model);
  }
  out.kana.reserve(text.size() + text.size() / 2);
  out.confidence.reserve(out.kana.capacity());
  out.kana_to_source.reserve(out.kana.capacity());
  UnitWalk(predictor, text, scratch, out).run();
  out.derive_source_to_kana();
  return out;
}

CorePrediction predict_units(const PredictorRef& predictor, std::string_view text) {
  PipelineScratch scratch;
  return predict_units(predictor, text, {}, {}, scratch);
}

}  // namespace kotori::core
