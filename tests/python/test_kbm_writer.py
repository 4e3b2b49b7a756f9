"""The .kbm writer: exact layout, its checks, determinism, and files the loader accepts."""
from __future__ import annotations

import struct

import pytest

from kotori_train import kbm
from kotori_train.kbm import FeatureKey, FeatureType


def tiny(**changes) -> kbm.KbmModel:
    fields = dict(
        labels=["ア"],
        features=[],
        class_scale=[1.0],
        csc=kbm.CscWeights.empty(0),
        class_bias=[0.0],
        boundary=kbm.LinearBoundary(weight_scale=1.0, weights=[]),
    )
    fields.update(changes)
    return kbm.KbmModel(**fields)


def test_smallest_file_layout():
    expected = (
        b"KOTO\x06\x00\x00\x00"
        + struct.pack("<II", 1, 0)  # n_classes, n_features
        + b"\x03" + "ア".encode()  # the one label
        + struct.pack("<f", 1.0)  # class scale
        + struct.pack("<II", 0, 0)  # n_nonzero, colptr[0]
        + struct.pack("<f", 0.0)  # class bias
        + b"\x00" + struct.pack("<fff", 1.0, 0.0, 0.0)  # linear boundary
        + struct.pack("<II", 0, 0)  # names, single-character table
    )
    assert kbm.to_bytes(tiny()) == expected
    assert len(expected) == 57


@pytest.mark.parametrize(
    "key, wire",
    [
        (FeatureKey.plain(FeatureType.KANJI_RUN_START), b"\x01"),
        (FeatureKey.types(FeatureType.TYPE_PREV1_CUR, 0x42, 0x40), b"\x60\x42\x40"),
        (FeatureKey.ints(FeatureType.CHAR_PREV1_CUR, 1, 2), b"\xa0" + struct.pack("<II", 1, 2)),
        (FeatureKey.chars(FeatureType.CHAR_PREV3_PREV2_PREV1, "山田太"),
         b"\xb3" + struct.pack("<III", *map(ord, "山田太"))),
        (FeatureKey.byte(FeatureType.NUMERALS_BEFORE_KANJI, 2), b"\xc2\x02"),
    ],
)
def test_key_wire_forms(key, wire):
    assert key.wire() == wire


def test_features_and_vocabulary_are_written_in_stable_key_order():
    a = FeatureKey.ints(FeatureType.CHAR_CUR_NEXT1, 0x10, 0xFFFFFFFF)
    b = FeatureKey.ints(FeatureType.CHAR_CUR_NEXT1, 0x10, 7)
    c = FeatureKey.plain(FeatureType.BIAS)
    shuffled = [kbm.Feature(a, 0), kbm.Feature(b, 1), kbm.Feature(a, 2), kbm.Feature(c, 3)]
    ordered = [shuffled[3], shuffled[1], shuffled[0], shuffled[2]]
    trees = kbm.TreeBoundary(
        1, [kbm.VocabularyEntry(a, 0, 1), kbm.VocabularyEntry(c, 0, 2)], [kbm.Leaf(0.0)]
    )
    common = dict(csc=kbm.CscWeights.empty(4), boundary=trees)
    assert kbm.to_bytes(tiny(features=shuffled, **common)) == kbm.to_bytes(
        tiny(features=ordered, **common)
    )
    unsorted = tiny(features=shuffled, sort_keys=False, **common)
    assert kbm.to_bytes(unsorted) != kbm.to_bytes(tiny(features=ordered, **common))


def test_split_categories_are_written_ascending():
    split = kbm.Split(0, True, [9, 2, 4], kbm.Leaf(1.0), kbm.Leaf(-1.0))
    data = kbm.to_bytes(tiny(boundary=kbm.TreeBoundary(1, [], [split])))
    assert struct.pack("<IIII", 3, 2, 4, 9) in data


def test_numpy_arrays_give_the_same_bytes_as_lists():
    np = pytest.importorskip("numpy")
    model = dict(
        labels=["ア", "イ"],
        features=[kbm.Feature(FeatureKey.chars(FeatureType.CHAR_CUR, "猫"), 0)],
        class_scale=[0.5, 2.0],
        csc=kbm.CscWeights([0, 3], [0, 1, 1], [-128, 127, 5]),
        class_bias=[-1.0, 1.5],
        boundary=kbm.LinearBoundary(0.25, [3]),
    )
    arrays = dict(
        model,
        class_scale=np.array([0.5, 2.0]),
        csc=kbm.CscWeights(np.array([0, 3]), np.array([0, 1, 1]), np.array([-128, 127, 5])),
        class_bias=np.array([-1.0, 1.5], dtype=np.float32),
        boundary=kbm.LinearBoundary(0.25, np.array([3])),
    )
    assert kbm.to_bytes(kbm.KbmModel(**arrays)) == kbm.to_bytes(kbm.KbmModel(**model))


