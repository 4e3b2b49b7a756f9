#pragma once
// The four embedded table documents, compiled once per process and handed out by copy.
#include <array>
#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "braille/braille_table.h"
#include "braille/table_error.h"

namespace kotori::braille {

class TableRegistry {
 public:
  // Documents in registry order: japanese_grade1, japanese_no_conversion (Japanese format),
  // english_ueb_grade2, english_ueb_grade1 (UEB format).
  using Documents = std::array<std::string_view, 4>;

  // The process-wide registry, built from the embedded documents on the first call (thread-safe).
  // A document that fails to compile stops the process: that is a fault of the module's own data.
  static const TableRegistry& instance();

  // Compiles `documents`; on failure the message the fatal stop prints, e.g.
  // `grade1 TOML は有効: Toml("...")`.
  static std::expected<TableRegistry, std::string> build(const Documents& documents);

  const std::vector<BrailleTable>& tables() const { return tables_; }
  // The table the Japanese translator is built from.
  const BrailleTable& first_table() const { return tables_.front(); }

  // A copy of the first table whose metadata name equals `name` exactly; UnknownTable(name)
  // when none does.
  std::expected<BrailleTable, BrailleTableError> load_embedded(std::string_view name) const;

 private:
  explicit TableRegistry(std::vector<BrailleTable> tables) : tables_(std::move(tables)) {}
  std::vector<BrailleTable> tables_;
};

// TableRegistry::instance().load_embedded(name).
std::expected<BrailleTable, BrailleTableError> load_embedded(std::string_view name);

}  // namespace kotori::braille
