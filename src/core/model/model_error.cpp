#include "core/model/model_error.h"

#include <utility>

#include "common/utf8.h"

namespace kotori::core {
namespace {

class ModelFileCategory final : public std::error_category {
 public:
  const char* name() const noexcept override { return "model_file"; }
  std::string message(int) const override { return "unexpected end of file"; }
};

// The path as text; bytes that are not UTF-8 become U+FFFD.
std::string lossy_path(const std::filesystem::path& path) {
  const std::string& raw = path.native();
  std::string out;
  out.reserve(raw.size());
  for (std::size_t pos = 0; pos < raw.size();) utf8::append(out, utf8::decode(raw, pos));
  return out;
}

std::string hex2(std::uint8_t b) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[b >> 4], kDigits[b & 0xF]};
}

}  // namespace

std::error_code unexpected_end_of_file() {
  static const ModelFileCategory category;
  return {1, category};
}

ModelError ModelError::io(std::filesystem::path path, std::error_code error) {
  ModelError e;
  e.kind = Kind::Io;
  e.path = std::move(path);
  e.io_error = error;
  return e;
}

ModelError ModelError::bad_magic(std::filesystem::path path) {
  ModelError e;
  e.kind = Kind::BadMagic;
  e.path = std::move(path);
  return e;
}

ModelError ModelError::unsupported_version(std::uint8_t version) {
  ModelError e;
  e.kind = Kind::UnsupportedVersion;
  e.byte = version;
  return e;
}

ModelError ModelError::invalid_feature_type(std::uint8_t kind) {
  ModelError e;
  e.kind = Kind::InvalidFeatureType;
  e.byte = kind;
  return e;
}

ModelError ModelError::invalid_char_type(std::uint8_t code) {
  ModelError e;
  e.kind = Kind::InvalidCharType;
  e.byte = code;
  return e;
}

ModelError ModelError::invalid_utf8() {
  ModelError e;
  e.kind = Kind::InvalidUtf8;
  return e;
}

ModelError ModelError::corrupt(std::string detail) {
  ModelError e;
  e.kind = Kind::Corrupt;
  e.detail = std::move(detail);
  return e;
}

ModelError ModelError::dictionary_io(std::filesystem::path path, std::error_code error) {
  ModelError e;
  e.kind = Kind::DictionaryIo;
  e.path = std::move(path);
  e.io_error = error;
  return e;
}

std::string ModelError::display() const {
  switch (kind) {
    case Kind::Io:
      return "モデルファイルの読み込みに失敗しました: " + lossy_path(path);
    case Kind::BadMagic:
      return "不正なマジックバイト: " + lossy_path(path);
    case Kind::UnsupportedVersion:
      return "未対応のモデルバージョン: " + std::to_string(byte);
    case Kind::InvalidFeatureType:
      return "不正な FeatureType 値: 0x" + hex2(byte);
    case Kind::InvalidCharType:
      return "不正な CharType 値: 0x" + hex2(byte);
    case Kind::InvalidUtf8:
      return "ラベル文字列が UTF-8 として不正です";
    case Kind::Corrupt:
      return "モデルファイルが壊れています: " + detail;
    case Kind::DictionaryIo:
      return "漢字辞書ファイルの読み込みに失敗しました: " + lossy_path(path);
  }
  return {};
}

}  // namespace kotori::core
