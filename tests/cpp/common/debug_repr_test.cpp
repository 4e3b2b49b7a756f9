#include "common/debug_repr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/escape_table.h"

namespace kotori {
namespace {

struct QuoteCase {
  std::string_view input;
  std::string_view expected;
};

const QuoteCase kQuoteCases[] = {
    {"", R"("")"},
    {"abc", R"("abc")"},
    {"吾輩は猫", R"("吾輩は猫")"},
    {R"(C:\m\a.kbm)", R"("C:\\m\\a.kbm")"},
    {R"(say "hi")", R"("say \"hi\"")"},
    {"it's", R"("it's")"},
    {"a\tb\rc\nd", R"("a\tb\rc\nd")"},
    {std::string_view("a\0b", 3), R"("a\0b")"},
    {"\x01\x1f\x7f", R"("\u{1}\u{1f}\u{7f}")"},
    {" ", R"(" ")"},
    {"\u00a0\u3000", R"("\u{a0}\u{3000}")"},     // spaces other than U+0020
    {"\u00ad\u200b\ufeff", R"("\u{ad}\u{200b}\u{feff}")"},  // format characters
    {"\u2028\u2029", R"("\u{2028}\u{2029}")"},
    {"\ue000", R"("\u{e000}")"},                // private use
    {"\u0378", R"("\u{378}")"},                 // unassigned
    {"\U000E0001", R"("\u{e0001}")"},
    {"か\u3099", R"("か\u{3099}")"},            // combining voiced mark
    {"e\u0301", R"("e\u{301}")"},
    {"\u20dd", R"("\u{20dd}")"},                // enclosing mark
    {"\u09be\uff9e\u200c", R"("\u{9be}\u{ff9e}\u{200c}")"},  // Other_Grapheme_Extend
    {"\u0903", "\"\u0903\""},                   // a spacing mark that is not extending
    {"\u309b\uff71", "\"\u309b\uff71\""},
    {"\U0001F600", "\"\U0001F600\""},
    {"\U0010FFFF", R"("\u{10ffff}")"},
    {"\xff", "\"\uFFFD\""},                     // malformed byte
};

TEST(DebugQuote, EscapesLikeAnExpression) {
  for (const auto& tc : kQuoteCases) EXPECT_EQ(debug_quote(tc.input), tc.expected) << tc.input;
}

TEST(DebugQuote, EscapeTableIsSortedAndDisjoint) {
  const auto& ranges = tables::kUnicodeEscapeRanges;
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    EXPECT_LE(ranges[i].first, ranges[i].last);
    if (i > 0) {
      EXPECT_GT(ranges[i].first, ranges[i - 1].last + 1) << i;
    }
  }
  EXPECT_EQ(ranges.front().first, 0u);
  EXPECT_EQ(ranges.back().last, 0x10FFFFu);
}

TEST(DebugQuote, RangeBoundaries) {
  for (const auto& r : tables::kUnicodeEscapeRanges) {
    EXPECT_TRUE(needs_unicode_escape(r.first));
    EXPECT_TRUE(needs_unicode_escape(r.last));
    if (r.first > 0) {
      EXPECT_FALSE(needs_unicode_escape(r.first - 1)) << std::hex << +r.first;
    }
  }
  EXPECT_FALSE(needs_unicode_escape(U' '));
}

}  // namespace
}  // namespace kotori
