#include "braille/table_error.h"

#include "common/debug_repr.h"

namespace kotori::braille {

std::string BrailleTableError::display() const {
  switch (kind_) {
    case Kind::Toml:
      return "braille table parse error: " + payload_;
    case Kind::Io:
      return "braille table io error: " + payload_;
    case Kind::UnknownTable:
      return "unknown embedded table: " + payload_;
    case Kind::Validation:
      break;
  }
  return "braille table validation error: " + payload_;
}

std::string BrailleTableError::debug() const {
  const char* name = "Validation";
  switch (kind_) {
    case Kind::Toml:
      name = "Toml";
      break;
    case Kind::Io:
      name = "Io";
      break;
    case Kind::UnknownTable:
      name = "UnknownTable";
      break;
    case Kind::Validation:
      break;
  }
  return std::string(name) + "(" + debug_quote(payload_) + ")";
}

}  // namespace kotori::braille
