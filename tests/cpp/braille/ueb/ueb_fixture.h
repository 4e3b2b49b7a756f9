#pragma once
// The embedded grade 2 table, compiled once for the UEB tests.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "braille/embedded_tables.h"
#include "braille/ueb/ueb_table.h"

namespace kotori::braille::ueb::testing {

inline std::string_view embedded_text(std::string_view name) {
  for (const auto& doc : embedded_documents()) {
    if (doc.name == name) return doc.text;
  }
  return {};
}

inline const EnglishTranslator& grade2() {
  static const EnglishTranslator translator = [] {
    auto table = compile_ueb_table(embedded_text("english_ueb_grade2"));
    if (!table) {
      ADD_FAILURE() << table.error().display();
      return EnglishTranslator{};
    }
    return build_english_translator(*table);
  }();
  return translator;
}

}  // namespace kotori::braille::ueb::testing
