"""Feature keys of every unit in context, in the predictor's template order.

A key is the tuple of `FeatureKey.order()`: (kind, byte_arg, type0, type1, type2, arg0, arg1,
arg2), so keys sort in the model file's order and convert with `to_feature_key`.
"""
from __future__ import annotations

from typing import Sequence

from .kbm import FeatureKey
from .text import KANJI, NUMERAL, Unit

NONE_TYPE = 0xFF

#: Templates that look three units away (window 7 only) and two units back (windows 5 and 7).
_FAR = frozenset([0x95, 0x55, 0xA4, 0xB3, 0x73, 0x96, 0x56, 0xA5, 0xB4, 0x74])
_BACK2 = frozenset([0x92, 0x52, 0xA1, 0xB0, 0x70])


def window_kinds(window: int) -> frozenset[int]:
    """The template codes a model of this window keeps: 4 sees -1..+2, 5 -2..+2, 7 -3..+3."""
    if window not in (4, 5, 7):
        raise ValueError(f"window must be 4, 5 or 7, got {window}")
    excluded = set()
    if window < 7:
        excluded |= _FAR
    if window < 5:
        excluded |= _BACK2
    return frozenset(k for k in range(256) if k not in excluded)


def _c(kind: int, *chars: str) -> tuple:
    a = [ord(c) for c in chars] + [0] * (3 - len(chars))
    return (kind, 0, 0, 0, 0, a[0], a[1], a[2])


def _t(kind: int, *types: int) -> tuple:
    t = list(types) + [0] * (3 - len(types))
    return (kind, 0, t[0], t[1], t[2], 0, 0, 0)


def _b(kind: int, arg: int) -> tuple:
    return (kind, arg, 0, 0, 0, 0, 0, 0)


def unit_features(units: Sequence[Unit], marks: Sequence[int] | None = None) -> list[list[tuple]]:
    """One key list per unit; `marks` are the name marks (0, 1, 2), all 0 when omitted."""
    n = len(units)
    marks = marks or [0] * n
    chars = [u.first for u in units]
    types = [u.type for u in units]
    # Lengths of the kanji and numeral runs each unit belongs to.
    run = [0] * n
    i = 0
    while i < n:
        j = i
        while j < n and types[j] == types[i]:
            j += 1
        for k in range(i, j):
            run[k] = j - i
        i = j
    out = []
    for i in range(n):
        c = lambda k: chars[i + k]  # noqa: E731
        t = lambda k: types[i + k]  # noqa: E731
        u = units[i]
        keys = [(0, 0, 0, 0, 0, 0, 0, 0)]
        keys.append(_c(0xA6, u.first, u.second) if u.second else _c(0x90, u.first))
        keys.append(_t(0x50, t(0)))
        if i >= 1:
            keys += [_c(0x91, c(-1)), _t(0x51, t(-1)), _c(0xA0, c(-1), c(0)),
                     _t(0x60, t(-1), t(0))]
            if i >= 2:
                keys += [_c(0x92, c(-2)), _t(0x52, t(-2)), _c(0xA1, c(-2), c(-1)),
                         _c(0xB0, c(-2), c(-1), c(0)), _t(0x70, t(-2), t(-1), t(0))]
                if i >= 3:
                    keys += [_c(0x95, c(-3)), _t(0x55, t(-3)), _c(0xA4, c(-3), c(-2)),
                             _c(0xB3, c(-3), c(-2), c(-1)), _t(0x73, t(-3), t(-2), t(-1))]
        if i + 1 < n:
            keys += [_c(0x93, c(1)), _t(0x53, t(1)), _c(0xA2, c(0), c(1))]
            if i + 2 < n:
                keys += [_c(0x94, c(2)), _t(0x54, t(2)), _c(0xA3, c(1), c(2)),
                         _c(0xB2, c(0), c(1), c(2)), _t(0x72, t(0), t(1), t(2))]
                if i + 3 < n:
                    keys += [_c(0x96, c(3)), _t(0x56, t(3)), _c(0xA5, c(2), c(3)),
                             _c(0xB4, c(1), c(2), c(3)), _t(0x74, t(1), t(2), t(3))]
        if i >= 1 and i + 1 < n:
            keys += [_c(0xB1, c(-1), c(0), c(1)), _t(0x71, t(-1), t(0), t(1))]
        if t(0) == KANJI:
            keys.append(_b(0xC0, min(run[i], 5)))
            if i == 0 or t(-1) != KANJI:
                keys.append((0x01, 0, 0, 0, 0, 0, 0, 0))
            if i >= 1 and t(-1) == NUMERAL:
                keys.append(_b(0xC2, min(run[i - 1], 5)))
        if t(0) == NUMERAL:
            keys.append(_b(0xC1, min(run[i], 5)))
        if marks[i]:
            keys.append(_b(0xC3, marks[i]))
        if i >= 1 and marks[i - 1]:
            keys.append(_b(0xC4, marks[i - 1]))
        if i + 1 < n and marks[i + 1]:
            keys.append(_b(0xC5, marks[i + 1]))
        out.append(keys)
    return out


def to_feature_key(key: tuple) -> FeatureKey:
    kind, byte_arg, t0, t1, t2, a0, a1, a2 = key
    return FeatureKey(kind, byte_arg, (t0, t1, t2), (a0, a1, a2))
