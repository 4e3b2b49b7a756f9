#pragma once
// The error of braille table loading: parse, I/O, unknown table, validation.
#include <string>
#include <utility>

namespace kotori::braille {

class BrailleTableError {
 public:
  enum class Kind { Toml, Io, UnknownTable, Validation };

  static BrailleTableError toml(std::string parser_message) {
    return {Kind::Toml, std::move(parser_message)};
  }
  static BrailleTableError io(std::string os_message) { return {Kind::Io, std::move(os_message)}; }
  static BrailleTableError unknown_table(std::string name) {
    return {Kind::UnknownTable, std::move(name)};
  }
  static BrailleTableError validation(std::string message) {
    return {Kind::Validation, std::move(message)};
  }

  Kind kind() const { return kind_; }
  const std::string& payload() const { return payload_; }

  // "braille table validation error: " + message, and the like.
  std::string display() const;
  // Variant name with the payload in debug rendering: UnknownTable("x").
  std::string debug() const;

  friend bool operator==(const BrailleTableError&, const BrailleTableError&) = default;

 private:
  BrailleTableError(Kind kind, std::string payload) : kind_(kind), payload_(std::move(payload)) {}
  Kind kind_;
  std::string payload_;
};

}  // namespace kotori::braille
