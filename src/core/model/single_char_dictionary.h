#pragma once
// Readings a single kanji or digit may take: a sorted list searched by binary search.
#include <cstdint>
#include <expected>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/model_error.h"

namespace kotori::core {

class Reader;

struct SingleCharEntry {
  char32_t character = 0;
  std::vector<std::string> readings;  // at least one
};

class SingleCharDictionary {
 public:
  SingleCharDictionary() = default;
  // Sorts by character. Entries for the same character are merged into one, their
  // readings concatenated in the order given.
  explicit SingleCharDictionary(std::vector<SingleCharEntry> entries);

  // The readings listed for `c`, or nullptr. Binary search; allocates nothing.
  const std::vector<std::string>* lookup(char32_t c) const;

  std::span<const SingleCharEntry> entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }
  std::size_t size() const { return entries_.size(); }

 private:
  std::vector<SingleCharEntry> entries_;
};

// Parses dictionary-file text (LF or CRLF lines, "#" comments, TAB-separated readings).
SingleCharDictionary parse_single_char_text(std::string_view text);

// Reads and parses a dictionary file; DictionaryIo when it cannot be read or is not UTF-8.
std::expected<SingleCharDictionary, ModelError> load_single_char_file(
    const std::filesystem::path& path);

// Reads section 14 of a model file. The file ending inside the count is the Corrupt error
// for a missing table.
std::expected<SingleCharDictionary, ModelError> read_single_char_table(Reader& reader);

}  // namespace kotori::core
