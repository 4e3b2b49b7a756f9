"""From corpora to a .kbm file: labelling, features, training, pruning, calibration, writing."""
from __future__ import annotations

import itertools
import logging
import random
import time
from dataclasses import dataclass, field
from pathlib import Path

import numpy as np
import scipy.sparse as sp

from . import SHARED_DIR, calibrate, corpora, kanjidic, labels, names
from .features import to_feature_key, unit_features, window_kinds
from .kbm import CscWeights, Feature, KbmModel, LinearBoundary, SingleCharRecord, write_kbm
from .labels import CONTINUE, SILENT
from .text import DIGIT, HIRAGANA, KANJI, NUMERAL, text_units, to_katakana
from .train import Rows, quantise, train_boundary, train_classifier

log = logging.getLogger("kotori_train")

#: Unit types whose reading the predictor takes from the classifier.
CLASSIFIED = (HIRAGANA, KANJI, NUMERAL, DIGIT)
#: Of these, the ones the single-character table restricts; the others compete over all labels.
RESTRICTED = (KANJI, DIGIT)


@dataclass
class Config:
    window: int = 7
    seed: int = 1
    kwdlc_dir: Path = SHARED_DIR / "data" / "kwdlc"
    annotated: Path | None = None  # MeCab-annotated sentences (annotate.py)
    annotated_limit: int = 0  # sentences of it to use, 0: all
    gold_weight: float = 3.0
    hiragana_sample: float = 0.1  # share of plain hiragana units kept as classifier rows
    min_count: float = 2.0  # occurrences in the training units
    l2: float = 1.0  # ridge penalty of the classifier and the boundary model
    iters: int = 150
    boundary_iters: int = 150
    prune: float = 0.05  # classifier weights below this magnitude are dropped
    max_features: int = 700_000
    names: bool = True
    calendar: bool = True  # generated dates in kanji numerals (windows 5 and 7), see _sentences
    boost: float = 6.0  # see _separate_unrestricted
    negatives: int = 8  # other labels drawn into each hiragana or numeral row, see below
    cache: Path | None = None  # trained weights, reused when the file exists
    report: dict = field(default_factory=dict)


def _is_classified(u) -> bool:
    return u.type in CLASSIFIED or u.first in "ヵヶ"


class FeatureIndex:
    def __init__(self, kinds: frozenset[int]):
        self.kinds = kinds
        self.ids: dict[tuple, int] = {}
        self.counts: list[float] = []

    def encode(self, keys: list[tuple], weight: float, grow: bool) -> list[int]:
        out = []
        for k in keys:
            if k[0] not in self.kinds:
                continue
            i = self.ids.get(k)
            if i is None:
                if not grow:
                    continue
                i = self.ids[k] = len(self.counts)
                self.counts.append(0.0)
            self.counts[i] += 1
            out.append(i)
        return out


def _sentences(cfg: Config, split: str) -> list[corpora.Sentence]:
    # Window 4 does not see two units back, so its 日 cannot tell 二十日 (ハツカ) from 三十日
    # (30ニチ), nor a date's 一日 (ツイタチ) from 一日 (1ニチ): day words of several numerals
    # and generated dates would only teach its 日 and the numerals before it to disagree
    # (ハツニチ, ツイニチ), so it learns neither and reads such days as numbers.
    sees_day_words = cfg.window >= 5
    out = list(corpora.read_kwdlc(cfg.kwdlc_dir / f"{split}.jsonl",
                                  cfg.gold_weight if split == "train" else 1.0, sees_day_words))
    if split == "train" and cfg.annotated:
        it = corpora.read_annotated(cfg.annotated, 1.0, sees_day_words)
        if cfg.annotated_limit:
            it = itertools.islice(it, cfg.annotated_limit)
        out.extend(it)
    if split == "train" and cfg.calendar and sees_day_words:
        out.extend(corpora.calendar_sentences())
    return out


