#pragma once
// The embedded Japanese tables, compiled once per test binary.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "braille/embedded_tables.h"
#include "braille/japanese_table.h"
#include "braille/japanese_translator.h"

namespace kotori::braille::testing {

inline const JapaneseTable& embedded_japanese(std::size_t index) {
  static const JapaneseTable* tables[2] = {nullptr, nullptr};
  if (tables[index] == nullptr) {
    auto compiled = compile_japanese_table(embedded_documents()[index].text);
    if (!compiled) ADD_FAILURE() << compiled.error().display();
    tables[index] = new JapaneseTable(compiled ? *compiled->japanese() : JapaneseTable{});
  }
  return *tables[index];
}

inline const JapaneseTranslator& grade1_translator() {
  static const JapaneseTranslator translator = build_japanese_translator(embedded_japanese(0));
  return translator;
}

}  // namespace kotori::braille::testing
