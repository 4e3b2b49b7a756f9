#pragma once
// Helpers shared by the fuzz targets: a per-process scratch file, UTF-8 repair and a failure
// that libFuzzer reports with the input that caused it.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/utf8.h"

namespace kotori::fuzz {

// Stops the run with a message; libFuzzer saves the input as a crash.
[[noreturn]] inline void fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

inline void check(bool ok, const char* what) {
  if (!ok) fail(what);
}

// A file of this process that each input overwrites.
inline const std::filesystem::path& scratch_file(const char* suffix) {
  static const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("kotori_fuzz_" + std::to_string(::getpid()) + suffix);
  return path;
}

inline void write_file(const std::filesystem::path& path, const std::uint8_t* data,
                       std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) fail("cannot write the scratch file");
  if (size && std::fwrite(data, 1, size, f) != size) fail("short write to the scratch file");
  std::fclose(f);
}

// The bytes as well-formed UTF-8: every malformed byte becomes U+FFFD.
inline std::string repaired_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + 8);
  for (std::size_t pos = 0; pos < bytes.size();) utf8::append(out, utf8::decode(bytes, pos));
  return out;
}

// Characters the decoder reads from any bytes (a malformed byte counts as one).
inline std::size_t decoded_length(std::string_view s) {
  std::size_t n = 0;
  for (std::size_t pos = 0; pos < s.size(); ++n) utf8::decode(s, pos);
  return n;
}

}  // namespace kotori::fuzz
