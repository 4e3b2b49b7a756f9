#pragma once
// The packed punctuation table of char_type: BMP code points in increasing order and a
// parallel string of class digits whose byte value is the CharType (0x30-0x34).
#include <array>
#include <cstdint>
#include <string_view>

namespace kotori::core::tables {

#include "core/char_type_table.inc"

static_assert(kPunctuationClasses.size() == kPunctuationCodes.size());

}  // namespace kotori::core::tables