def _chain(depth: int) -> kbm.Node:
    node: kbm.Node = kbm.Leaf(0.0)
    for _ in range(depth):
        node = kbm.Split(0, False, [], node, kbm.Leaf(0.0))
    return node


@pytest.mark.parametrize(
    "changes, message",
    [
        (dict(labels=[], class_scale=[], class_bias=[]), "n_classes=0"),
        (dict(features=[kbm.Feature(FeatureKey(0x02), 0)], csc=kbm.CscWeights.empty(1),
              boundary=kbm.LinearBoundary(1.0, [0])), "feature type 0x02"),
        (dict(features=[kbm.Feature(FeatureKey.types(0x50, 0x12), 0)],
              csc=kbm.CscWeights.empty(1), boundary=kbm.LinearBoundary(1.0, [0])),
         "char type 0x12"),
        (dict(class_bias=[]), "class_bias"),
        (dict(features=[kbm.Feature(FeatureKey.plain(0), 0)], csc=kbm.CscWeights([1, 0], [0], [1]),
              boundary=kbm.LinearBoundary(1.0, [0])), r"colptr\[1\]=0"),
        (dict(csc=kbm.CscWeights([0], [0], [1])), "colptr ends"),
        (dict(csc=kbm.CscWeights([1], [1], [1])), "rowind"),
        (dict(csc=kbm.CscWeights([1], [0], [128])), "weight"),
        (dict(labels=["ア" * 86]), "255"),
        (dict(boundary=kbm.LinearBoundary(1.0, [0])), "linear boundary needs 0"),
        (dict(boundary=kbm.TreeBoundary(65)), "n_cat_columns=65"),
        (dict(boundary=kbm.TreeBoundary(
            1, [kbm.VocabularyEntry(FeatureKey.plain(0), 1, 0)])), "column_index=1"),
        (dict(boundary=kbm.TreeBoundary(
            1, [], [kbm.Split(1, False, [], kbm.Leaf(0), kbm.Leaf(0))])), "split_feature=1"),
        (dict(boundary=kbm.TreeBoundary(1, [], [_chain(257)])), "deeper than 256"),
        (dict(names=[kbm.NameRecord("山", ["ヤ"] * 256)]), "255"),
    ],
)
def test_writer_rejects_what_the_loader_would(changes, message):
    with pytest.raises(kbm.KbmError, match=message):
        kbm.to_bytes(tiny(**changes))


def test_deepest_loadable_tree_is_written_without_recursion():
    data = kbm.to_bytes(tiny(boundary=kbm.TreeBoundary(1, [], [_chain(256)])))
    assert data.count(b"\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00") >= 256


def test_factory_models_are_deterministic(kbm_factory):
    for boundary in ("linear", "trees"):
        first = kbm_factory("a.kbm", boundary=boundary).read_bytes()
        assert kbm_factory("b.kbm", boundary=boundary).read_bytes() == first


# --- the loader accepts what the writer writes ---------------------------------------------


@pytest.fixture
def kotori_py():
    module = pytest.importorskip("kotori_py")
    if not hasattr(module, "Predictor"):
        pytest.skip("kotori_py.Predictor is not built yet")
    return module


@pytest.mark.parametrize("boundary", ["linear", "trees"])
def test_loader_accepts_factory_models(kotori_py, kbm_factory, boundary):
    path = kbm_factory(boundary=boundary, names=[("山田", ["ヤマ", "ダ"])])
    predictor = kotori_py.Predictor(str(path))
    assert predictor.predict("吾輩は猫である").kana == "ワガハイワ ネコデアル"


def test_loader_accepts_the_smallest_file(kotori_py, tmp_path):
    path = kbm.write_kbm(tiny(), tmp_path / "smallest.kbm")
    assert isinstance(kotori_py.Predictor(str(path)), kotori_py.Predictor)


@pytest.mark.parametrize(
    "changes, message",
    [
        (dict(omit_single_char_table=True),
         "モデルファイルが壊れています: 単一文字辞書テーブルがありません"
         "（同テーブル追加前の旧 0x04 ファイルの可能性があります。モデルを再エクスポートしてください）"),
        (dict(version=5), "未対応のモデルバージョン: 5"),
        (dict(csc=kbm.CscWeights([0], [0], [1])),
         "モデルファイルが壊れています: CSC colptr[last]=0 と n_nonzero=1 が一致しません"),
    ],
)
def test_loader_reports_damaged_files_written_unchecked(kotori_py, tmp_path, changes, message):
    path = kbm.write_kbm(tiny(**changes), tmp_path / "damaged.kbm", validate=False)
    with pytest.raises(RuntimeError) as raised:
        kotori_py.Predictor(str(path))
    assert raised.value.args == (message,)
