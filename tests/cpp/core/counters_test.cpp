#include "core/counters.h"

#include <gtest/gtest.h>

#include <string>

namespace kotori::core {
namespace {

TEST(NeedsCounterLabel, OnlyForDays) {
  EXPECT_TRUE(needs_counter_label(U'日'));
  for (char32_t c : {U'人', U'本', U'匹', U'月', U'a'}) EXPECT_FALSE(needs_counter_label(c));
}

struct DayCase {
  char32_t counter;
  std::uint32_t value;
  std::string_view label;
  std::optional<DayReading> expected;
};

const DayCase kDayCases[] = {
    {U'日', 10, "カ", DayReading{"トオカ", false}},
    {U'日', 10, "ニチ", DayReading{"トオカ", false}},
    {U'日', 10, "ヒ", std::nullopt},   // label outside the rule
    {U'日', 10, "", std::nullopt},
    {U'日', 10, "カー", std::nullopt},  // exact comparison
    {U'日', 11, "ニチ", DayReading{"ニチ", true}},
    {U'日', 14, "タチ", DayReading{"カ", true}},
    {U'日', 20, "ニチ", DayReading{"ハツカ", false}},
    {U'日', 24, "カ", DayReading{"カ", true}},
    {U'日', 114, "カ", DayReading{"ニチ", true}},  // whole values, not last digits
    {U'人', 25, "", DayReading{"ニン", true}},
    {U'人', 10, "リ", DayReading{"ニン", true}},  // the label is not consulted
    {U'本', 20, "ホン", std::nullopt},
};

TEST(DayReading, Table) {
  for (const auto& c : kDayCases) {
    EXPECT_EQ(day_reading(c.counter, c.value, c.label), c.expected)
        << c.value << " " << c.label;
  }
}

struct CounterCase {
  char32_t counter;
  std::uint32_t value;
  std::size_t digits;
  std::optional<std::string_view> expected;
};

const CounterCase kCounterCases[] = {
    {U'本', 3, 1, "ボン"},        {U'本', 10, 2, "ポン"},      {U'本', 0, 1, "ホン"},
    {U'本', 12, 2, "ホン"},       {U'本', 1, 1, "ポン"},       {U'本', 6, 1, "ポン"},
    {U'本', 8, 1, "ポン"},        {U'本', 4294967295u, 10, "ホン"},
    {U'匹', 1, 1, "ピキ"},        {U'匹', 3, 1, "ビキ"},       {U'匹', 100, 3, "ピキ"},
    {U'匹', 2, 1, "ヒキ"},        {U'匹', 0, 1, "ヒキ"},
    {U'階', 13, 2, "ガイ"},       {U'階', 2, 1, "カイ"},       {U'階', 0, 1, "カイ"},
    {U'分', 5, 1, std::nullopt},  {U'分', 15, 2, "フン"},      {U'分', 10, 2, "プン"},
    {U'分', 14, 2, "プン"},       {U'分', 13, 2, "プン"},      {U'分', 0, 1, std::nullopt},
    {U'分', 0, 2, "フン"},        {U'分', 7, 2, "フン"},  // 07: two digits
    {U'版', 3, 1, "パン"},        {U'版', 10, 2, "パン"},      {U'版', 2, 1, "ハン"},
    {U'日', 3, 1, std::nullopt},  {U'人', 3, 1, std::nullopt},
};

TEST(CounterReading, Table) {
  for (const auto& c : kCounterCases) {
    EXPECT_EQ(counter_reading(c.counter, c.value, c.digits), c.expected)
        << c.value << " digits " << c.digits;
  }
}

TEST(IsCounterSuffix, WordReadingPairs) {
  const struct {
    std::string_view next;
    std::string_view label;
    bool expected;
  } cases[] = {
      {"日", "カ", true},   {"日", "タチ", true}, {"日", "ニチ", false}, {"つ", "ツ", true},
      {"つ", "カ", false},  {"人", "リ", true},   {"人", "ニン", false}, {"本", "ホン", false},
      {"日本", "カ", false}, {"", "", false},      {"a", "ツ", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(is_counter_suffix(c.next, c.label), c.expected) << c.next << " " << c.label;
  }
}

}  // namespace
}  // namespace kotori::core
