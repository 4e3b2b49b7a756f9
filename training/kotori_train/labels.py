"""Word readings into per-unit labels, following the reading convention.

A morpheme's reading is first brought into the convention (long vowels of the u- and o-rows as
ー), then split over the morpheme's units: kana units take their own reading, kanji take one of
their dictionary readings (or a sound-changed form), and a kanji run that does not split carries
the whole reading on its first kanji and "---" on the rest.
"""
from __future__ import annotations

from functools import lru_cache

from . import kanjidic
from .text import DIGIT, HIRAGANA, KANJI, KATAKANA, LATIN, NUMERAL, Unit, numeral_replacement
from .text import to_katakana

CONTINUE = "---"
SILENT = "_"

_O_U_ROW = set("オコソトノホモヨロゴゾドボポォョウクスツヌフムユルグズヅブプゥュヴ")
_E_ROW = set("エケセテネヘメレゲゼデベペェ")
_KANJIDIC: dict[str, list[str]] = {}


def use_kanjidic(table: dict[str, list[str]]) -> None:
    _KANJIDIC.clear()
    _KANJIDIC.update(table)
    _kanji_candidates.cache_clear()


def convention(reading: str, keep_final_u: bool = False) -> str:
    """A katakana reading of one morpheme with ウ after an o- or u-row kana written ー, and エ
    after an e-row kana written ー; a verb's final ウ stays."""
    out = []
    for i, ch in enumerate(reading):
        prev = out[-1] if out else ""
        if ch == "ウ" and prev in _O_U_ROW and not (keep_final_u and i == len(reading) - 1):
            ch = "ー"
        elif ch == "エ" and prev in _E_ROW:
            ch = "ー"
        out.append(ch)
    return "".join(out)


@lru_cache(maxsize=None)
def _kanji_candidates(ch: str) -> dict[str, int]:
    """Reading -> cost: dictionary readings 0, their sound-changed forms 1."""
    out: dict[str, int] = {}
    for r in _KANJIDIC.get(ch, ()):
        for k, v in enumerate(kanjidic.variants(convention(r))):
            out.setdefault(v, 0 if k == 0 else 1)
        for k, v in enumerate(kanjidic.variants(r)):
            out.setdefault(v, 0 if k == 0 else 1)
    return out


_FREE = 50
_INF = float("inf")


def _kana_matches(unit: Unit, piece: str) -> bool:
    expected = to_katakana(unit.text)
    if piece == expected:
        return True
    if len(piece) != len(expected):
        return False
    if unit.second:
        return False
    return (unit.first in "うウぅ" and piece == "ー") or (unit.first in "はハ" and piece == "ワ") \
        or (unit.first in "へヘ" and piece == "エ") or (unit.first in "えエ" and piece == "ー") \
        or (unit.first in "をヲ" and piece == "オ")


def align(units: tuple[Unit, ...], reading: str) -> list[str] | None:
    """One reading piece per unit ("" for a unit without one), or None when no split exists."""
    m, n = len(units), len(reading)
    # best[i][p]: cost of reading units[:i] with reading[:p]; back pointers rebuild the split.
    best = [[_INF] * (n + 1) for _ in range(m + 1)]
    back: list[list[tuple | None]] = [[None] * (n + 1) for _ in range(m + 1)]
    best[0][0] = 0
    for i in range(m):
        u = units[i]
        row = best[i]
        for p in range(n + 1):
            c0 = row[p]
            if c0 == _INF:
                continue

            def relax(j: int, q: int, cost: float, how: str) -> None:
                if c0 + cost < best[j][q]:
                    best[j][q] = c0 + cost
                    back[j][q] = (i, p, how)

            if u.type in (HIRAGANA, KATAKANA) and u.first not in "ヵヶ":
                L = len(u.text)
                if p + L <= n and _kana_matches(u, reading[p:p + L]):
                    relax(i + 1, p + L, 0, "k")
                if u.first == "ー" and p < n:
                    relax(i + 1, p + 1, 1, "k")
            elif u.type in (KANJI, NUMERAL) or u.first in "ヵヶ":
                ch = u.first
                cands = _kanji_candidates(units[i - 1].first if ch == "々" and i else ch)
                for r, cost in cands.items():
                    if reading.startswith(r, p):
                        relax(i + 1, p + len(r), cost, "j")
                # A run of kanji read as a whole: the first carries the reading.
                j = i
                while j < m and (units[j].type in (KANJI, NUMERAL) or units[j].first in "ヵヶ"):
                    j += 1
                    for q in range(p + 1, n + 1):
                        relax(j, q, _FREE + 2 * (j - i - 1), "r")
            else:
                # Digits, letters and symbols: their reading, whatever it is, is not a label.
                relax(i + 1, p, 2, "x")
                for q in range(p + 1, n + 1):
                    relax(i + 1, q, 3, "x")
    if best[m][n] == _INF:
        return None
    pieces = [""] * m
    j, q = m, n
    while j > 0:
        i, p, how = back[j][q]
        if how == "r":
            pieces[i] = reading[p:q]
            for k in range(i + 1, j):
                pieces[k] = CONTINUE
        else:
            pieces[i] = reading[p:q]
        j, q = i, p
    return pieces


def unit_label(unit: Unit, piece: str) -> str:
    """The classifier label of a unit given its aligned reading piece."""
    if unit.type == DIGIT:
        return unit.first
    if unit.type in (HIRAGANA, KATAKANA) and unit.first not in "ヵヶ":
        expected = to_katakana(unit.text)
        if piece in (expected, "ワ", "エ", "ー") and not unit.second:
            return piece
        return expected
    if unit.type == LATIN:
        return unit.first
    return piece or SILENT


def fix_numeral_continuations(units: tuple[Unit, ...], labels: list[str]) -> list[str]:
    """A reading that starts on a numeral kanji has no kanji to continue: the predictor would copy
    a "---" unit there, so the whole reading moves to the last unit and the others go silent."""
    out = list(labels)
    i = 0
    while i < len(out):
        if out[i] != CONTINUE and i + 1 < len(out) and out[i + 1] == CONTINUE \
                and units[i].type != KANJI:
            j = i + 1
            while j < len(out) and out[j] == CONTINUE:
                j += 1
            whole = out[i]
            for k in range(i, j - 1):
                out[k] = SILENT
            out[j - 1] = whole
            i = j
        else:
            i += 1
    return out


def numeral_labels(units: list[Unit], indices: range) -> list[str]:
    """Labels of numeral kanji used as a number: what the numeral rule writes ("_" for nothing)."""
    return [numeral_replacement(units, i) or SILENT if units[i].type == NUMERAL
            else SILENT for i in indices]
