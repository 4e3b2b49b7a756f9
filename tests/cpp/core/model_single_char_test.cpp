// The single-character dictionary: the model's table and the TSV dictionary file.
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

using Entries = std::vector<std::pair<char32_t, std::vector<std::string>>>;

Entries entries_of(const SingleCharDictionary& d) {
  Entries out;
  for (const SingleCharEntry& e : d.entries()) out.emplace_back(e.character, e.readings);
  return out;
}

TEST(SingleCharFile, ParsesLines) {
  struct Case {
    const char* name;
    std::string text;
    Entries expected;
  };
  const std::vector<Case> cases = {
      {"empty file", "", {}},
      {"comments and blank lines", "# note\n\n#漢\tカン\n", {}},
      {"two readings", "漢\tカン\tケン\n", {{U'漢', {"カン", "ケン"}}}},
      {"extra key characters ignored", "漢字\tカン", {{U'漢', {"カン"}}}},
      {"empty pieces dropped", "漢\t\tカン\t", {{U'漢', {"カン"}}}},
      {"no readings", "漢\t\n字\n\tカン\n", {}},
      {"space then hash is an entry", " #\tカン", {{U' ', {"カン"}}}},
      {"CRLF like LF", "漢\tカン\r\n字\tジ\r\n", {{U'字', {"ジ"}}, {U'漢', {"カン"}}}},
      {"final CR without LF stays", "漢\tカン\r", {{U'漢', {"カン\r"}}}},
      {"byte-order mark is a character", "\uFEFF漢\tカン\n", {{U'\uFEFF', {"カン"}}}},
      {"sorted by character", "生\tセイ\n一\tイチ\n", {{U'一', {"イチ"}}, {U'生', {"セイ"}}}},
      {"duplicates merged in file order", "生\tセイ\n一\tイチ\n生\tショウ\tセイ\n",
       {{U'一', {"イチ"}}, {U'生', {"セイ", "ショウ", "セイ"}}}},
  };
  for (const Case& c : cases) {
    auto dict = load_single_char_file(write_temp("dict.tsv", c.text));
    ASSERT_TRUE(dict) << c.name << ": " << dict.error().display();
    EXPECT_EQ(entries_of(*dict), c.expected) << c.name;
  }
}

TEST(SingleCharFile, LookupByCharacter) {
  const SingleCharDictionary d = parse_single_char_text("生\tセイ\tショウ\n一\tイチ\n");
  ASSERT_NE(d.lookup(U'生'), nullptr);
  EXPECT_EQ(*d.lookup(U'生'), (std::vector<std::string>{"セイ", "ショウ"}));
  EXPECT_EQ(d.lookup(U'二'), nullptr);
  EXPECT_EQ(d.lookup(0), nullptr);
  EXPECT_EQ(SingleCharDictionary().lookup(U'生'), nullptr);
}

TEST(SingleCharFile, UnreadableOrNonUtf8FilesAreDictionaryIo) {
  const auto bad = write_temp("bad.tsv", "漢\t\xFF\n");
  const auto missing = std::filesystem::path(::testing::TempDir()) / "missing.tsv";
  std::filesystem::remove(missing);
  const std::filesystem::path dir(::testing::TempDir());
  for (const auto& path : {bad, missing, dir}) {
    auto dict = load_single_char_file(path);
    ASSERT_FALSE(dict) << path;
    EXPECT_EQ(dict.error().kind, ModelError::Kind::DictionaryIo);
    EXPECT_EQ(dict.error().display(), "漢字辞書ファイルの読み込みに失敗しました: " + path.string());
  }
}

TEST(SingleCharTable, KeepsOneCharacterRecordsWithReadingsSorted) {
  Parts p = base_parts();
  p.single = Bytes()
                 .u32(5)
                 .str("生").strs({"セイ", "ショウ"})
                 .str("漢字").strs({"カンジ"})
                 .str("字").u8(0)
                 .str("").strs({"ナシ"})
                 .str("一").strs({"イチ"});
  auto model = load_model(write_temp("table.kbm", p.bytes()));
  ASSERT_TRUE(model) << model.error().display();
  EXPECT_EQ(entries_of(model->single_char_table),
            (Entries{{U'一', {"イチ"}}, {U'生', {"セイ", "ショウ"}}}));
}

}  // namespace
}  // namespace kotori::core
