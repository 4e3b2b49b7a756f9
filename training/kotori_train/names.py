"""The name dictionary: ENAMDICT family, given and place names that occur in the training text,
with one reading per unit where the name's reading splits over its characters."""
from __future__ import annotations

import re
from pathlib import Path

from .kbm import NameRecord
from .labels import CONTINUE, align, convention
from .text import KANJI, text_units, to_katakana

DEFAULT_PATH = Path("/usr/share/edict/enamdict")
_LINE = re.compile(r"^(\S+) \[([^\]]+)\] /\(([a-z,]+)\)")
_TAGS = {"s", "g", "p", "f", "m", "u"}


class NameDictionary:
    def __init__(self, records: list[tuple[str, list[str] | None]]):
        self._records = records
        self._by_first: dict[str, list[tuple[tuple[str, ...], list[str] | None]]] = {}
        for surface, readings in records:
            units = tuple(u.text for u in text_units(surface))
            if units:
                self._by_first.setdefault(units[0][0], []).append((units, readings))
        for lst in self._by_first.values():
            lst.sort(key=lambda e: -len(e[0]))  # stable: equal lengths keep file order

    def marks(self, units) -> list[int]:
        out = [0] * len(units)
        p = 0
        while p < len(units):
            n = 0
            for cand, _ in self._by_first.get(units[p].first, ()):
                if p + len(cand) <= len(units) and all(
                        units[p + j].text == cand[j] for j in range(len(cand))):
                    n = len(cand)
                    break
            if n:
                out[p] = 1
                for j in range(p + 1, p + n):
                    out[j] = 2
                p += n
            else:
                p += 1
        return out

    def records(self) -> list[NameRecord]:
        return [NameRecord(s, r or ()) for s, r in self._records]


def load_enamdict(path: Path = DEFAULT_PATH) -> dict[str, str]:
    """Kanji name -> katakana reading of its first entry."""
    out: dict[str, str] = {}
    with open(path, "rb") as f:
        for raw in f:
            m = _LINE.match(raw.decode("euc-jp", errors="replace"))
            if not m or not (set(m.group(3).split(",")) & _TAGS):
                continue
            surface, reading = m.group(1), to_katakana(m.group(2))
            if 2 <= len(surface) <= 4 and surface not in out:
                out[surface] = reading
    return out


def build_dictionary(sentences, min_occurrences: int = 2) -> NameDictionary:
    """The ENAMDICT names (all kanji, 2-4 characters) found in the training text at least
    `min_occurrences` times as a whole kanji run."""
    counts: dict[str, int] = {}
    for s in sentences:
        run = []
        for u in s.units + [None]:
            if u is not None and u.type == KANJI:
                run.append(u.first)
                continue
            if 2 <= len(run) <= 4:
                w = "".join(run)
                counts[w] = counts.get(w, 0) + 1
            run = []
    try:
        enamdict = load_enamdict()
    except OSError:
        return NameDictionary([])
    records = []
    for surface in sorted(counts):
        if counts[surface] < min_occurrences or surface not in enamdict:
            continue
        units = tuple(text_units(surface))
        pieces = align(units, convention(enamdict[surface]))
        readings = pieces if pieces and CONTINUE not in pieces and all(pieces) else None
        records.append((surface, readings))
    return NameDictionary(records)
