"""Scoring dev units exactly as the predictor's classifier does, and calibrating the winning
label's logistic confidence on them (one affine map of every class score)."""
from __future__ import annotations

import numpy as np
import scipy.optimize
import scipy.sparse as sp

from .text import DIGIT, KANJI


def model_matrix(model) -> sp.csr_matrix:
    """The quantised weights as a (column x class) matrix of reals."""
    colptr = np.asarray(model.csc.colptr, dtype=np.int64)
    rowind = np.asarray(model.csc.rowind, dtype=np.int64)
    w = np.asarray(model.csc.weights, dtype=np.float64)
    cols = np.repeat(np.arange(len(colptr) - 1), np.diff(colptr))
    m = sp.csr_matrix((w, (cols, rowind)), shape=(len(colptr) - 1, model.n_classes))
    return m


def winners(model, units, key_lists, chunk: int = 2000):
    """(class, score) per unit, with the single-character restriction, as `classify` does."""
    column = {f.key.order(): f.column for f in model.features}
    w = model_matrix(model)
    scale = np.asarray(model.class_scale, dtype=np.float32)
    bias = np.asarray(model.class_bias, dtype=np.float32)
    table = {e.key: set(e.readings) for e in model.single_chars}
    out_c, out_s = [], []
    for k in range(0, len(units), chunk):
        rows, cols = [], []
        for r, keys in enumerate(key_lists[k:k + chunk]):
            for key in keys:
                c = column.get(key)
                if c is not None:
                    rows.append(r)
                    cols.append(c)
        n = len(key_lists[k:k + chunk])
        x = sp.csr_matrix((np.ones(len(rows)), (rows, cols)), shape=(n, w.shape[0]))
        acc = (x @ w).toarray().astype(np.float32)
        scores = acc * scale + bias
        for r in range(n):
            u = units[k + r]
            s = scores[r]
            allowed = table.get(u.first) if u.type in (KANJI, DIGIT) else None
            best = -1
            if allowed:
                idx = _allowed_index(model, u.first, allowed)
                if len(idx):
                    best = int(idx[np.argmax(s[idx])])
            if best < 0:
                top = np.max(s)
                best = int(np.nonzero(s == top)[0][-1])
            out_c.append(best)
            out_s.append(float(s[best]))
    return np.array(out_c), np.array(out_s)


_ALLOWED: dict = {}


def _allowed_index(model, ch, allowed):
    key = (id(model), ch)
    if key not in _ALLOWED:
        _ALLOWED[key] = np.array([k for k, lab in enumerate(model.labels) if lab in allowed],
                                 dtype=np.int64)
    return _ALLOWED[key]


def ece(conf: np.ndarray, correct: np.ndarray, bins: int = 10):
    """Expected calibration error and the reliability table (bin, count, confidence, accuracy)."""
    edges = np.linspace(0, 1, bins + 1)
    table, total = [], 0.0
    for b in range(bins):
        sel = (conf >= edges[b]) & ((conf < edges[b + 1]) if b < bins - 1 else (conf <= 1))
        if not sel.any():
            continue
        c, a = float(conf[sel].mean()), float(correct[sel].mean())
        total += sel.sum() * abs(c - a)
        table.append((f"{edges[b]:.1f}-{edges[b + 1]:.1f}", int(sel.sum()), round(c, 4),
                      round(a, 4)))
    return total / max(len(conf), 1), table


def fit_and_apply(model, dev, dev_rows, keys_by_id, label_list, report):
    """Fits confidence = logistic(a * score + b) on dev winners and folds a, b into the model."""
    units = [dev[si].units[i] for si, i in dev_rows["ref"]]
    fp = dev_rows["fp"]
    key_lists = [[keys_by_id[j] for j in dev_rows["f"][fp[r]:fp[r + 1]]]
                 for r in range(len(units))]
    gold = np.array(dev_rows["g"])
    cls, score = winners(model, units, key_lists)
    correct = (np.array([label_list[c] for c in cls]) == np.array(
        [label_list[g] for g in gold])).astype(np.float64)

    def nll(p):
        z = p[0] * score + p[1]
        return np.sum(np.logaddexp(0, -z) * correct + np.logaddexp(0, z) * (1 - correct))

    a, b = scipy.optimize.minimize(nll, [1.0, 0.0], method="Nelder-Mead").x
    if a <= 0:
        a, b = 1.0, 0.0
    before = ece(1 / (1 + np.exp(-score)), correct)
    after = ece(1 / (1 + np.exp(-(a * score + b))), correct)
    model.class_scale = (np.asarray(model.class_scale, dtype=np.float64) * a).astype(np.float32)
    model.class_bias = (np.asarray(model.class_bias, dtype=np.float64) * a + b).astype(np.float32)
    by_type = {}
    for t in sorted({u.type for u in units}):
        sel = np.array([u.type == t for u in units])
        by_type[f"0x{t:02X}"] = (int(sel.sum()), round(float(correct[sel].mean()), 4))
    report["dev_unit_accuracy"] = round(float(correct.mean()), 4)
    report["dev_unit_accuracy_by_type"] = by_type
    report["calibration"] = {"a": a, "b": b, "ece_before": before[0], "ece_after": after[0],
                             "reliability_after": after[1]}
    return a, b