def build(cfg: Config, out_path: Path) -> KbmModel:
    t0 = time.time()
    labels.use_kanjidic(kanjidic.load())
    train = _sentences(cfg, "train")
    dev = _sentences(cfg, "dev")
    cfg.report["sentences"] = {"train": len(train), "dev": len(dev)}
    log.info("labelled %d train, %d dev sentences in %.0f s", len(train), len(dev),
             time.time() - t0)
    name_dict = names.build_dictionary(train) if cfg.names else names.NameDictionary([])

    # Label inventory and the labels each character takes.
    char_labels: dict[str, dict[str, float]] = {}
    for s in train:
        for u, lab in zip(s.units, s.labels):
            # A label that is not a reading (a symbol or kanji an annotator kept as the
            # reading) is no label at all: the unit gives no training row.
            if (lab is not None and _is_classified(u) and len(lab.encode()) <= 255
                    and _is_reading(lab)):
                d = char_labels.setdefault(u.text, {})
                d[lab] = d.get(lab, 0.0) + s.weight
    label_list = sorted({lab for d in char_labels.values() for lab in d} | {CONTINUE, SILENT})
    label_id = {lab: k for k, lab in enumerate(label_list)}
    n_labels = len(label_list)
    log.info("%d labels over %d characters", n_labels, len(char_labels))

    rng = random.Random(cfg.seed)
    # Hiragana and numeral kanji compete over every label at prediction time. Trained over their
    # own labels only, a label such as ヲ never meets another unit and learns large weights on
    # what all hiragana share (their type, the bias key), then wins on every other hiragana or
    # numeral. So each of their rows also meets `negatives` labels drawn from those that
    # hiragana and numerals take.
    neg_rng = random.Random(cfg.seed + 1)
    pool = sorted({label_id[lab] for text, d in char_labels.items()
                   if text_units(text)[0].type not in RESTRICTED for lab in d})
    # A numeral's row meets every label a numeral takes: the few digit and place-value labels
    # (マン, オク, 00) otherwise rarely meet 百 or 千 and can win there on their neighbours'
    # weights alone (三百五十 read as 3マン50).
    numeral_pool = sorted({label_id[lab] for s in train for u, lab in zip(s.units, s.labels)
                           if u.type == NUMERAL and lab in label_id})
    index = FeatureIndex(window_kinds(cfg.window))

    def candidates(u) -> list[int]:
        seen = char_labels.get(u.text, {})
        cands = {label_id[c] for c in seen if c in label_id}
        if u.type not in RESTRICTED:
            cands |= {label_id[CONTINUE], label_id[SILENT]}
            if u.type == HIRAGANA and to_katakana(u.text) in label_id:
                cands.add(label_id[to_katakana(u.text)])
            if u.type == NUMERAL:
                cands.update(numeral_pool)
        return sorted(cands)

    def featurise(sents, grow: bool, sample: bool):
        rows = {"fp": [0], "f": [], "g": [], "cp": [0], "c": [], "w": [], "ref": []}
        bnd = {"fp": [0], "f": [], "y": []}
        for si, s in enumerate(sents):
            marks = name_dict.marks(s.units)
            keys = unit_features(s.units, marks)
            for i, (u, lab) in enumerate(zip(s.units, s.labels)):
                ids = index.encode(keys[i], s.weight, grow)
                if s.blank_after is not None:
                    bnd["f"].extend(ids)
                    bnd["fp"].append(len(bnd["f"]))
                    bnd["y"].append(s.blank_after[i])
                if lab is None or not _is_classified(u) or lab not in label_id:
                    continue
                if (sample and u.type == HIRAGANA and u.first not in "はへう"
                        and rng.random() >= cfg.hiragana_sample):
                    continue
                c = candidates(u)
                if sample and u.type not in RESTRICTED and cfg.negatives and pool:
                    c = sorted(set(c) | set(neg_rng.sample(pool, min(cfg.negatives, len(pool)))))
                if label_id[lab] not in c:
                    c = sorted(set(c) | {label_id[lab]})
                rows["f"].extend(ids)
                rows["fp"].append(len(rows["f"]))
                rows["g"].append(label_id[lab])
                rows["c"].extend(c)
                rows["cp"].append(len(rows["c"]))
                rows["w"].append(s.weight)
                rows["ref"].append((si, i))
        return rows, bnd

    train_rows, train_bnd = featurise(train, True, True)
    log.info("%d classifier rows, %d boundary rows, %d features (%.0f s)",
             len(train_rows["g"]), len(train_bnd["y"]), len(index.counts), time.time() - t0)

    # Frequency pruning: keep features seen often enough, up to the budget.
    counts = np.array(index.counts)
    order = np.argsort(-counts, kind="stable")
    keep = np.sort(order[counts[order] >= cfg.min_count][: cfg.max_features])
    remap = np.full(len(counts), -1, dtype=np.int64)
    remap[keep] = np.arange(len(keep))
    n_feat = len(keep)
    keys_by_id = [None] * len(counts)
    for k, i in index.ids.items():
        keys_by_id[i] = k

    def to_rows(r) -> Rows:
        fp = np.array(r["fp"], dtype=np.int64)
        f = remap[np.array(r["f"], dtype=np.int64)] if r["f"] else np.zeros(0, np.int64)
        ok = f >= 0
        n_per = np.add.reduceat(ok, fp[:-1]) if len(f) else np.zeros(len(fp) - 1, np.int64)
        n_per[np.diff(fp) == 0] = 0
        return Rows(np.concatenate([[0], np.cumsum(n_per)]), f[ok],
                    np.array(r["g"], dtype=np.int64), np.array(r["cp"], dtype=np.int64),
                    np.array(r["c"], dtype=np.int64), np.array(r["w"], dtype=np.float64))

    if cfg.cache and cfg.cache.exists():
        z = np.load(cfg.cache)
        support, wts, bias, bw, bb = (z[k] for k in ("support", "wts", "bias", "bw", "bb"))
        log.info("trained weights from %s", cfg.cache)
    else:
        rows = to_rows(train_rows)
        support, wts, bias = train_classifier(rows, n_labels, cfg.l2, cfg.iters)
        log.info("classifier: %d parameters (%.0f s)", len(support), time.time() - t0)
        bx = _csr(train_bnd, remap, n_feat)
        bw, bb = train_boundary(bx, np.array(train_bnd["y"]), cfg.l2, cfg.boundary_iters)
        log.info("boundary model trained (%.0f s)", time.time() - t0)
        if cfg.cache:
            np.savez(cfg.cache, support=support, wts=wts, bias=bias, bw=bw, bb=np.array(bb))

    support, wts = _separate_unrestricted(support, wts, char_labels, numeral_pool, label_id,
                                          index, remap, n_labels, cfg.boost)

    # Prune and quantise the classifier per class; the boundary weights with one scale.
    big = np.abs(wts) >= cfg.prune
    feat_of, lab_of, w_kept = support[big] // n_labels, support[big] % n_labels, wts[big]
    scales = np.ones(n_labels)
    q = np.zeros(len(w_kept), dtype=np.int8)
    for k in np.unique(lab_of):
        sel = lab_of == k
        scales[k], q[sel] = quantise(w_kept[sel])
    nz = q != 0
    feat_of, lab_of, q = feat_of[nz], lab_of[nz], q[nz]
    b_scale, bq = quantise(bw)
    used = np.zeros(n_feat, dtype=bool)
    used[feat_of] = True
    used |= bq != 0
    col = np.cumsum(used) - 1
    n_cols = int(used.sum())
    order = np.lexsort((lab_of, col[feat_of]))
    feat_of, lab_of, q = col[feat_of][order], lab_of[order], q[order]
    colptr = np.searchsorted(feat_of, np.arange(n_cols + 1)).astype(np.uint32)
    model_keys = [keys_by_id[keep[j]] for j in np.nonzero(used)[0]]

    model = KbmModel(
        labels=label_list,
        features=[Feature(to_feature_key(k), c) for c, k in enumerate(model_keys)],
        class_scale=scales.astype(np.float32),
        csc=CscWeights(colptr, lab_of.astype(np.uint16), q),
        class_bias=bias.astype(np.float32),
        boundary=LinearBoundary(np.float32(b_scale), bq[used], 0.0, float(bb)),
        names=name_dict.records(),
        single_chars=_single_chars(char_labels, label_id),
    )
    # Calibrate the winning label's confidence on dev, then report.
    dev_rows, dev_bnd = featurise(dev, False, False)
    a, b = calibrate.fit_and_apply(model, dev, dev_rows, keys_by_id, label_list, cfg.report)
    log.info("calibration: confidence = logistic(%.3f * score + %.3f)", a, b)
    write_kbm(model, out_path)
    cfg.report["size_bytes"] = out_path.stat().st_size
    cfg.report["features"] = n_cols
    cfg.report["nonzero"] = int(len(q))
    cfg.report["seconds"] = round(time.time() - t0)
    log.info("wrote %s: %d bytes, %d features, %d labels, %d weights (%.0f s)", out_path,
             out_path.stat().st_size, n_cols, n_labels, len(q), time.time() - t0)
    return model


