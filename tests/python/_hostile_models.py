"""Model files for the robustness tests, written with the project's one .kbm writer."""
from __future__ import annotations

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "training"))

from kotori_train import kbm  # noqa: E402
from kotori_train.kbm import FeatureKey, FeatureType  # noqa: E402

#: Units with a vote of their own in `small_model`, and the label each reads as.
READINGS = {"吾": "ワガ", "輩": "ハイ", "猫": "ネコ", "名": "ナ", "前": "マエ", "無": "ナ"}


def small_model(path: Path) -> Path:
    """A few kanji with readings, word boundaries after some of them, a name and a
    single-character table."""
    labels = list(dict.fromkeys(READINGS.values())) + [""]
    keys = [FeatureKey.chars(FeatureType.CHAR_CUR, c) for c in READINGS]
    columns = {j: [(labels.index(r), 100)] for j, r in enumerate(READINGS.values())}
    boundary = [100 if c in "輩猫前" else 0 for c in READINGS]
    model = kbm.KbmModel(
        labels=labels,
        features=[kbm.Feature(k, j) for j, k in enumerate(keys)],
        class_scale=[0.1] * len(labels),
        csc=kbm.CscWeights.from_columns(len(keys), columns),
        class_bias=[-5.0] * len(labels),
        boundary=kbm.LinearBoundary(weight_scale=0.1, weights=boundary, bias=-5.0),
        names=[kbm.NameRecord("山田", ["ヤマ", "ダ"])],
        single_chars=[kbm.SingleCharRecord("山", ["ヤマ", "サン"])],
    )
    return kbm.write_kbm(model, path)


def widest_model(path: Path, longest: str) -> Path:
    """65 536 classes; 猫 votes for the last one, whose label is `longest`."""
    n = kbm.MAX_CLASSES
    labels = ["イ"] * (n - 1) + [longest]
    model = kbm.KbmModel(
        labels=labels,
        features=[kbm.Feature(FeatureKey.chars(FeatureType.CHAR_CUR, "猫"), 0)],
        class_scale=[1.0] * n,
        csc=kbm.CscWeights([0, 1], [n - 1], [100]),
        class_bias=[0.0] + [-1.0] * (n - 1),
        boundary=kbm.LinearBoundary(weight_scale=0.0, weights=[0], bias=-5.0),
    )
    return kbm.write_kbm(model, path)


def deep_tree_model(path: Path, depth: int) -> Path:
    """A boundary tree whose splits on the category of 猫 reach `depth`; its deepest leaf
    puts a boundary after 猫, every other leaf keeps the units together."""
    node: kbm.Node = kbm.Leaf(10.0)
    for _ in range(depth):
        node = kbm.Split(0, False, [7], node, kbm.Leaf(-10.0))
    vocabulary = [kbm.VocabularyEntry(FeatureKey.chars(FeatureType.CHAR_CUR, "猫"), 0, 7)]
    model = kbm.KbmModel(
        labels=["ネコ", ""],
        features=[kbm.Feature(FeatureKey.chars(FeatureType.CHAR_CUR, "猫"), 0)],
        class_scale=[0.1, 0.1],
        csc=kbm.CscWeights([0, 1], [0], [100]),
        class_bias=[-5.0, -5.0],
        boundary=kbm.TreeBoundary(n_cat_columns=1, vocabulary=vocabulary, trees=[node]),
    )
    # Depths above the format's limit are written unchecked, to see the loader refuse them.
    return kbm.write_kbm(model, path, validate=depth <= kbm.MAX_TREE_DEPTH)
