// Dictionary files of hostile shape: readings no label can equal, and one huge line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/model/single_char_dictionary.h"

namespace kotori::core {
namespace {

std::string katakana(std::size_t bytes) {  // "ア" is 3 bytes; pads with ASCII
  std::string out;
  while (out.size() + 3 <= bytes) out += "ア";
  out.append(bytes - out.size(), 'a');
  return out;
}

TEST(RegressionSingleChar, ReadingsLongerThanAnyLabelAreDropped) {
  const auto d = parse_single_char_text("山\t" + katakana(255) + "\t" + katakana(256) +
                                        "\tヤマ\n田\t" + katakana(1000) + "\n");
  const auto* readings = d.lookup(U'山');
  ASSERT_NE(readings, nullptr);
  EXPECT_EQ(*readings, (std::vector<std::string>{katakana(255), "ヤマ"}));
  EXPECT_EQ(d.lookup(U'田'), nullptr);  // nothing it could match is left
  EXPECT_EQ(d.size(), 1u);
}

struct HugeLine {
  const char* name;
  std::string head;
  bool gives_entry;
};

class RegressionHugeLine : public ::testing::TestWithParam<HugeLine> {};

TEST_P(RegressionHugeLine, LoadsInOnePass) {
  const HugeLine& c = GetParam();
  const auto path = std::filesystem::path(::testing::TempDir()) / "huge_line.tsv";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << c.head;
    const std::string block = katakana(3 << 16);
    for (int i = 0; i < 160; ++i) out << block;  // about 30 MB, one line
    out << "\n猫\tネコ";
  }
  const auto d = load_single_char_file(path);
  ASSERT_TRUE(d) << d.error().display();
  EXPECT_EQ(d->size(), c.gives_entry ? 2u : 1u);
  ASSERT_NE(d->lookup(U'猫'), nullptr);
  if (c.gives_entry) EXPECT_EQ(*d->lookup(U'山'), std::vector<std::string>{"ヤマ"});
  std::filesystem::remove(path);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, RegressionHugeLine,
    ::testing::Values(HugeLine{"one_long_reading", "山\t", false},
                      HugeLine{"short_reading_then_long", "山\tヤマ\t", true},
                      HugeLine{"no_tab", "山", false}, HugeLine{"comment", "#", false}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace kotori::core
