#include "core/model/reader.h"

#include <cerrno>
#include <utility>

#include "common/utf8.h"

namespace kotori::core {

bool is_valid_utf8(std::string_view s) {
  // The shared decoder turns every malformed sequence into U+FFFD consuming one byte; a
  // genuine U+FFFD consumes three.
  for (std::size_t pos = 0; pos < s.size();) {
    const std::size_t start = pos;
    if (utf8::decode(s, pos) == utf8::kReplacement && pos - start != 3) return false;
  }
  return true;
}

std::expected<Reader, ModelError> Reader::open(const std::filesystem::path& path) {
  if (path.native().find('\0') != std::string::npos) {
    return std::unexpected(
        ModelError::io(path, std::make_error_code(std::errc::invalid_argument)));
  }
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    const int err = errno != 0 ? errno : EIO;
    return std::unexpected(ModelError::io(path, std::error_code(err, std::generic_category())));
  }
  // Our own buffer is the only one.
  std::setvbuf(file, nullptr, _IONBF, 0);
  std::error_code ec;
  std::uint64_t size = 0;
  if (std::filesystem::is_regular_file(path, ec)) {
    size = std::filesystem::file_size(path, ec);
    if (ec) size = 0;
  }
  return Reader(file, path, size);
}

Reader::Reader(std::FILE* file, std::filesystem::path path, std::uint64_t size_hint)
    : file_(file), path_(std::move(path)), size_hint_(size_hint) {}

Reader::Reader(Reader&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)),
      path_(std::move(other.path_)),
      size_hint_(other.size_hint_),
      consumed_(other.consumed_),
      pos_(other.pos_),
      end_(other.end_),
      eof_(other.eof_),
      error_(other.error_) {
  std::memcpy(buffer_, other.buffer_, end_);
}

Reader::~Reader() {
  if (file_ != nullptr) std::fclose(file_);
}

bool Reader::fill() {
  for (;;) {
    errno = 0;
    const std::size_t n = std::fread(buffer_, 1, kBufferSize, file_);
    if (n > 0) {
      pos_ = 0;
      end_ = n;
      consumed_ += n;
      return true;
    }
    if (std::ferror(file_) && errno == EINTR) {
      std::clearerr(file_);
      continue;
    }
    eof_ = !std::ferror(file_);
    error_ = eof_ ? 0 : (errno != 0 ? errno : EIO);
    return false;
  }
}

ModelError Reader::failure() const {
  return ModelError::io(path_, eof_ ? unexpected_end_of_file()
                                    : std::error_code(error_, std::generic_category()));
}

std::expected<void, ModelError> Reader::bytes(void* dst, std::size_t n) {
  auto* out = static_cast<char*>(dst);
  while (n > 0) {
    if (pos_ == end_ && !fill()) return std::unexpected(failure());
    const std::size_t take = std::min(n, end_ - pos_);
    std::memcpy(out, buffer_ + pos_, take);
    pos_ += take;
    out += take;
    n -= take;
  }
  return {};
}

std::expected<std::string, ModelError> Reader::string() {
  auto len = u8();
  if (!len) return std::unexpected(std::move(len.error()));
  std::string s(*len, '\0');
  if (auto r = bytes(s.data(), s.size()); !r) return std::unexpected(std::move(r.error()));
  if (!is_valid_utf8(s)) return std::unexpected(ModelError::invalid_utf8());
  return s;
}

std::size_t Reader::reserve_hint(std::uint64_t count, std::size_t min_item_bytes,
                                 std::uint64_t max_items) const {
  constexpr std::uint64_t kUnknownSizeCap = 1u << 16;
  std::uint64_t cap = kUnknownSizeCap;
  if (size_hint_ > 0) {
    const std::uint64_t position = consumed_ - (end_ - pos_);
    const std::uint64_t left = size_hint_ > position ? size_hint_ - position : 0;
    cap = std::min(max_items, left / (min_item_bytes == 0 ? 1 : min_item_bytes));
  }
  return static_cast<std::size_t>(std::min(count, cap));
}

}  // namespace kotori::core
