#include "core/names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kotori::core {
namespace {

using Readings = std::optional<std::vector<std::string>>;

NameDictionary dictionary(std::vector<NameRecord> records) {
  return NameDictionary::build(records);
}

struct MarksCase {
  const char* name;
  std::vector<NameRecord> records;
  std::string_view text;
  std::vector<std::uint8_t> marks;
};

TEST(MatchNames, GreedyLongestFirstWithoutOverlap) {
  const MarksCase cases[] = {
      {"longest first", {{"田中", {}}, {"田中角", {}}}, "田中角栄", {1, 2, 2, 0}},
      {"shorter when the longer fails", {{"田中", {}}, {"田中角", {}}}, "田中さん", {1, 2, 0, 0}},
      {"adjacent names", {{"山田", {}}, {"花子", {}}}, "山田花子", {1, 2, 1, 2}},
      {"name past the end", {{"山田太郎", {}}}, "山田太", {0, 0, 0}},
      {"one-unit name", {{"山", {}}}, "富士山", {0, 0, 1}},
      {"no overlap inside a match", {{"山田", {}}, {"田中", {}}}, "山田中", {1, 2, 0}},
      {"rescan after a failed start", {{"山田", {}}}, "山山田", {0, 1, 2}},
      {"small kana joins on both sides", {{"きゃ", {}}}, "きゃき", {1, 0}},
      {"no split small kana", {{"き", {}}}, "きゃ", {0}},
      {"empty text", {{"山", {}}}, "", {}},
      {"empty dictionary", {}, "山田", {0, 0}},
  };
  for (const auto& c : cases) {
    const NameDictionary d = dictionary(c.records);
    const auto units = text_units(c.text);
    const NameMatches got = match_names(units, d);
    EXPECT_EQ(got.marks, c.marks) << c.name;
    EXPECT_EQ(got.readings.size(), units.size()) << c.name;
  }
}

TEST(MatchNames, ReadingsOnlyFromNamesThatCarryThem) {
  const NameDictionary d = dictionary({
      {"山田", Readings{{"ヤマ", "ダ"}}},
      {"花子", {}},
      {"きゃりー", Readings{{"キャ", "リ", "ー"}}},
  });
  const auto units = text_units("山田花子ときゃりー");
  const NameMatches got = match_names(units, d);
  using R = std::optional<std::string>;
  const std::vector<R> expected = {"ヤマ", "ダ", {}, {}, {}, "キャ", "リ", "ー"};
  EXPECT_EQ(got.readings, expected);
  EXPECT_EQ(got.marks, (std::vector<std::uint8_t>{1, 2, 1, 2, 0, 1, 2, 2}));
}

}  // namespace
}  // namespace kotori::core
