#pragma once
// Readings of counters and days written after a run of Arabic digits.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kotori::core {

// The reading the day and person rule gives; `digits_kept` false means the reading stands
// for the digits and the counter together (20日 → ハツカ).
struct DayReading {
  std::string_view reading;
  bool digits_kept = true;

  friend bool operator==(const DayReading&, const DayReading&) = default;
};

// True only for 日, whose rule depends on the classifier's label of the counter unit.
bool needs_counter_label(char32_t c);

// Day and person rule for counter `c` after the number `value`; `label` is the counter
// unit's label (empty when `needs_counter_label` is false).
std::optional<DayReading> day_reading(char32_t c, std::uint32_t value, std::string_view label);

// Counter rule: the reading of counter `c` after a run of `digit_count` digits worth `value`.
std::optional<std::string_view> counter_reading(char32_t c, std::uint32_t value,
                                                std::size_t digit_count);

// Whether unit text `next` with label `label` is read as one word with the number before it
// (1日 as ツイタチ, 1つ, 1人).
bool is_counter_suffix(std::string_view next, std::string_view label);

}  // namespace kotori::core
