"""Writes the seed corpus of the load_model fuzzer: small valid .kbm files from the project's
writer (training/kotori_train/kbm.py), plus a few cut or damaged copies of them.

Usage: python3 fuzz/make_model_seeds.py OUT_DIR
"""
from __future__ import annotations

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "training"))

from kotori_train import kbm  # noqa: E402
from kotori_train.kbm import FeatureKey, FeatureType as T  # noqa: E402

CHAR_TYPE_KANJI = 0x20


def _features() -> list[kbm.Feature]:
    keys = [
        FeatureKey.plain(T.BIAS),
        FeatureKey.chars(T.CHAR_CUR, "猫"),
        FeatureKey.chars(T.CHAR_CUR, "吾"),
        FeatureKey.chars(T.CHAR_CUR, "は"),
        FeatureKey.chars(T.UNIT_PAIR, "きょ"),
        FeatureKey.types(T.TYPE_CUR, CHAR_TYPE_KANJI),
        FeatureKey.byte(T.NAME_MARK_CUR, 1),
        FeatureKey.ints(T.KANJI_RUN_LENGTH, 2),
    ]
    return [kbm.Feature(k, j) for j, k in enumerate(keys)]


def _model(boundary: kbm.Boundary, **extra) -> kbm.KbmModel:
    features = _features()
    labels = ["ネコ", "ワガ", "ワ", "キョ", ""]
    columns = {1: [(0, 100)], 2: [(1, 100)], 3: [(2, 60)], 4: [(3, 90)], 0: [(4, 10)]}
    return kbm.KbmModel(
        labels=labels,
        features=features,
        class_scale=[0.1] * len(labels),
        csc=kbm.CscWeights.from_columns(len(features), columns),
        class_bias=[-5.0] * len(labels),
        boundary=boundary,
        names=[kbm.NameRecord("山田", ["ヤマ", "ダ"]), kbm.NameRecord("太郎")],
        single_chars=[kbm.SingleCharRecord("山", ["ヤマ", "サン"]), kbm.SingleCharRecord("1", ["イチ"])],
        **extra,
    )


def _linear() -> kbm.LinearBoundary:
    return kbm.LinearBoundary(weight_scale=0.1, weights=[0, 100, 0, 100, 0, -20, 0, 0], bias=-5.0)


def _trees() -> kbm.TreeBoundary:
    vocabulary = [
        kbm.VocabularyEntry(FeatureKey.chars(T.CHAR_CUR, "猫"), 0, 1),
        kbm.VocabularyEntry(FeatureKey.types(T.TYPE_CUR, CHAR_TYPE_KANJI), 1, 3),
    ]
    tree = kbm.Split(0, False, [1], kbm.Leaf(2.0),
                     kbm.Split(1, True, [2, 3], kbm.Leaf(-1.0), kbm.Leaf(-3.0)))
    return kbm.TreeBoundary(n_cat_columns=2, vocabulary=vocabulary, trees=[tree, kbm.Leaf(0.5)])


def main(out_dir: str) -> None:
    out = Path(out_dir)
    out.mkdir(parents=True, exist_ok=True)
    seeds = {
        "linear.kbm": kbm.to_bytes(_model(_linear())),
        "trees.kbm": kbm.to_bytes(_model(_trees())),
        "no_single_char_table.kbm": kbm.to_bytes(_model(_linear(), omit_single_char_table=True)),
    }
    whole = seeds["trees.kbm"]
    seeds["cut_half.kbm"] = whole[: len(whole) // 2]
    seeds["header_only.kbm"] = whole[:16]
    seeds["bad_version.kbm"] = whole[:4] + b"\x05" + whole[5:]
    for name, data in seeds.items():
        (out / name).write_bytes(data)


if __name__ == "__main__":
    main(sys.argv[1])
