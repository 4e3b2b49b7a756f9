#pragma once
// The error of model-file and dictionary-file loading, with its fixed display texts.
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

namespace kotori::core {

// The error code a read carries when the file ended before all of its bytes arrived.
std::error_code unexpected_end_of_file();

struct ModelError {
  enum class Kind : std::uint8_t {
    Io,                  // path, io_error
    BadMagic,            // path
    UnsupportedVersion,  // byte
    InvalidFeatureType,  // byte
    InvalidCharType,     // byte
    InvalidUtf8,         // nothing
    Corrupt,             // detail
    DictionaryIo,        // path, io_error
  };

  Kind kind = Kind::Io;
  std::filesystem::path path;
  std::error_code io_error;  // held, not shown
  std::uint8_t byte = 0;
  std::string detail;

  static ModelError io(std::filesystem::path path, std::error_code error);
  static ModelError bad_magic(std::filesystem::path path);
  static ModelError unsupported_version(std::uint8_t version);
  static ModelError invalid_feature_type(std::uint8_t kind);
  static ModelError invalid_char_type(std::uint8_t code);
  static ModelError invalid_utf8();
  static ModelError corrupt(std::string detail);
  static ModelError dictionary_io(std::filesystem::path path, std::error_code error);

  // The message that reaches Python, e.g. "モデルファイルが壊れています: n_nonzero=7 が…".
  std::string display() const;
};

// Count limit shared by every counted list of the file.
inline constexpr std::uint32_t kMaxCount = 50'000'000;

}  // namespace kotori::core
