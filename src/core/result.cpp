#include "core/result.h"

#include <algorithm>
#include <string_view>

#include "common/utf8.h"
#include "core/char_type.h"
#include "core/text_units.h"

namespace kotori::core {

SourceToKana SourceToKana::derive(std::span<const std::uint32_t> kana_to_source,
                                  std::size_t source_size) {
  SourceToKana out;
  out.starts_.assign(source_size + 1, 0);
  for (std::uint32_t b : kana_to_source) {
    if (b < source_size) ++out.starts_[b + 1];
  }
  for (std::size_t b = 0; b < source_size; ++b) out.starts_[b + 1] += out.starts_[b];
  out.entries_.resize(out.starts_[source_size]);
  std::vector<std::uint32_t> fill(out.starts_.begin(), out.starts_.end() - 1);
  for (std::size_t k = 0; k < kana_to_source.size(); ++k) {
    const std::uint32_t b = kana_to_source[k];
    if (b < source_size) out.entries_[fill[b]++] = static_cast<std::uint32_t>(k);
  }
  return out;
}

SourceToKana SourceToKana::regrouped(std::span<const std::uint32_t> map,
                                     std::size_t new_size) const {
  SourceToKana out;
  out.starts_.assign(new_size + 1, 0);
  const std::size_t n = std::min(size(), map.size());
  for (std::size_t b = 0; b < n; ++b) {
    if (map[b] < new_size) out.starts_[map[b] + 1] += starts_[b + 1] - starts_[b];
  }
  for (std::size_t b = 0; b < new_size; ++b) out.starts_[b + 1] += out.starts_[b];
  out.entries_.resize(out.starts_[new_size]);
  std::vector<std::uint32_t> fill(out.starts_.begin(), out.starts_.end() - 1);
  for (std::size_t b = 0; b < n; ++b) {
    if (map[b] >= new_size) continue;
    for (std::uint32_t k : of(b)) out.entries_[fill[map[b]]++] = k;
  }
  return out;
}

SourceToKana SourceToKana::from_lists(const std::vector<std::vector<std::uint32_t>>& lists) {
  SourceToKana out;
  out.starts_.reserve(lists.size() + 1);
  out.starts_.push_back(0);
  for (const auto& list : lists) {
    out.entries_.insert(out.entries_.end(), list.begin(), list.end());
    out.starts_.push_back(static_cast<std::uint32_t>(out.entries_.size()));
  }
  return out;
}

namespace {

constexpr std::int32_t kNotAStart = -1;

// The byte offsets at which the characters of `text` start, and for every byte the index of
// the character starting there (kNotAStart inside a character).
struct CharIndex {
  std::vector<std::uint32_t> starts;
  std::vector<std::int32_t> index_of_byte;

  explicit CharIndex(std::string_view text) : index_of_byte(text.size(), kNotAStart) {
    std::size_t pos = 0;
    while (pos < text.size()) {
      index_of_byte[pos] = static_cast<std::int32_t>(starts.size());
      starts.push_back(static_cast<std::uint32_t>(pos));
      utf8::decode(text, pos);
    }
  }
  std::size_t count() const { return starts.size(); }
  std::uint32_t end_of(std::size_t i, std::size_t text_size) const {
    return i + 1 < starts.size() ? starts[i + 1] : static_cast<std::uint32_t>(text_size);
  }
  std::int32_t at(std::size_t byte) const {
    return byte < index_of_byte.size() ? index_of_byte[byte] : kNotAStart;
  }
};

char32_t char_at(std::string_view text, std::size_t pos) { return utf8::decode(text, pos); }

bool is_blank(std::string_view text, std::size_t pos) {
  return char_type(char_at(text, pos)) == CharType::Whitespace;
}

bool is_unit_head_kana(char32_t c) {
  return ((c >= 0x3041 && c <= 0x3093) || (c >= 0x30A1 && c <= 0x30F6)) &&
         !is_joining_small_kana(c);
}

// The end of the reading unit that starts at byte `d`: after the character there, or after
// the small kana that joins it into one unit.
std::size_t unit_end(std::string_view source, std::size_t d) {
  std::size_t pos = d;
  const char32_t c = utf8::decode(source, pos);
  if (pos < source.size() && is_unit_head_kana(c)) {
    std::size_t next = pos;
    if (is_joining_small_kana(utf8::decode(source, next))) return next;
  }
  return pos;
}

void join_segments(std::string& out, std::string_view segment) {
  if (!out.empty()) out.push_back('/');
  out.append(segment);
}

std::string segmented_kana(const CorePrediction& p, const CharIndex& src, const CharIndex& kana) {
  std::string out;
  std::string current;
  for (std::size_t i = 0; i < src.count(); ++i) {
    const auto list = p.source_to_kana.of(src.starts[i]);
    if (list.empty()) continue;
    current.clear();
    for (std::uint32_t k : list) {
      const std::int32_t ki = kana.at(k);
      if (ki == kNotAStart) continue;
      const std::size_t begin = kana.starts[ki];
      const std::size_t end = kana.end_of(ki, p.kana.size());
      const std::string_view ch = std::string_view(p.kana).substr(begin, end - begin);
      if (is_blank(p.kana, begin)) {
        if (!current.empty()) join_segments(out, current);
        current.clear();
        join_segments(out, ch);
      } else {
        current.append(ch);
      }
    }
    if (!current.empty()) join_segments(out, current);
  }
  return out;
}

std::string segmented_source(const CorePrediction& p, const CharIndex& src,
                             const CharIndex& kana) {
  const std::string_view source = p.source;
  std::string out;
  std::size_t cut = 0;
  for (std::size_t ki = 0; ki < kana.count(); ++ki) {
    const std::size_t k = kana.starts[ki];
    if (!is_blank(p.kana, k) || k >= p.kana_to_source.size()) continue;
    const std::uint32_t d = p.kana_to_source[k];
    if (src.at(d) == kNotAStart) continue;  // not a character of this source
    const std::size_t end = unit_end(source, d);
    if (end <= cut) continue;
    join_segments(out, source.substr(cut, end - cut));
    cut = end;
  }
  if (cut < source.size()) join_segments(out, source.substr(cut));
  return out;
}

}  // namespace

PredictionOutput build_result(const CorePrediction& p) {
  const CharIndex src(p.source);
  const CharIndex kana(p.kana);

  PredictionOutput out;
  out.source = p.source;
  out.kana = p.kana;
  out.confidences.reserve(kana.count());
  out.kana_to_source.reserve(kana.count());
  for (std::uint32_t k : kana.starts) {
    out.confidences.push_back(k < p.confidence.size() ? p.confidence[k] : 0.0f);
    std::uint32_t index = 0;
    if (k < p.kana_to_source.size()) {
      const std::int32_t si = src.at(p.kana_to_source[k]);
      if (si != kNotAStart) index = static_cast<std::uint32_t>(si);
    }
    out.kana_to_source.push_back(index);
  }
  out.source_to_kana.resize(src.count());
  for (std::size_t i = 0; i < src.count(); ++i) {
    for (std::uint32_t k : p.source_to_kana.of(src.starts[i])) {
      const std::int32_t ki = kana.at(k);
      if (ki != kNotAStart) out.source_to_kana[i].push_back(static_cast<std::uint32_t>(ki));
    }
  }
  out.segmented = segmented_kana(p, src, kana);
  out.source_segmented = segmented_source(p, src, kana);
  return out;
}

}  // namespace kotori::core
