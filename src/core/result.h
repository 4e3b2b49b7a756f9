#pragma once
// The byte-level result of a prediction, and its conversion to the character-indexed values
// the Python layer hands out.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kotori::core {

// Per source byte, the kana byte offsets read from it, stored flat: the list of byte b is
// entries[starts[b] .. starts[b + 1]). Holds source.size() + 1 starts once derived.
class SourceToKana {
 public:
  // Number of source bytes described.
  std::size_t size() const { return starts_.empty() ? 0 : starts_.size() - 1; }
  // The list of source byte b; empty for a byte out of range.
  std::span<const std::uint32_t> of(std::size_t b) const {
    if (b >= size()) return {};
    const std::span<const std::uint32_t> all(entries_);
    return all.subspan(starts_[b], starts_[b + 1] - starts_[b]);
  }
  std::span<const std::uint32_t> operator[](std::size_t b) const { return of(b); }
  std::span<const std::uint32_t> all_entries() const { return entries_; }

  // For `source_size` bytes: the list of byte b holds, in increasing order, every kana byte k
  // with kana_to_source[k] == b; values not below `source_size` are left out.
  static SourceToKana derive(std::span<const std::uint32_t> kana_to_source,
                             std::size_t source_size);

  // The lists moved onto a new source of `new_size` bytes through `map` (one new-source
  // offset per old byte): the list of new byte B is the concatenation, in increasing old byte
  // order, of the lists of the old bytes b with map[b] == B. Old bytes without a map entry, or
  // mapped out of range, are dropped.
  SourceToKana regrouped(std::span<const std::uint32_t> map, std::size_t new_size) const;

  // Builds from explicit lists (tests and callers that already hold lists).
  static SourceToKana from_lists(const std::vector<std::vector<std::uint32_t>>& lists);

  friend bool operator==(const SourceToKana&, const SourceToKana&) = default;

 private:
  std::vector<std::uint32_t> starts_;
  std::vector<std::uint32_t> entries_;
};

// What a prediction says about one text, in UTF-8 byte offsets. `confidence` and
// `kana_to_source` have one item per byte of `kana`; every byte of one kana character carries
// the same values.
struct CorePrediction {
  std::string source;
  std::string kana;
  std::vector<float> confidence;
  std::vector<std::uint32_t> kana_to_source;
  SourceToKana source_to_kana;

  // Rebuilds source_to_kana from kana_to_source for the current source.
  void derive_source_to_kana() {
    source_to_kana = SourceToKana::derive(kana_to_source, source.size());
  }
};

// The seven values of a PredictionResult; indices count characters (code points).
struct PredictionOutput {
  std::string source;
  std::string kana;
  std::vector<float> confidences;                     // one per kana character
  std::string segmented;                              // the reading, "/" between segments
  std::string source_segmented;                       // the source, "/" between segments
  std::vector<std::uint32_t> kana_to_source;          // one per kana character
  std::vector<std::vector<std::uint32_t>> source_to_kana;  // one list per source character

  friend bool operator==(const PredictionOutput&, const PredictionOutput&) = default;
};

// Converts the final prediction of a whole text (its source is the caller's text).
PredictionOutput build_result(const CorePrediction& prediction);

}  // namespace kotori::core
