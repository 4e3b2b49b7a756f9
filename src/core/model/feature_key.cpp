#include "core/model/feature_key.h"

#include "core/char_type.h"
#include "core/model/reader.h"

namespace kotori::core {

bool is_valid_feature_type(std::uint8_t kind) {
  switch (kind >> 4) {
    case 0x0:
      return kind <= 0x01;
    case 0x5:
    case 0x9:
    case 0xA:
      return (kind & 0xF) <= 0x6;
    case 0x6:
      return kind == 0x60;
    case 0x7:
      return (kind & 0xF) <= 0x4;
    case 0xB:
    case 0xC:
      return (kind & 0xF) <= 0x5;
    default:
      return false;
  }
}

std::size_t wire_size(const FeatureKey& key) {
  switch (feature_arg_kind(key.kind)) {
    case FeatureArgKind::None:
      return 1;
    case FeatureArgKind::CharTypes:
      return 1 + feature_arg_count(key.kind);
    case FeatureArgKind::Ints:
      return 1 + 4 * feature_arg_count(key.kind);
    case FeatureArgKind::Byte:
      return 2;
  }
  return 1;
}

void append_wire(const FeatureKey& key, std::string& out) {
  out.push_back(static_cast<char>(key.kind));
  const unsigned n = feature_arg_count(key.kind);
  switch (feature_arg_kind(key.kind)) {
    case FeatureArgKind::None:
      break;
    case FeatureArgKind::CharTypes:
      for (unsigned i = 0; i < n; ++i) out.push_back(static_cast<char>(key.char_types[i]));
      break;
    case FeatureArgKind::Ints:
      for (unsigned i = 0; i < n; ++i) {
        for (int shift = 0; shift < 32; shift += 8) {
          out.push_back(static_cast<char>((key.int_args[i] >> shift) & 0xFF));
        }
      }
      break;
    case FeatureArgKind::Byte:
      out.push_back(static_cast<char>(key.byte_arg));
      break;
  }
}

std::expected<FeatureKey, ModelError> read_feature_key(Reader& reader) {
  auto kind = reader.u8();
  if (!kind) return std::unexpected(std::move(kind.error()));
  if (!is_valid_feature_type(*kind)) {
    return std::unexpected(ModelError::invalid_feature_type(*kind));
  }
  FeatureKey key{.kind = *kind};
  const unsigned n = feature_arg_count(key.kind);
  switch (feature_arg_kind(key.kind)) {
    case FeatureArgKind::None:
      break;
    case FeatureArgKind::CharTypes:
      for (unsigned i = 0; i < n; ++i) {
        auto t = reader.u8();
        if (!t) return std::unexpected(std::move(t.error()));
        if (!is_valid_char_type(*t)) return std::unexpected(ModelError::invalid_char_type(*t));
        key.char_types[i] = *t;
      }
      break;
    case FeatureArgKind::Ints:
      for (unsigned i = 0; i < n; ++i) {
        auto v = reader.u32();
        if (!v) return std::unexpected(std::move(v.error()));
        key.int_args[i] = *v;
      }
      break;
    case FeatureArgKind::Byte: {
      auto b = reader.u8();
      if (!b) return std::unexpected(std::move(b.error()));
      key.byte_arg = *b;
      break;
    }
  }
  return key;
}

}  // namespace kotori::core
