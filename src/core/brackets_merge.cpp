#include "core/brackets_merge.h"

#include <algorithm>

#include "common/utf8.h"
#include "core/char_type.h"

namespace kotori::core {
namespace {

bool is_whitespace_at(std::string_view text, std::size_t pos) {
  return pos < text.size() && char_type(utf8::decode(text, pos)) == CharType::Whitespace;
}

struct ContentChar {
  std::uint32_t begin = 0;
  std::uint32_t end = 0;
  std::uint32_t source = 0;
  bool separator_after = false;  // a separator lies between it and the next content char
};

// Where a splice goes: slot 0 the front list, 1 before content char `target`, 2 behind it,
// 3 the end list.
struct Attachment {
  std::uint64_t key = 0;  // (target + 1) * 4 + slot: the order of writing
  std::uint32_t splice = 0;
};

void write_splice(Reading& out, const Splices& s, const Splices::Item& item) {
  const auto copy = [&](std::uint32_t from, std::uint32_t to) {
    out.kana.append(s.bytes.kana, from, to - from);
    out.confidence.insert(out.confidence.end(), s.bytes.confidence.begin() + from,
                          s.bytes.confidence.begin() + to);
    out.kana_to_source.insert(out.kana_to_source.end(), s.bytes.kana_to_source.begin() + from,
                              s.bytes.kana_to_source.begin() + to);
  };
  if (item.child < 0) {
    copy(item.begin, item.end);
    return;
  }
  const std::uint32_t mid = std::min(item.begin + item.child_at, item.end);
  copy(item.begin, mid);
  out.children.emplace_back(static_cast<std::uint32_t>(out.kana.size()),
                            static_cast<std::uint32_t>(item.child));
  copy(mid, item.end);
}

std::vector<ContentChar> describe(const Reading& r, std::string_view text) {
  std::vector<ContentChar> content;
  bool pending = false;
  for (std::size_t pos = 0; pos < r.kana.size();) {
    const auto begin = static_cast<std::uint32_t>(pos);
    const char32_t c = utf8::decode(r.kana, pos);
    const std::uint32_t source = r.kana_to_source[begin];
    if (char_type(c) == CharType::Whitespace && !is_whitespace_at(text, source)) {
      pending = !content.empty();  // separators before the first content char are dropped
      continue;
    }
    if (!content.empty()) content.back().separator_after = pending;
    pending = false;
    content.push_back({begin, static_cast<std::uint32_t>(pos), source, false});
  }
  return content;  // a separator after the last content char is dropped
}

}  // namespace

Reading merge_splices(const Reading& reading, Splices& splices, std::string_view text) {
  std::stable_sort(splices.items.begin(), splices.items.end(),
                   [](const Splices::Item& a, const Splices::Item& b) {
                     return a.position < b.position;
                   });
  Reading out;
  const std::vector<ContentChar> content = describe(reading, text);
  if (content.empty()) {
    for (const auto& item : splices.items) write_splice(out, splices, item);
    return out;
  }

  // Running maximum and suffix minimum of the content sources make "the first content char
  // whose source is greater" and "the last whose source is smaller" binary searches.
  const std::size_t n = content.size();
  std::vector<std::uint32_t> prefix_max(n);
  std::vector<std::uint32_t> suffix_min(n);
  for (std::size_t j = 0; j < n; ++j) {
    prefix_max[j] = j == 0 ? content[j].source : std::max(prefix_max[j - 1], content[j].source);
  }
  for (std::size_t j = n; j-- > 0;) {
    suffix_min[j] = j + 1 == n ? content[j].source : std::min(suffix_min[j + 1], content[j].source);
  }
  std::vector<Attachment> attached;
  attached.reserve(splices.items.size());
  for (std::uint32_t k = 0; k < splices.items.size(); ++k) {
    const Splices::Item& item = splices.items[k];
    std::uint64_t key;
    if (item.opening) {
      const auto it = std::upper_bound(prefix_max.begin(), prefix_max.end(), item.position);
      const std::uint64_t j = it - prefix_max.begin();
      key = j == n ? (n + 1) * 4 + 3 : (j + 1) * 4 + 1;
    } else {
      // suffix_min is non-decreasing: the last j with suffix_min[j] < position.
      const auto it = std::lower_bound(suffix_min.begin(), suffix_min.end(), item.position);
      const std::uint64_t count = it - suffix_min.begin();
      key = count == 0 ? 0 : count * 4 + 2;
    }
    attached.push_back({key, k});
  }
  std::stable_sort(attached.begin(), attached.end(),
                   [](const Attachment& a, const Attachment& b) { return a.key < b.key; });

  std::size_t next = 0;
  const auto write_attached = [&](std::uint64_t key, std::uint32_t* last_source) {
    for (; next < attached.size() && attached[next].key == key; ++next) {
      const Splices::Item& item = splices.items[attached[next].splice];
      write_splice(out, splices, item);
      if (last_source != nullptr && item.end > item.begin) {
        *last_source = splices.bytes.kana_to_source[item.end - 1];
      }
    }
  };
  write_attached(0, nullptr);
  for (std::size_t j = 0; j < n; ++j) {
    const ContentChar& c = content[j];
    write_attached((j + 1) * 4 + 1, nullptr);
    out.kana.append(reading.kana, c.begin, c.end - c.begin);
    out.confidence.insert(out.confidence.end(), reading.confidence.begin() + c.begin,
                          reading.confidence.begin() + c.end);
    out.kana_to_source.insert(out.kana_to_source.end(), reading.kana_to_source.begin() + c.begin,
                              reading.kana_to_source.begin() + c.end);
    std::uint32_t blank_source = c.source;
    write_attached((j + 1) * 4 + 2, &blank_source);
    if (c.separator_after && j + 1 < n) out.append(" ", blank_source, 1.0f);
  }
  write_attached((n + 1) * 4 + 3, nullptr);
  return out;
}

}  // namespace kotori::core
