#pragma once
// Buffered little-endian reader of model files: sequential reads through an 8192-byte
// buffer, fixed-width fields copied straight out of it.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <expected>
#include <filesystem>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "core/model/model_error.h"

namespace kotori::core {

// Strict UTF-8: no overlong forms, surrogates or values above U+10FFFF.
bool is_valid_utf8(std::string_view s);

class Reader {
 public:
  static constexpr std::size_t kBufferSize = 8192;

  // Io when the file cannot be opened.
  static std::expected<Reader, ModelError> open(const std::filesystem::path& path);

  Reader(Reader&& other) noexcept;
  Reader& operator=(Reader&&) = delete;
  Reader(const Reader&) = delete;
  ~Reader();

  std::expected<std::uint8_t, ModelError> u8() {
    if (pos_ == end_ && !fill()) return std::unexpected(failure());
    return static_cast<std::uint8_t>(buffer_[pos_++]);
  }
  std::expected<std::int8_t, ModelError> i8() {
    auto v = u8();
    if (!v) return std::unexpected(std::move(v.error()));
    return static_cast<std::int8_t>(*v);
  }
  std::expected<std::uint16_t, ModelError> u16() { return fixed<std::uint16_t>(); }
  std::expected<std::uint32_t, ModelError> u32() { return fixed<std::uint32_t>(); }
  std::expected<float, ModelError> f32() {
    auto v = fixed<std::uint32_t>();
    if (!v) return std::unexpected(std::move(v.error()));
    return std::bit_cast<float>(*v);
  }

  // Exactly `n` bytes into `dst`.
  std::expected<void, ModelError> bytes(void* dst, std::size_t n);

  // A u8 byte count and that many bytes, validated as UTF-8 (else InvalidUtf8).
  std::expected<std::string, ModelError> string();

  // Replaces `out` with `count` little-endian values. Storage grows with the bytes that
  // actually arrive, so a damaged count cannot demand more memory than the file holds.
  template <class T>
  std::expected<void, ModelError> array(std::uint64_t count, std::vector<T>& out) {
    static_assert(std::is_trivially_copyable_v<T>);
    out.clear();
    out.reserve(reserve_hint(count, sizeof(T), count));
    constexpr std::uint64_t kChunk = (1u << 20) / sizeof(T) + 1;
    while (out.size() < count) {
      const std::size_t done = out.size();
      const auto step = static_cast<std::size_t>(std::min<std::uint64_t>(count - done, kChunk));
      out.resize(done + step);
      if (auto r = bytes(out.data() + done, step * sizeof(T)); !r) {
        return std::unexpected(std::move(r.error()));
      }
    }
    if constexpr (std::endian::native == std::endian::big && sizeof(T) > 1) {
      for (T& v : out) v = std::bit_cast<T>(std::byteswap(std::bit_cast<Uint<sizeof(T)>>(v)));
    }
    return {};
  }

  // How many of `count` items, each at least `min_item_bytes` long on disk, it is worth
  // reserving room for: never more than the rest of the file can hold, nor `max_items`
  // (beyond the first reservation a list grows geometrically as its items arrive).
  static constexpr std::uint64_t kMaxReserve = 1u << 20;
  std::size_t reserve_hint(std::uint64_t count, std::size_t min_item_bytes,
                           std::uint64_t max_items = kMaxReserve) const;

  // True when the last failed read ran into the end of the file (not an I/O error).
  bool at_end_of_file() const { return eof_; }
  const std::filesystem::path& path() const { return path_; }

 private:
  template <std::size_t N>
  using Uint = std::conditional_t<N == 2, std::uint16_t,
                                  std::conditional_t<N == 4, std::uint32_t, std::uint64_t>>;

  Reader(std::FILE* file, std::filesystem::path path, std::uint64_t size_hint);

  template <class T>
  std::expected<T, ModelError> fixed() {
    T v;
    if (end_ - pos_ >= sizeof(T)) {
      std::memcpy(&v, buffer_ + pos_, sizeof(T));
      pos_ += sizeof(T);
    } else if (auto r = bytes(&v, sizeof(T)); !r) {
      return std::unexpected(std::move(r.error()));
    }
    if constexpr (std::endian::native == std::endian::big) v = std::byteswap(v);
    return v;
  }

  bool fill();  // refills an empty buffer; false at end of file or on error
  ModelError failure() const;

  std::FILE* file_ = nullptr;
  std::filesystem::path path_;
  std::uint64_t size_hint_ = 0;  // file size when known, else 0
  std::uint64_t consumed_ = 0;   // bytes moved into the buffer so far
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
  int error_ = 0;  // errno of the failed read
  char buffer_[kBufferSize];
};

}  // namespace kotori::core
