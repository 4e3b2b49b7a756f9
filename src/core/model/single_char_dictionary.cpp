#include "core/model/single_char_dictionary.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iterator>
#include <memory>
#include <new>
#include <utility>

#include "common/utf8.h"
#include "core/model/reader.h"

namespace kotori::core {
namespace {

using std::to_string;

constexpr std::size_t kMinRecordBytes = 2;  // empty key + reading count
// Labels are strings with a u8 byte count, so a longer reading can never match one.
constexpr std::size_t kLongestLabel = 255;

template <class T>
std::unexpected<ModelError> fail(std::expected<T, ModelError>& r) {
  return std::unexpected(std::move(r.error()));
}

// The first character of non-empty, valid UTF-8 text.
char32_t first_char(std::string_view s) {
  std::size_t pos = 0;
  return utf8::decode(s, pos);
}

// One line of a dictionary file; false when the line gives no entry.
bool parse_line(std::string_view line, SingleCharEntry& entry) {
  if (line.empty() || line.front() == '#') return false;
  const std::size_t tab = line.find('\t');
  if (tab == std::string_view::npos || tab == 0) return false;
  entry.character = first_char(line.substr(0, tab));
  entry.readings.clear();
  std::string_view rest = line.substr(tab + 1);
  for (;;) {
    const std::size_t next = rest.find('\t');
    const std::string_view piece = rest.substr(0, next);
    if (!piece.empty() && piece.size() <= kLongestLabel) entry.readings.emplace_back(piece);
    if (next == std::string_view::npos) break;
    rest.remove_prefix(next + 1);
  }
  return !entry.readings.empty();
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

std::expected<std::string, std::error_code> read_file(const std::filesystem::path& path) {
  if (path.native().find('\0') != std::string::npos) {
    return std::unexpected(std::make_error_code(std::errc::invalid_argument));
  }
  errno = 0;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return std::unexpected(std::error_code(errno ? errno : EIO, std::generic_category()));
  std::string text;
  // Sized once from the file's length, so a large file is never held twice while it grows.
  std::error_code size_error;
  const auto size = std::filesystem::file_size(path, size_error);
  if (!size_error && size < text.max_size()) text.reserve(static_cast<std::size_t>(size));
  char buffer[Reader::kBufferSize];
  for (;;) {
    errno = 0;
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
    text.append(buffer, n);
    if (n == sizeof buffer) continue;
    if (std::ferror(file.get())) {
      if (errno == EINTR) {
        std::clearerr(file.get());
        continue;
      }
      return std::unexpected(std::error_code(errno ? errno : EIO, std::generic_category()));
    }
    if (std::feof(file.get())) return text;
  }
}

// A file larger than the memory at hand is an error of its own, not an exception.
std::expected<std::string, std::error_code> read_whole_file(const std::filesystem::path& path) {
  try {
    return read_file(path);
  } catch (const std::bad_alloc&) {
    return std::unexpected(std::make_error_code(std::errc::not_enough_memory));
  }
}

}  // namespace

SingleCharDictionary::SingleCharDictionary(std::vector<SingleCharEntry> entries) {
  std::stable_sort(entries.begin(), entries.end(),
                   [](const SingleCharEntry& a, const SingleCharEntry& b) {
                     return a.character < b.character;
                   });
  entries_.reserve(entries.size());
  for (SingleCharEntry& e : entries) {
    if (!entries_.empty() && entries_.back().character == e.character) {
      auto& readings = entries_.back().readings;
      readings.insert(readings.end(), std::make_move_iterator(e.readings.begin()),
                      std::make_move_iterator(e.readings.end()));
    } else {
      entries_.push_back(std::move(e));
    }
  }
}

const std::vector<std::string>* SingleCharDictionary::lookup(char32_t c) const {
  const auto it = std::lower_bound(
      entries_.begin(), entries_.end(), c,
      [](const SingleCharEntry& e, char32_t value) { return e.character < value; });
  if (it == entries_.end() || it->character != c) return nullptr;
  return &it->readings;
}

SingleCharDictionary parse_single_char_text(std::string_view text) {
  std::vector<SingleCharEntry> entries;
  SingleCharEntry entry;
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    if (lf != std::string_view::npos) {
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      text.remove_prefix(lf + 1);
    } else {
      text = {};
    }
    if (parse_line(line, entry)) entries.push_back(std::move(entry));
  }
  return SingleCharDictionary(std::move(entries));
}

std::expected<SingleCharDictionary, ModelError> load_single_char_file(
    const std::filesystem::path& path) {
  auto text = read_whole_file(path);
  if (!text) return std::unexpected(ModelError::dictionary_io(path, text.error()));
  if (!is_valid_utf8(*text)) {
    return std::unexpected(
        ModelError::dictionary_io(path, std::make_error_code(std::errc::illegal_byte_sequence)));
  }
  return parse_single_char_text(*text);
}

std::expected<SingleCharDictionary, ModelError> read_single_char_table(Reader& reader) {
  auto n_entries = reader.u32();
  if (!n_entries) {
    if (reader.at_end_of_file()) {
      return std::unexpected(ModelError::corrupt(
          "単一文字辞書テーブルがありません（同テーブル追加前の旧 0x04 "
          "ファイルの可能性があります。モデルを再エクスポートしてください）"));
    }
    return fail(n_entries);
  }
  if (*n_entries > kMaxCount) {
    return std::unexpected(ModelError::corrupt("単一文字辞書の n_entries=" + to_string(*n_entries) +
                                               " が大きすぎます（上限 " + to_string(kMaxCount) +
                                               "）"));
  }
  std::vector<SingleCharEntry> entries;
  entries.reserve(reader.reserve_hint(*n_entries, kMinRecordBytes));
  for (std::uint32_t i = 0; i < *n_entries; ++i) {
    auto key = reader.string();
    if (!key) return fail(key);
    auto k = reader.u8();
    if (!k) return fail(k);
    std::vector<std::string> readings;
    readings.reserve(*k);
    for (unsigned j = 0; j < *k; ++j) {
      auto reading = reader.string();
      if (!reading) return fail(reading);
      readings.push_back(std::move(*reading));
    }
    if (*k >= 1 && utf8::count_chars(*key) == 1) {
      entries.push_back(SingleCharEntry{first_char(*key), std::move(readings)});
    }
  }
  return SingleCharDictionary(std::move(entries));
}

}  // namespace kotori::core
