#pragma once
// The four table documents compiled into the module, in registry order.
#include <array>
#include <cstddef>
#include <string_view>

namespace kotori::braille {

struct EmbeddedDocument {
  std::string_view name;
  std::string_view text;
};

inline constexpr std::size_t kEmbeddedDocumentCount = 4;

// japanese_grade1, japanese_no_conversion, english_ueb_grade2, english_ueb_grade1.
const std::array<EmbeddedDocument, kEmbeddedDocumentCount>& embedded_documents();

}  // namespace kotori::braille
