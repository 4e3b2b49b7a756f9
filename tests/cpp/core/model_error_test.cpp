// ModelError display texts.
#include <gtest/gtest.h>

#include <string>

#include "core/model/model_error.h"

namespace kotori::core {
namespace {

TEST(ModelError, DisplayTexts) {
  const std::error_code ec = std::make_error_code(std::errc::io_error);
  const std::pair<ModelError, std::string> cases[] = {
      {ModelError::io("dir/m.kbm", ec), "モデルファイルの読み込みに失敗しました: dir/m.kbm"},
      {ModelError::bad_magic("m.kbm"), "不正なマジックバイト: m.kbm"},
      {ModelError::unsupported_version(255), "未対応のモデルバージョン: 255"},
      {ModelError::invalid_feature_type(0x0A), "不正な FeatureType 値: 0x0A"},
      {ModelError::invalid_char_type(0xFE), "不正な CharType 値: 0xFE"},
      {ModelError::invalid_utf8(), "ラベル文字列が UTF-8 として不正です"},
      {ModelError::corrupt("x"), "モデルファイルが壊れています: x"},
      {ModelError::dictionary_io("辞書.tsv", ec),
       "漢字辞書ファイルの読み込みに失敗しました: 辞書.tsv"},
  };
  for (const auto& [error, text] : cases) EXPECT_EQ(error.display(), text);
}

TEST(ModelError, PathBytesThatAreNotUtf8ShowAsReplacementCharacters) {
  const ModelError e = ModelError::bad_magic(std::filesystem::path("a\xFF\xFE" "b.kbm"));
  EXPECT_EQ(e.display(), "不正なマジックバイト: a\uFFFD\uFFFDb.kbm");
}

TEST(ModelError, KeepsTheUnderlyingIoError) {
  const auto e = ModelError::io("m", std::make_error_code(std::errc::permission_denied));
  EXPECT_EQ(e.io_error, std::errc::permission_denied);
  EXPECT_NE(unexpected_end_of_file(), std::error_code());
}

}  // namespace
}  // namespace kotori::core
