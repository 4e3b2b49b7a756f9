// Loading whole model files: contents, the key order, and every corrupt-file message.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "core/model/model.h"
#include "model_file_builder.h"

namespace kotori::core {
namespace {

using testing::base_parts;
using testing::Bytes;
using testing::corrupt;
using testing::header;
using testing::load_message;
using testing::Parts;
using testing::write_temp;

TEST(ModelLoad, ReadsEverySectionOfAValidFile) {
  const auto path = write_temp("valid.kbm", base_parts().bytes() + "trailing bytes are ignored");
  auto model = load_model(path);
  ASSERT_TRUE(model) << model.error().display();
  EXPECT_EQ(model->n_classes, 3u);
  EXPECT_EQ(model->n_features, 2u);
  EXPECT_EQ(model->labels, (std::vector<std::string>{"ア", "イ", ""}));
  EXPECT_EQ(model->class_scale, (std::vector<float>{0.5f, 1.0f, 2.0f}));
  EXPECT_EQ(model->colptr, (std::vector<std::uint32_t>{0, 2, 3}));
  EXPECT_EQ(model->rowind, (std::vector<std::uint16_t>{0, 2, 1}));
  EXPECT_EQ(model->weights, (std::vector<std::int8_t>{127, -128, 5}));
  EXPECT_EQ(model->class_bias, (std::vector<float>{-1.0f, 0.0f, 1.5f}));

  // The table is sorted by key: kind 0x50 before 0x90.
  ASSERT_EQ(model->features.size(), 2u);
  EXPECT_EQ(model->features[0].key, feature_key_types(FeatureType::TypeCur, 0x42));
  EXPECT_EQ(model->features[0].column, 0u);
  EXPECT_EQ(model->column_of(feature_key_ints(FeatureType::CharCur, U'漢')), 1u);
  EXPECT_EQ(model->column_of(feature_key_ints(FeatureType::CharCur, U'字')), std::nullopt);

  const auto* linear = std::get_if<LinearBoundary>(&model->boundary_model.form);
  ASSERT_NE(linear, nullptr);
  EXPECT_EQ(linear->weight_scale, 0.25f);
  EXPECT_EQ(linear->weights, (std::vector<std::int8_t>{3, -3}));
  EXPECT_EQ(linear->spare, 9.0f);
  EXPECT_EQ(linear->bias, -0.5f);

  ASSERT_EQ(model->name_dictionary.candidates(U'山').size(), 1u);
  const auto* readings = model->single_char_table.lookup(U'漢');
  ASSERT_NE(readings, nullptr);
  EXPECT_EQ(*readings, (std::vector<std::string>{"カン", "ケン"}));
}

TEST(ModelLoad, SmallestLoadableFileHas57Bytes) {
  const std::string bytes = Bytes()
                                .raw(header(1, 0))
                                .str("ア")
                                .f32(1.0f)
                                .u32(0)  // n_nonzero
                                .u32(0)  // colptr
                                .f32(0.0f)
                                .u8(0)  // linear boundary
                                .f32(1.0f)
                                .f32(0.0f)
                                .f32(0.0f)
                                .u32(0)   // names
                                .u32(0);  // single-character table
  ASSERT_EQ(bytes.size(), 57u);
  EXPECT_EQ(load_message(write_temp("smallest.kbm", bytes)), "ok");
}

TEST(ModelLoad, StableSortFindsTheLaterOfTwoEqualKeys) {
  Parts p = base_parts();
  p.header = header(3, 4);
  const FeatureKey a = feature_key_ints(FeatureType::CharCurNext1, 0x10, 0xFFFFFFFF);
  const FeatureKey b = feature_key_ints(FeatureType::CharCurNext1, 0x10, 0x7);
  p.features = Bytes().key(a).u32(0).key(b).u32(1).key(a).u32(2).key(b).u32(3);
  p.csc = Bytes().u32(0).u32s({0, 0, 0, 0, 0});
  p.weights = "";
  p.boundary = Bytes().u8(0).f32(1.0f).u32(0).f32(0.0f).f32(0.0f);
  auto model = load_model(write_temp("dup.kbm", p.bytes()));
  ASSERT_TRUE(model) << model.error().display();
  ASSERT_EQ(model->features.size(), 4u);
  // Unsigned comparison of int_args[1]: 7 before 0xFFFFFFFF; equal keys keep file order.
  std::vector<std::uint32_t> columns;
  for (const auto& f : model->features) columns.push_back(f.column);
  EXPECT_EQ(columns, (std::vector<std::uint32_t>{1, 3, 0, 2}));
  EXPECT_EQ(model->column_of(a), 2u);
  EXPECT_EQ(model->column_of(b), 3u);
}

TEST(ModelLoad, ColumnsAndColptrEdgesThatLoad) {
  struct Case {
    const char* name;
    std::uint32_t n_features;
    std::string csc;
    std::string weights;
  };
  const std::vector<Case> cases = {
      {"no entries", 2, Bytes().u32(0).u32s({0, 0, 0}), ""},
      {"entries before colptr[0] are unused", 2, Bytes().u32(5).u32s({2, 2, 5}).raw(
          std::string(10, '\0')), std::string(5, '\1')},
  };
  for (const Case& c : cases) {
    Parts p = base_parts();
    p.header = header(3, c.n_features);
    p.csc = c.csc;
    p.weights = c.weights;
    EXPECT_EQ(load_message(write_temp("edges.kbm", p.bytes())), "ok") << c.name;
  }
}

TEST(ModelLoad, ClassCountAtTheU16LimitLoads) {
  Parts p = base_parts();
  p.header = header(65536, 2);
  p.labels = std::string(65536, '\0');
  p.scales = std::string(65536 * 4, '\0');
  p.biases = std::string(65536 * 4, '\0');
  p.csc = Bytes().u32(1).u32s({0, 0, 1}).u16(65535);
  p.weights = "\x01";
  auto model = load_model(write_temp("wide.kbm", p.bytes()));
  ASSERT_TRUE(model) << model.error().display();
  EXPECT_EQ(model->labels.size(), 65536u);
}

// Each case damages one part of the base model; the first failing check gives the message.
struct CorruptCase {
  const char* name;
  std::function<void(Parts&)> damage;
  std::string message;  // "{path}" stands for the file's path
};

std::vector<CorruptCase> corrupt_cases() {
  const std::string kIo = "モデルファイルの読み込みに失敗しました: {path}";
  const std::string kUtf8 = "ラベル文字列が UTF-8 として不正です";
  // A tree section with n_cat_columns 2 and one vocabulary entry; `trees` follows it.
  const auto trees = [](std::string body) {
    return Bytes()
        .u8(1)
        .u32(2)
        .u32(1)
        .key(feature_key(FeatureType::Bias))
        .u32(0)
        .u32(0)
        .raw(body)
        .str();
  };
  const auto chain = [](int splits) {
    Bytes b;
    b.u32(1);
    for (int i = 0; i < splits; ++i) b.u8(1).u32(0).u8(0).u32(0);
    for (int i = 0; i <= splits; ++i) b.u8(0).f32(0.0f);
    return b.str();
  };
  return {
      {"bad magic", [](Parts& p) { p.header[3] = 'X'; }, "不正なマジックバイト: {path}"},
      {"version 4", [](Parts& p) { p.header = header(3, 2, 4); }, "未対応のモデルバージョン: 4"},
      {"version 5", [](Parts& p) { p.header = header(3, 2, 5); }, "未対応のモデルバージョン: 5"},
      {"version 7", [](Parts& p) { p.header = header(3, 2, 7); }, "未対応のモデルバージョン: 7"},
      {"zero classes before oversized features",
       [](Parts& p) { p.header = header(0, 60000000); },
       corrupt("n_classes が 0 です（読みラベルが1つも無いモデルは不正）")},
      {"too many classes for the count limit", [](Parts& p) { p.header = header(60000000, 2); },
       corrupt("n_classes=60000000 または n_features=2 が大きすぎます（上限 50000000）")},
      {"too many features", [](Parts& p) { p.header = header(3, 50000001); },
       corrupt("n_classes=3 または n_features=50000001 が大きすぎます（上限 50000000）")},
      {"classes beyond u16", [](Parts& p) { p.header = header(65537, 2); },
       corrupt("n_classes=65537 が上限 65536 を超えています（CSC 行インデックスが u16 のため）")},
      {"feature type 0x02", [](Parts& p) { p.features[0] = '\x02'; },
       "不正な FeatureType 値: 0x02"},
      {"feature type 0xB6", [](Parts& p) { p.features[0] = '\xB6'; },
       "不正な FeatureType 値: 0xB6"},
      {"feature type 0x80 (u32 group without arguments)", [](Parts& p) { p.features[0] = '\x80'; },
       "不正な FeatureType 値: 0x80"},
      {"char type 0x12", [](Parts& p) { p.features[10] = '\x12'; }, "不正な CharType 値: 0x12"},
      {"label with a bad byte", [](Parts& p) { p.labels = Bytes().str("\xFF").str("").str(""); },
       kUtf8},
      {"overlong label", [](Parts& p) { p.labels = Bytes().str("\xC0\x80").str("").str(""); },
       kUtf8},
      {"surrogate label", [](Parts& p) { p.labels = Bytes().str("\xED\xA0\x80").str("").str(""); },
       kUtf8},
      {"truncated sequence in a label",
       [](Parts& p) { p.labels = Bytes().str("\xE3\x82").str("").str(""); },
       kUtf8},
      {"n_nonzero above the limit", [](Parts& p) { p.csc = Bytes().u32(50000001); },
       corrupt("n_nonzero=50000001 が大きすぎます（上限 50000000）")},
      {"colptr decreasing",
       [](Parts& p) {
         p.header = header(3, 3);
         p.features += Bytes().key(feature_key(FeatureType::Bias)).u32(2).str();
         p.csc = Bytes().u32(5).u32s({0, 3, 2, 5});
       },
       corrupt("CSC colptr[2]=2 が不正です（直前の値=3, n_nonzero=5）")},
      {"colptr[0] above n_nonzero", [](Parts& p) { p.csc = Bytes().u32(5).u32s({7, 7, 7}); },
       corrupt("CSC colptr[0]=7 が不正です（直前の値=0, n_nonzero=5）")},
      {"last colptr short of n_nonzero", [](Parts& p) { p.csc = Bytes().u32(5).u32s({0, 2, 4}); },
       corrupt("CSC colptr[last]=4 と n_nonzero=5 が一致しません")},
      {"row index equal to n_classes",
       [](Parts& p) { p.csc = Bytes().u32(3).u32s({0, 2, 3}).u16(0).u16(3).u16(7); },
       corrupt("CSC rowind に不正なクラスID 3 があります（n_classes=3）")},
      {"algo_tag 2", [](Parts& p) { p.boundary = "\x02"; },
       corrupt("未知の境界モデル algo_tag です: 0x02")},
      {"algo_tag 0xFF", [](Parts& p) { p.boundary = "\xFF"; },
       corrupt("未知の境界モデル algo_tag です: 0xFF")},
      {"vocabulary count reported before column count",
       [](Parts& p) { p.boundary = Bytes().u8(1).u32(65).u32(50000001); },
       corrupt("境界モデルのカテゴリカル語彙エントリ数=50000001が大きすぎます（上限 50000000）")},
      {"65 categorical columns", [](Parts& p) { p.boundary = Bytes().u8(1).u32(65).u32(0); },
       corrupt("境界モデルのカテゴリカル列数=65が上限 64 を超えています")},
      {"vocabulary key with a bad type",
       [](Parts& p) { p.boundary = Bytes().u8(1).u32(2).u32(1).u8(0x03); },
       "不正な FeatureType 値: 0x03"},
      {"vocabulary key with a bad char type",
       [](Parts& p) { p.boundary = Bytes().u8(1).u32(2).u32(1).u8(0x50).u8(0x21); },
       "不正な CharType 値: 0x21"},
      {"column_index equal to n_cat_columns",
       [](Parts& p) {
         p.boundary = Bytes().u8(1).u32(2).u32(1).key(feature_key(FeatureType::Bias)).u32(2).u32(0);
       },
       corrupt("境界モデルのcolumn_index=2がn_cat_columns=2以上です")},
      {"n_trees above the limit", [&](Parts& p) { p.boundary = trees(Bytes().u32(50000001)); },
       corrupt("境界モデルのn_trees=50000001が大きすぎます（上限 50000000）")},
      {"node at depth 257", [&](Parts& p) { p.boundary = trees(chain(257)); },
       corrupt("境界モデルの木が深すぎます（上限 256）。壊れたファイルの可能性があります。")},
      {"node_tag 2", [&](Parts& p) { p.boundary = trees(Bytes().u32(1).u8(2)); },
       corrupt("境界モデルの木の node_tag が不正です: 2")},
      {"split_feature equal to n_cat_columns",
       [&](Parts& p) { p.boundary = trees(Bytes().u32(1).u8(1).u32(2)); },
       corrupt("境界モデルのsplit_feature=2がn_cat_columns=2以上です")},
      {"n_cats above the limit",
       [&](Parts& p) { p.boundary = trees(Bytes().u32(1).u8(1).u32(1).u8(1).u32(50000001)); },
       corrupt("境界モデルのn_cats=50000001が大きすぎます（上限 50000000）")},
      {"n_names above the limit", [](Parts& p) { p.names = Bytes().u32(50000001); },
       corrupt("n_names=50000001 が大きすぎます（上限 50000000）")},
      {"name surface not UTF-8", [](Parts& p) { p.names = Bytes().u32(1).str("\x80").u8(0); },
       kUtf8},
      {"name reading not UTF-8",
       [](Parts& p) { p.names = Bytes().u32(1).str("山").strs({"\xF5\x80\x80\x80"}); }, kUtf8},
      {"file ends after the name dictionary", [](Parts& p) { p.single = ""; },
       corrupt("単一文字辞書テーブルがありません（同テーブル追加前の旧 0x04 "
               "ファイルの可能性があります。モデルを再エクスポートしてください）")},
      {"file ends inside the table count", [](Parts& p) { p.single = "\x01\x00"; },
       corrupt("単一文字辞書テーブルがありません（同テーブル追加前の旧 0x04 "
               "ファイルの可能性があります。モデルを再エクスポートしてください）")},
      {"n_entries above the limit", [](Parts& p) { p.single = Bytes().u32(50000001); },
       corrupt("単一文字辞書の n_entries=50000001 が大きすぎます（上限 50000000）")},
      {"table key not UTF-8", [](Parts& p) { p.single = Bytes().u32(1).str("\xE6\xBC").u8(0); },
       kUtf8},
      {"table ends inside a record", [](Parts& p) { p.single = Bytes().u32(2).str("漢").u8(1); },
       kIo},
      {"empty file", [](Parts& p) { p = Parts{}; }, kIo},
      {"three bytes", [](Parts& p) { p = Parts{}; p.header = "KOT"; }, kIo},
  };
}

std::string replace_path(std::string message, const std::filesystem::path& path) {
  const std::string placeholder = "{path}";
  if (auto at = message.find(placeholder); at != std::string::npos) {
    message.replace(at, placeholder.size(), path.string());
  }
  return message;
}

TEST(ModelLoad, EveryCorruptFileGivesItsMessage) {
  for (const CorruptCase& c : corrupt_cases()) {
    Parts p = base_parts();
    c.damage(p);
    const auto path = write_temp("corrupt.kbm", p.bytes());
    EXPECT_EQ(load_message(path), replace_path(c.message, path)) << c.name;
  }
}

TEST(ModelLoad, ReservedBytesMayHoldAnything) {
  Parts p = base_parts();
  p.header.replace(5, 3, "\xFF\x00\xAB", 3);
  EXPECT_EQ(load_message(write_temp("reserved.kbm", p.bytes())), "ok");
}

// Every proper prefix of a valid file fails: Io everywhere except inside the
// single-character table's count, which reports the missing table.
TEST(ModelLoad, EveryTruncationFailsCleanly) {
  for (const bool trees : {false, true}) {
    Parts p = base_parts();
    if (trees) p.boundary = testing::tree_boundary();
    const std::string bytes = p.bytes();
    ASSERT_EQ(load_message(write_temp("full.kbm", bytes)), "ok");
    const std::size_t names_end = p.names_end();
    for (std::size_t n = 0; n < bytes.size(); ++n) {
      const auto path = write_temp("cut.kbm", std::string_view(bytes).substr(0, n));
      auto model = load_model(path);
      ASSERT_FALSE(model) << "prefix " << n;
      const bool in_count = n >= names_end && n < names_end + 4;
      EXPECT_EQ(model.error().kind, in_count ? ModelError::Kind::Corrupt : ModelError::Kind::Io)
          << "prefix " << n << " of " << bytes.size() << ": " << model.error().display();
    }
  }
}

TEST(ModelLoad, UnreadablePathsAreIoErrors) {
  const std::filesystem::path missing = std::filesystem::path(::testing::TempDir()) / "none.kbm";
  std::filesystem::remove(missing);
  EXPECT_EQ(load_message(missing), "モデルファイルの読み込みに失敗しました: " + missing.string());
  EXPECT_EQ(load_model(missing).error().kind, ModelError::Kind::Io);
  const std::filesystem::path dir(::testing::TempDir());
  EXPECT_EQ(load_model(dir).error().kind, ModelError::Kind::Io);
}

}  // namespace
}  // namespace kotori::core