def _is_reading(label: str) -> bool:
    if label in (CONTINUE, SILENT):
        return True
    return bool(label) and all("\u30a1" <= c <= "\u30fc" or "0" <= c <= "9" for c in label)


def _separate_unrestricted(support, wts, char_labels, numeral_pool, label_id, index, remap,
                           n_labels, boost):
    """Hiragana and numeral kanji compete over every label at prediction time, not only over the
    labels they take. So each type's key pushes every label down by `boost`, and a key that only
    such units have lifts their own labels back by the same amount: the scores of those labels
    are unchanged, all others fall `boost` below them. A hiragana's own key lifts that
    character's labels. A numeral's own key is no such key (百 and 千 are numerals only next to
    another numeral, and kanji otherwise), so the numeral run-length keys lift the labels that
    any numeral takes (`numeral_pool`), which its training rows are ranked among."""
    extra: dict[tuple[int, int], float] = {}

    def fid(key):
        i = index.ids.get(key)
        return int(remap[i]) if i is not None and remap[i] >= 0 else None

    def add(feature, labels_, amount):
        for k in labels_:
            extra[(feature, k)] = extra.get((feature, k), 0.0) + amount

    for type_code in (HIRAGANA, NUMERAL):
        t = fid((0x50, 0, type_code, 0, 0, 0, 0, 0))
        if t is not None:
            add(t, range(n_labels), -boost)
    for text, seen in char_labels.items():
        u = text_units(text)[0]
        if u.type != HIRAGANA:
            continue
        own = fid((0xA6, 0, 0, 0, 0, ord(u.first), ord(u.second), 0) if u.second
                  else (0x90, 0, 0, 0, 0, ord(u.first), 0, 0))
        if own is not None:
            add(own, {label_id[lab] for lab in {to_katakana(text)} | set(seen) if lab in label_id},
                boost)
    for run in range(1, 6):
        f = fid((0xC1, run, 0, 0, 0, 0, 0, 0))
        if f is not None:
            add(f, numeral_pool, boost)
    codes = np.array([f * n_labels + k for f, k in extra], dtype=np.int64)
    vals = np.array(list(extra.values()))
    allc = np.concatenate([support, codes])
    allw = np.concatenate([wts, vals])
    uniq, inv = np.unique(allc, return_inverse=True)
    return uniq, np.bincount(inv, weights=allw)


