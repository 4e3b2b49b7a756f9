#pragma once
// Builds .kbm bytes in tests, section by section, so each case can damage exactly one part.
#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/feature_key.h"
#include "core/model/model.h"

namespace kotori::core::testing {

// Little-endian byte string builder.
class Bytes {
 public:
  Bytes& u8(std::uint8_t v) {
    data_.push_back(static_cast<char>(v));
    return *this;
  }
  Bytes& u16(std::uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
  Bytes& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  Bytes& f32(float v) { return u32(std::bit_cast<std::uint32_t>(v)); }
  Bytes& raw(std::string_view s) {
    data_.append(s);
    return *this;
  }
  // u8 length + bytes.
  Bytes& str(std::string_view s) { return u8(static_cast<std::uint8_t>(s.size())).raw(s); }
  // u8 count + strings.
  Bytes& strs(std::initializer_list<std::string_view> items) {
    u8(static_cast<std::uint8_t>(items.size()));
    for (std::string_view s : items) str(s);
    return *this;
  }
  Bytes& key(const FeatureKey& k) {
    append_wire(k, data_);
    return *this;
  }
  Bytes& u32s(std::initializer_list<std::uint32_t> values) {
    for (std::uint32_t v : values) u32(v);
    return *this;
  }
  operator std::string() const { return data_; }
  const std::string& str() const { return data_; }

 private:
  std::string data_;
};

inline std::string header(std::uint32_t n_classes, std::uint32_t n_features,
                          std::uint8_t version = 6) {
  return Bytes().raw("KOTO").u8(version).raw("\x01\x02\x03").u32(n_classes).u32(n_features);
}

// The sections of one file in order. `base_parts` is a small valid model that each test
// case changes in one place.
struct Parts {
  std::string header, features, labels, scales, csc, weights, biases, boundary, names, single;

  std::vector<const std::string*> sections() const {
    return {&header, &features, &labels, &scales,   &csc,
            &weights, &biases,  &boundary, &names, &single};
  }
  std::string bytes() const {
    std::string out;
    for (const std::string* s : sections()) out += *s;
    return out;
  }
  // Offset where the name dictionary ends and the single-character table starts.
  std::size_t names_end() const { return bytes().size() - single.size(); }
};

// Three classes (ア, イ, the empty label), two features, a linear boundary, one name, one
// single-character entry.
inline Parts base_parts() {
  Parts p;
  p.header = header(3, 2);
  p.features = Bytes()
                   .key(feature_key_ints(FeatureType::CharCur, U'漢'))
                   .u32(1)
                   .key(feature_key_types(FeatureType::TypeCur, 0x42))
                   .u32(0);
  p.labels = Bytes().str("ア").str("イ").str("");
  p.scales = Bytes().f32(0.5f).f32(1.0f).f32(2.0f);
  p.csc = Bytes().u32(3).u32s({0, 2, 3}).u16(0).u16(2).u16(1);
  p.weights = Bytes().u8(0x7F).u8(0x80).u8(5);
  p.biases = Bytes().f32(-1.0f).f32(0.0f).f32(1.5f);
  p.boundary = Bytes().u8(0).f32(0.25f).u8(3).u8(0xFD).f32(9.0f).f32(-0.5f);
  p.names = Bytes().u32(1).str("山田").strs({"ヤマ", "ダ"});
  p.single = Bytes().u32(1).str("漢").strs({"カン", "ケン"});
  return p;
}

// A tree-form boundary over two categorical columns: one split then two leaves.
inline std::string tree_boundary() {
  return Bytes()
      .u8(1)
      .u32(2)  // n_cat_columns
      .u32(1)  // vocabulary
      .key(feature_key_ints(FeatureType::CharCur, U'漢'))
      .u32(1)
      .u32(7)
      .u32(1)  // n_trees
      .u8(1)
      .u32(1)
      .u8(1)
      .u32(2)
      .u32s({3, 7})
      .u8(0)
      .f32(1.0f)
      .u8(0)
      .f32(-1.0f);
}

// Writes `bytes` to a fresh file under the test temp directory.
// CTest runs tests as processes side by side, so each process writes files of its own.
inline std::filesystem::path write_temp(std::string_view name, std::string_view bytes) {
  const std::filesystem::path path = std::filesystem::path(::testing::TempDir()) /
                                     (std::to_string(::getpid()) + "_" + std::string(name));
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

// The display text of the load error, or "ok".
inline std::string load_message(const std::filesystem::path& path) {
  auto model = load_model(path);
  return model ? std::string("ok") : model.error().display();
}

inline std::string corrupt(std::string_view detail) {
  return "モデルファイルが壊れています: " + std::string(detail);
}

}  // namespace kotori::core::testing
