#include "braille/registry.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "braille/embedded_tables.h"

namespace kotori::braille {
namespace {

TEST(TableRegistry, HoldsTheFourDocumentsInOrder) {
  const TableRegistry& registry = TableRegistry::instance();
  ASSERT_EQ(registry.tables().size(), 4u);
  const char* names[] = {"japanese_grade1", "japanese_no_conversion", "english_ueb_grade2",
                         "english_ueb_grade1"};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(registry.tables()[i].name(), names[i]);
    EXPECT_EQ(registry.tables()[i].japanese() != nullptr, i < 2) << names[i];
    EXPECT_EQ(registry.tables()[i].ueb() != nullptr, i >= 2) << names[i];
  }
  EXPECT_EQ(&registry.first_table(), &registry.tables()[0]);
}

TEST(TableRegistry, BuiltOnceAndSharedBetweenThreads) {
  std::vector<const TableRegistry*> seen(8, nullptr);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < seen.size(); ++i) {
    threads.emplace_back([&seen, i] { seen[i] = &TableRegistry::instance(); });
  }
  for (auto& t : threads) t.join();
  for (const TableRegistry* r : seen) EXPECT_EQ(r, &TableRegistry::instance());
}

TEST(TableRegistry, LoadEmbeddedByExactName) {
  auto grade1 = load_embedded("english_ueb_grade1");
  ASSERT_TRUE(grade1.has_value());
  ASSERT_NE(grade1->ueb(), nullptr);
  EXPECT_EQ(grade1->name(), "english_ueb_grade1");

  auto no_conversion = load_embedded("japanese_no_conversion");
  ASSERT_TRUE(no_conversion.has_value());
  ASSERT_NE(no_conversion->japanese(), nullptr);
  EXPECT_EQ(no_conversion->japanese()->display_name, "日本語無変換");

  for (const char* name : {"English_UEB_grade2", "nonexistent", ""}) {
    auto missing = load_embedded(name);
    ASSERT_FALSE(missing.has_value()) << name;
    EXPECT_EQ(missing.error(), BrailleTableError::unknown_table(name));
  }
  EXPECT_EQ(load_embedded("nonexistent").error().display(), "unknown embedded table: nonexistent");
}

TEST(TableRegistry, FailureNamesTheDocumentAndTheError) {
  const auto& docs = embedded_documents();
  const TableRegistry::Documents shipped = {docs[0].text, docs[1].text, docs[2].text,
                                            docs[3].text};
  struct Case {
    std::size_t index;
    std::string text;
    std::string prefix;
  };
  const std::string reserved =
      "[flags.digit]\n[flags.foreign_word]\n[flags.capital]\n[table.kana.compound]\n"
      "[table.kana.single]\n[table.punct]\nclasses = [\"none\"]\n[table.punct.jp]\n"
      "[table.punct.latin]\n[table.digit]\n[table.latin]\n";
  const Case cases[] = {
      {0, "", "grade1 TOML は有効: Toml(\""},
      {1, reserved,
       "noconversion TOML は有効: Validation(\"[table.punct] classes: \\\"none\\\" は予約名のため"
       "宣言できません\")"},
      {2, "[", "UEB grade2 TOML は有効: Toml(\""},
      {3, "x = 1", "UEB grade1 TOML は有効: Toml(\""},
  };
  for (const Case& c : cases) {
    TableRegistry::Documents documents = shipped;
    documents[c.index] = c.text;
    auto built = TableRegistry::build(documents);
    ASSERT_FALSE(built.has_value()) << c.index;
    EXPECT_TRUE(built.error().starts_with(c.prefix)) << built.error();
  }
  EXPECT_TRUE(TableRegistry::build(shipped).has_value());
}

}  // namespace
}  // namespace kotori::braille
