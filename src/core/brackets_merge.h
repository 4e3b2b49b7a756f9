#pragma once
// Pieces of reading and the merge that puts bracket splices back into a reading.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kotori::core {

// A reading whose source offsets are offsets into the whole text being predicted. It may
// leave room for the readings of nested bracket groups: `children` lists (byte position in
// `kana`, index of the group's reading), in increasing position.
struct Reading {
  std::string kana;
  std::vector<float> confidence;
  std::vector<std::uint32_t> kana_to_source;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> children;

  void append(std::string_view bytes, std::uint32_t source, float confidence_value) {
    kana.append(bytes);
    kana_to_source.insert(kana_to_source.end(), bytes.size(), source);
    confidence.insert(confidence.end(), bytes.size(), confidence_value);
  }
};

// Finished pieces to be inserted at source positions, their bytes kept in one buffer.
struct Splices {
  struct Item {
    std::uint32_t begin = 0;  // bytes [begin, end) of the buffer
    std::uint32_t end = 0;
    std::uint32_t position = 0;  // source offset the piece belongs at
    bool opening = false;        // a single opening bracket or quote
    std::int32_t child = -1;     // a group's reading goes inside the piece
    std::uint32_t child_at = 0;  // after this many of the piece's bytes
  };

  Reading bytes;  // never has children of its own
  std::vector<Item> items;

  bool empty() const { return items.empty(); }
  void clear() {
    bytes.kana.clear();
    bytes.confidence.clear();
    bytes.kana_to_source.clear();
    items.clear();
  }
};

// Merges `splices` into `reading` (which has no children). `text` is the whole text the
// source offsets point into; a blank of the reading whose source character is not
// whitespace is a separator the pipeline wrote.
Reading merge_splices(const Reading& reading, Splices& splices, std::string_view text);

}  // namespace kotori::core