def _csr(b, remap, n_feat) -> sp.csr_matrix:
    fp = np.array(b["fp"], dtype=np.int64)
    f = remap[np.array(b["f"], dtype=np.int64)]
    r = np.repeat(np.arange(len(fp) - 1), np.diff(fp))
    ok = f >= 0
    return sp.csr_matrix((np.ones(int(ok.sum())), (r[ok], f[ok])), shape=(len(fp) - 1, n_feat))


def _single_chars(char_labels, label_id) -> list[SingleCharRecord]:
    """Every label a kanji or a digit takes in training; KANJIDIC readings for other kanji."""
    from .text import char_type
    out = []
    for ch, d in sorted(char_labels.items()):
        if len(ch) == 1 and char_type(ord(ch)) in (KANJI, DIGIT):
            rs = sorted((lab for lab in d if _is_reading(lab)), key=lambda lab: (-d[lab], lab))
            if rs:
                out.append(SingleCharRecord(ch, rs[:255]))
    seen = set(char_labels)
    for ch, readings in sorted(labels._KANJIDIC.items()):
        if ch in seen or len(ch) != 1 or char_type(ord(ch)) != KANJI:
            continue
        rs = [r for r in dict.fromkeys(labels.convention(r) for r in readings) if r in label_id]
        if rs:
            out.append(SingleCharRecord(ch, rs[:255]))
    return out
