#include "core/counters.h"

#include <array>
#include <span>

namespace kotori::core {
namespace {

struct ValueRow {
  std::uint32_t value;
  DayReading reading;
};

struct DayTable {
  char32_t counter;
  std::span<const std::string_view> labels;  // empty: the label is not consulted
  std::span<const ValueRow> rows;
  std::string_view fallback;  // digits kept
};

constexpr std::string_view kDayLabels[] = {"ニチ", "カ", "タチ"};
constexpr ValueRow kDayRows[] = {
    {10, {"トオカ", false}},
    {14, {"カ", true}},
    {20, {"ハツカ", false}},
    {24, {"カ", true}},
};

constexpr std::array<DayTable, 2> kDayTables = {{
    {U'日', kDayLabels, kDayRows, "ニチ"},
    {U'人', {}, {}, "ニン"},
}};

struct DigitRow {
  std::string_view last_digits;  // ASCII digits the row applies to
  std::string_view reading;
};

struct CounterTable {
  char32_t counter;
  std::size_t min_digits;
  std::string_view fallback;
  std::span<const DigitRow> rows;
};

constexpr DigitRow kHikiRows[] = {{"1680", "ピキ"}, {"3", "ビキ"}};
constexpr DigitRow kKaiRows[] = {{"3", "ガイ"}};
constexpr DigitRow kHonRows[] = {{"1680", "ポン"}, {"3", "ボン"}};
constexpr DigitRow kFunRows[] = {{"134680", "プン"}};
constexpr DigitRow kHanRows[] = {{"16803", "パン"}};

constexpr std::array<CounterTable, 5> kCounterTables = {{
    {U'匹', 1, "ヒキ", kHikiRows},
    {U'階', 1, "カイ", kKaiRows},
    {U'本', 1, "ホン", kHonRows},
    {U'分', 2, "フン", kFunRows},
    {U'版', 1, "ハン", kHanRows},
}};

}  // namespace

bool needs_counter_label(char32_t c) { return c == U'日'; }

std::optional<DayReading> day_reading(char32_t c, std::uint32_t value, std::string_view label) {
  for (const DayTable& table : kDayTables) {
    if (table.counter != c) continue;
    if (!table.labels.empty()) {
      bool listed = false;
      for (std::string_view l : table.labels) listed = listed || l == label;
      if (!listed) return std::nullopt;
    }
    for (const ValueRow& row : table.rows) {
      if (row.value == value) return row.reading;
    }
    return DayReading{table.fallback, true};
  }
  return std::nullopt;
}

std::optional<std::string_view> counter_reading(char32_t c, std::uint32_t value,
                                                std::size_t digit_count) {
  for (const CounterTable& table : kCounterTables) {
    if (table.counter != c) continue;
    if (digit_count < table.min_digits) return std::nullopt;
    if (value == 0) return table.fallback;
    const char last = static_cast<char>('0' + value % 10);
    for (const DigitRow& row : table.rows) {
      if (row.last_digits.find(last) != std::string_view::npos) return row.reading;
    }
    return table.fallback;
  }
  return std::nullopt;
}

bool is_counter_suffix(std::string_view next, std::string_view label) {
  if (next.size() != 3) return false;
  if (next == "日") return label == "タチ" || label == "カ";
  if (next == "つ") return label == "ツ";
  if (next == "人") return label == "リ";
  return false;
}

}  // namespace kotori::core
