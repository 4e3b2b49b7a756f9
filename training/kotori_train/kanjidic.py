"""Per-kanji readings from KANJIDIC, and their sound-changed forms, for aligning word readings."""
from __future__ import annotations

from functools import lru_cache
from pathlib import Path

from .text import to_katakana

DEFAULT_PATH = Path("/usr/share/edict/kanjidic")

_VOICE = dict(zip("カキクケコサシスセソタチツテトハヒフヘホ", "ガギグゲゴザジズゼゾダヂヅデドバビブベボ"))
_HANDAKU = dict(zip("ハヒフヘホ", "パピプペポ"))


def load(path: Path = DEFAULT_PATH) -> dict[str, list[str]]:
    """kanji -> katakana readings (on, then kun with and without okurigana)."""
    out: dict[str, list[str]] = {}
    with open(path, "rb") as f:
        for raw in f:
            line = raw.decode("euc-jp", errors="replace")
            if line.startswith("#"):
                continue
            fields = line.split(" {", 1)[0].split()
            if not fields:
                continue
            kanji, readings = fields[0], []
            for tok in fields[1:]:
                if tok in ("T1", "T2"):
                    break  # name readings follow: too loose for aligning ordinary words
                tok = tok.replace("-", "")
                if not tok or not ("\u3041" <= tok[0] <= "\u30ff"):
                    continue
                stem = tok.split(".")[0]
                for r in (stem, tok.replace(".", "")):
                    r = to_katakana(r)
                    if r and r not in readings:
                        readings.append(r)
            out[kanji] = readings
    return out


@lru_cache(maxsize=None)
def variants(reading: str) -> tuple[str, ...]:
    """The reading with the sound changes of compounds: voicing of the first kana, and a final
    ツ, チ, ク, キ or フ turned into ッ."""
    out = [reading]
    first = reading[:1]
    heads = [reading]
    for table in (_VOICE, _HANDAKU):
        if first in table:
            heads.append(table[first] + reading[1:])
    out += heads[1:]
    for h in heads:
        if len(h) >= 2 and h[-1] in "ツチクキフ":
            out.append(h[:-1] + "ッ")
    return tuple(dict.fromkeys(out))
