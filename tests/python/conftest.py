"""Shared fixtures: small, complete model files written at test time with the .kbm writer."""
from __future__ import annotations

import sys
from pathlib import Path
from typing import Iterable, Mapping, Sequence

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "training"))

from kotori_train import kbm  # noqa: E402
from kotori_train.kbm import FeatureKey, FeatureType  # noqa: E402

#: Characters the default model reads, and their labels.
DEFAULT_READINGS: Mapping[str, str] = {
    "吾": "ワガ",
    "輩": "ハイ",
    "は": "ワ",
    "猫": "ネコ",
    "山": "ヤマ",
    "田": "ダ",
    "生": "ナマ",
}
#: Characters after which the default model puts a word boundary.
DEFAULT_BOUNDARY_AFTER = "は"
#: Labels no character votes for; the single-character table can still choose them.
DEFAULT_EXTRA_LABELS = ("セイ", "ショウ")

SCALE = 0.05  # every class scale and the boundary weight scale
VOTE = 100  # quantised weight of a character towards its label (+5.0)
DEFAULT_BIAS = -1.0  # class 0, the empty label: confidence 0.27
READING_BIAS = -2.0  # a voted label scores 3.0 (confidence 0.95) on its character
EXTRA_BIAS = -3.0
BOUNDARY_SCORE = 2.5  # +2.5 after a boundary character, -2.5 elsewhere


def build_model(
    *,
    readings: Mapping[str, str] = DEFAULT_READINGS,
    boundary: str = "linear",
    boundary_after: Iterable[str] = DEFAULT_BOUNDARY_AFTER,
    names: Sequence[tuple[str, Sequence[str]]] = (),
    single_chars: Mapping[str, Sequence[str]] | None = None,
    extra_labels: Sequence[str] = DEFAULT_EXTRA_LABELS,
) -> kbm.KbmModel:
    """The model that `kbm_factory` writes; see there for the parameters."""
    if boundary not in ("linear", "trees"):
        raise ValueError(f"boundary must be 'linear' or 'trees', not {boundary!r}")
    labels = [""]
    for label in [*readings.values(), *extra_labels]:
        if label not in labels:
            labels.append(label)
    chars = list(readings)
    after = set(boundary_after)
    keys = [FeatureKey.chars(FeatureType.CHAR_CUR, c) for c in chars]
    # Characters that only mark boundaries get a key too (with no vote).
    keys += [FeatureKey.chars(FeatureType.CHAR_CUR, c) for c in sorted(after - set(chars))]
    n = len(keys)
    columns = {j: [(labels.index(readings[c]), VOTE)] for j, c in enumerate(chars)}
    bias = [DEFAULT_BIAS] + [
        EXTRA_BIAS if label not in readings.values() else READING_BIAS for label in labels[1:]
    ]
    key_chars = [chr(k.int_args[0]) for k in keys]
    if boundary == "linear":
        weight = round(2 * BOUNDARY_SCORE / SCALE)  # lifts -2.5 to +2.5
        boundary_model = kbm.LinearBoundary(
            weight_scale=SCALE,
            weights=[weight if c in after else 0 for c in key_chars],
            bias=-BOUNDARY_SCORE,
        )
    else:
        # Column 0 holds the current character's code point; one split asks whether it is a
        # boundary character. A character outside the vocabulary is missing: no boundary.
        vocabulary = [kbm.VocabularyEntry(k, 0, k.int_args[0]) for k in keys]
        split = kbm.Split(
            split_feature=0,
            missing_first=False,
            cats=[ord(c) for c in after],
            first=kbm.Leaf(BOUNDARY_SCORE),
            second=kbm.Leaf(-BOUNDARY_SCORE),
        )
        boundary_model = kbm.TreeBoundary(n_cat_columns=1, vocabulary=vocabulary, trees=[split])
    table = single_chars if single_chars is not None else {"生": ["セイ", "ショウ"]}
    return kbm.KbmModel(
        labels=labels,
        features=[kbm.Feature(k, j) for j, k in enumerate(keys)],
        class_scale=[SCALE] * len(labels),
        csc=kbm.CscWeights.from_columns(n, columns),
        class_bias=bias,
        boundary=boundary_model,
        names=[kbm.NameRecord(surface, list(rs)) for surface, rs in names],
        single_chars=[kbm.SingleCharRecord(c, list(rs)) for c, rs in table.items()],
    )


class KbmFactory:
    """Writes small complete model files into the test's temporary directory.

    ``kbm_factory(name="model.kbm", **options)`` returns the path of a new file; options:

    - ``readings``: {character: label}. Class 0 has the empty label and bias -1.0 (confidence
      0.27, so unknown kanji read as nothing and kanji numerals go to the numeral rule). Each
      listed character has a CHAR_CUR key whose column votes +5.0 for its label's class (bias
      -2.0), so it reads as its label with confidence 0.95. Default ``DEFAULT_READINGS``:
      吾ワガ 輩ハイ はワ 猫ネコ 山ヤマ 田ダ 生ナマ; 吾輩は猫である reads ワガハイワ ネコデアル.
    - ``boundary``: "linear" or "trees"; both forms give the same decisions.
    - ``boundary_after``: characters after which a word boundary falls (score +2.5; every
      other position -2.5). Default "は".
    - ``names``: [(surface, [reading per unit])] name records. Default none.
    - ``single_chars``: {character: [readings]}; default {"生": ["セイ", "ショウ"]}, whose two
      labels exist (bias -3.0, equal scores, so セイ is chosen) though no character votes for
      them. ``{}`` writes an empty table.
    - ``extra_labels``: labels added after the voted ones. Default セイ, ショウ.

    ``kbm_factory.model(**options)`` returns the `KbmModel` itself, to change before writing
    with ``kbm_factory.write(model, name)``.
    """

    def __init__(self, directory: Path) -> None:
        self.directory = directory

    def model(self, **options) -> kbm.KbmModel:
        return build_model(**options)

    def write(self, model: kbm.KbmModel, name: str = "model.kbm", **to_bytes_options) -> Path:
        return kbm.write_kbm(model, self.directory / name, **to_bytes_options)

    def __call__(self, name: str = "model.kbm", **options) -> Path:
        return self.write(build_model(**options), name)


@pytest.fixture
def kbm_factory(tmp_path: Path) -> KbmFactory:
    """A `KbmFactory` writing into tmp_path (see its docstring for the model's parameters)."""
    return KbmFactory(tmp_path)
