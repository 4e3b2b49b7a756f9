"""Training of the reading classifier and the boundary model over sparse binary features.

The classifier is one logistic model per label, trained over each unit's candidate labels (the
labels its character takes in training, which is what the single-character table restricts
the choice to), so that the logistic of a winning score is the probability that it is right.
Weights exist only for (feature, label) pairs seen together with that label as the gold one.
"""
from __future__ import annotations

from dataclasses import dataclass

import numpy as np
import scipy.optimize
import scipy.sparse as sp


@dataclass
class Rows:
    """Training units of the classifier: features, gold label, candidate labels, weight."""

    feat_ptr: np.ndarray  # row r's features are feats[feat_ptr[r]:feat_ptr[r+1]]
    feats: np.ndarray
    gold: np.ndarray
    cand_ptr: np.ndarray
    cands: np.ndarray
    weight: np.ndarray


def _expand(rows: Rows, n_labels: int, support: np.ndarray | None):
    """The (row, candidate) pairs and their design matrix over (feature, label) parameters."""
    n_rows = len(rows.gold)
    n_c = np.diff(rows.cand_ptr)
    n_f = np.diff(rows.feat_ptr)
    pair_row = np.repeat(np.arange(n_rows), n_c)
    pair_label = rows.cands.astype(np.int64)
    y = (pair_label == rows.gold[pair_row]).astype(np.float64)
    if support is None:
        gold_rows = np.repeat(np.arange(n_rows), n_f)
        codes = rows.feats.astype(np.int64) * n_labels + rows.gold[gold_rows]
        support = np.unique(codes)
    # Every (pair, feature of its row) combination, kept when the (feature, label) is supported.
    reps = n_f[pair_row]
    pair_of = np.repeat(np.arange(len(pair_row)), reps)
    starts = rows.feat_ptr[pair_row]
    offs = np.arange(len(pair_of)) - np.repeat(np.cumsum(reps) - reps, reps)
    f = rows.feats[np.repeat(starts, reps) + offs].astype(np.int64)
    codes = f * n_labels + pair_label[pair_of]
    del f, offs
    pos = np.searchsorted(support, codes)
    pos[pos == len(support)] = 0
    hit = support[pos] == codes
    cols = np.concatenate([pos[hit], len(support) + pair_label])
    prow = np.concatenate([pair_of[hit], np.arange(len(pair_row))])
    m = sp.csr_matrix((np.ones(len(cols)), (prow, cols)),
                      shape=(len(pair_row), len(support) + n_labels))
    return m, y, rows.weight[pair_row], support


def _fit_logistic(m, y, w, l2: float, iters: int, x0=None):
    def fg(theta):
        s = m @ theta
        sign = 2 * y - 1
        z = -sign * s
        loss = np.sum(w * np.logaddexp(0, z)) + 0.5 * l2 * theta @ theta
        g = -sign * w / (1 + np.exp(-z))
        return loss, m.T @ g + l2 * theta

    x0 = np.zeros(m.shape[1]) if x0 is None else x0
    res = scipy.optimize.minimize(fg, x0, jac=True, method="L-BFGS-B",
                                  options={"maxiter": iters, "maxcor": 10})
    return res.x


def train_classifier(rows: Rows, n_labels: int, l2: float = 1.0, iters: int = 150):
    """(support codes feature*n_labels+label, their weights, per-label biases)."""
    m, y, w, support = _expand(rows, n_labels, None)
    theta = _fit_logistic(m, y, w, l2, iters)
    return support, theta[:len(support)], theta[len(support):]


def train_boundary(x: sp.csr_matrix, y: np.ndarray, l2: float = 1.0, iters: int = 200):
    """Per-feature weights and a bias of a logistic blank-after model."""
    m = sp.hstack([x, np.ones((x.shape[0], 1))]).tocsr()
    theta = _fit_logistic(m, y.astype(np.float64), np.ones(len(y)), l2, iters)
    return theta[:-1], theta[-1]


def quantise(values: np.ndarray) -> tuple[float, np.ndarray]:
    """A scale and int8 values with values ~ scale * q."""
    top = float(np.max(np.abs(values))) if len(values) else 0.0
    scale = top / 127 if top > 0 else 1.0
    q = np.clip(np.rint(values / scale), -127, 127).astype(np.int8)
    return scale, q
