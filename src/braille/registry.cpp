#include "braille/registry.h"

#include <cstdio>
#include <cstdlib>

#include "braille/embedded_tables.h"
#include "braille/japanese_table.h"
#include "braille/ueb/ueb_table.h"

namespace kotori::braille {
namespace {

constexpr std::array<std::string_view, 4> kLabels = {
    "grade1 TOML は有効", "noconversion TOML は有効", "UEB grade2 TOML は有効",
    "UEB grade1 TOML は有効"};

std::expected<BrailleTable, BrailleTableError> compile(std::size_t index, std::string_view text) {
  if (index < 2) return compile_japanese_table(text);
  auto table = ueb::compile_ueb_table(text);
  if (!table) return std::unexpected(std::move(table.error()));
  return BrailleTable{std::move(*table)};
}

const TableRegistry& build_or_stop() {
  static const TableRegistry registry = [] {
    const auto& docs = embedded_documents();
    TableRegistry::Documents texts;
    for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = docs[i].text;
    auto built = TableRegistry::build(texts);
    if (!built) {
      std::fprintf(stderr, "%s\n", built.error().c_str());
      std::abort();
    }
    return std::move(*built);
  }();
  return registry;
}

}  // namespace

const TableRegistry& TableRegistry::instance() {
  // The one-time initialisation of the function-local static inside is thread-safe.
  return build_or_stop();
}

std::expected<TableRegistry, std::string> TableRegistry::build(const Documents& documents) {
  std::vector<BrailleTable> tables;
  tables.reserve(documents.size());
  for (std::size_t i = 0; i < documents.size(); ++i) {
    auto table = compile(i, documents[i]);
    if (!table) return std::unexpected(std::string(kLabels[i]) + ": " + table.error().debug());
    tables.push_back(std::move(*table));
  }
  return TableRegistry(std::move(tables));
}

std::expected<BrailleTable, BrailleTableError> TableRegistry::load_embedded(
    std::string_view name) const {
  for (const BrailleTable& table : tables_) {
    if (table.name() && *table.name() == name) return table;
  }
  return std::unexpected(BrailleTableError::unknown_table(std::string(name)));
}

std::expected<BrailleTable, BrailleTableError> load_embedded(std::string_view name) {
  return TableRegistry::instance().load_embedded(name);
}

}  // namespace kotori::braille
