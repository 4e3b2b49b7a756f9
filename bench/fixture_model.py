"""A stand-in model of realistic size, for timing the predictor before the trained models exist.

The feature table holds the keys that the predictor's own templates produce on real text (so
the lookups hit and miss as they would with a trained model), each column carries a few
classifier weights, kanji get a handful of candidate readings, and a name dictionary of a few
thousand entries is matched as usual. The weights are random: the readings are meaningless,
the work per character is not. Every number measured with it is labelled "fixture model".

Written with the project's one .kbm writer (training/kotori_train/kbm.py).
"""
from __future__ import annotations

import random
import sys
from collections import Counter
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(REPO / "training"))

from kotori_train.features import to_feature_key, unit_features, window_kinds  # noqa: E402
from kotori_train.kbm import (  # noqa: E402
    CscWeights, Feature, KbmModel, LinearBoundary, NameRecord, SingleCharRecord, write_kbm)
from kotori_train.text import KANJI, text_units  # noqa: E402

TRAIN_SHARD = "corpus-06.jsonl"  # not the shard the benchmarks read
MORAE = [chr(c) for c in range(0x30A2, 0x30F4)]  # ア..ヴ, small kana included


def build(lines: list[str], window: int, out: Path, max_features: int = 300_000,
          seed: int = 1) -> Path:
    rng = random.Random(seed)
    kinds = window_kinds(window)
    counts: Counter = Counter()
    kanji: Counter = Counter()
    for line in lines:
        units = text_units(line)
        for u in units:
            if u.type == KANJI:
                kanji[u.first] += 1
        for keys in unit_features(units):
            counts.update(k for k in keys if k[0] in kinds)
    kept = [k for k, n in counts.most_common(max_features) if n >= 2]
    kept.sort()

    labels = sorted(set(MORAE) | {rng.choice(MORAE) + rng.choice(MORAE) for _ in range(3000)}
                    | {"---", "_"})
    n_classes = len(labels)
    columns = {j: [(c, rng.randint(-100, 100)) for c in sorted(rng.sample(range(n_classes), 3))]
               for j in range(len(kept))}
    singles = [SingleCharRecord(ch, sorted({rng.choice(labels[:-2]) for _ in range(4)}))
               for ch in sorted(kanji)]
    frequent = [ch for ch, _ in kanji.most_common(400)]
    names = {rng.choice(frequent) + rng.choice(frequent) + rng.choice(["", rng.choice(frequent)])
             for _ in range(3000)}
    model = KbmModel(
        labels=labels,
        features=[Feature(to_feature_key(k), j) for j, k in enumerate(kept)],
        class_scale=[0.05] * n_classes,
        csc=CscWeights.from_columns(len(kept), columns),
        class_bias=[0.0] * n_classes,
        boundary=LinearBoundary(weight_scale=0.02,
                                weights=[rng.randint(-60, 60) for _ in kept], bias=-1.0),
        names=[NameRecord(s, [rng.choice(MORAE) * 2 for _ in s]) for s in sorted(names)],
        single_chars=singles,
    )
    out.parent.mkdir(parents=True, exist_ok=True)
    return write_kbm(model, out)


def main() -> None:
    """fixture_model.py DATA_DIR WINDOW OUT: trains nothing, writes a fixture model."""
    import corpus

    data, window, out = Path(sys.argv[1]), int(sys.argv[2]), Path(sys.argv[3])
    build(corpus.japanese(data, 300_000, TRAIN_SHARD).lines, window, out)


if __name__ == "__main__":
    main()
