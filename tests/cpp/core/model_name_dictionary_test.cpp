// The name dictionary built from the model's name records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/model/model.h"
#include "model_file_builder.h"

namespace kotori::core {
namespace {

using testing::base_parts;
using testing::Bytes;
using testing::Parts;
using testing::write_temp;

NameDictionary load_names(const std::string& section) {
  Parts p = base_parts();
  p.names = section;
  auto model = load_model(write_temp("names.kbm", p.bytes()));
  EXPECT_TRUE(model) << model.error().display();
  return model ? std::move(model->name_dictionary) : NameDictionary();
}

std::vector<char32_t> firsts(const NameEntry& e) {
  std::vector<char32_t> out;
  for (const NameUnit& u : e.units) out.push_back(u.first);
  return out;
}

using Readings = std::optional<std::vector<std::string>>;

TEST(NameDictionary, ReadingsAreKeptOnlyWhenOnePerUnit) {
  struct Case {
    const char* name;
    std::string record;
    std::vector<NameUnit> units;
    Readings readings;
  };
  const std::vector<Case> cases = {
      {"two readings for two units", Bytes().str("山田").strs({"ヤマ", "ダ"}),
       {{U'山'}, {U'田'}}, std::vector<std::string>{"ヤマ", "ダ"}},
      {"three readings for two units", Bytes().str("山田").strs({"ヤ", "マ", "ダ"}),
       {{U'山'}, {U'田'}}, std::nullopt},
      {"no readings", Bytes().str("山田").u8(0), {{U'山'}, {U'田'}}, std::nullopt},
      {"small kana joins its kana", Bytes().str("きゃりー").strs({"キャ", "リ", "ー"}),
       {{U'き', U'ゃ'}, {U'り'}, {U'ー'}}, std::vector<std::string>{"キャ", "リ", "ー"}},
  };
  for (const Case& c : cases) {
    const NameDictionary names = load_names(Bytes().u32(1).raw(c.record));
    const char32_t key = c.units.front().first;
    ASSERT_EQ(names.candidates(key).size(), 1u) << c.name;
    const NameEntry& entry = names.candidates(key)[0];
    EXPECT_EQ(entry.units, c.units) << c.name;
    EXPECT_EQ(entry.readings, c.readings) << c.name;
  }
}

TEST(NameDictionary, LongestFirstAndEqualLengthsInFileOrder) {
  const NameDictionary names = load_names(Bytes()
                                              .u32(6)
                                              .str("田").u8(0)
                                              .str("田中").strs({"タ", "ナカ"})
                                              .str("田中角").u8(0)
                                              .str("田中").strs({"デン", "チュウ"})
                                              .str("").u8(0)
                                              .str("中").u8(0));
  const auto list = names.candidates(U'田');
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(firsts(list[0]), (std::vector<char32_t>{U'田', U'中', U'角'}));
  EXPECT_EQ(list[1].readings, (std::vector<std::string>{"タ", "ナカ"}));
  EXPECT_EQ(list[2].readings, (std::vector<std::string>{"デン", "チュウ"}));
  EXPECT_EQ(firsts(list[3]), (std::vector<char32_t>{U'田'}));
  EXPECT_EQ(names.candidates(U'中').size(), 1u);
  EXPECT_TRUE(names.candidates(U'角').empty());
  EXPECT_EQ(names.key_count(), 2u);  // the empty surface was skipped
}

TEST(NameDictionary, SurfacesAreFolded) {
  // U+F9DC is a compatibility form of 隆; fullwidth Ａ folds to A.
  const NameDictionary names = load_names(Bytes().u32(2).str("\uF9DC子").u8(0).str("Ａ").u8(0));
  ASSERT_EQ(names.candidates(U'隆').size(), 1u);
  EXPECT_EQ(firsts(names.candidates(U'隆')[0]), (std::vector<char32_t>{U'隆', U'子'}));
  EXPECT_TRUE(names.candidates(U'\uF9DC').empty());
  EXPECT_EQ(names.candidates(U'A').size(), 1u);
}

TEST(NameDictionary, NoRecordsGiveAnEmptyMap) {
  EXPECT_TRUE(load_names(Bytes().u32(0)).empty());
}

}  // namespace
}  // namespace kotori::core
