"""Character types, text normalisation and text units, as the predictor computes them.

The training side must cut and type text exactly like the C++ predictor, or the features it
learns from would not be the ones seen at prediction time.
"""
from __future__ import annotations

import unicodedata
from dataclasses import dataclass

WHITE_SPACE = frozenset(
    [*range(0x09, 0x0E), 0x20, 0x85, 0xA0, 0x1680, *range(0x2000, 0x200B), 0x2028, 0x2029,
     0x202F, 0x205F, 0x3000]
)
INVISIBLE = frozenset([0xAD, 0x200B, 0x200C, 0x200D, *range(0x2060, 0x2065), 0xFEFF])
CLOSING = frozenset(map(ord, "\"')}〉》」』】〕）｝"))
OPENING = frozenset(map(ord, "({〈《「『【〔（｛"))
SENTENCE_END = frozenset(map(ord, "!.?。！？"))
COMMA = frozenset(map(ord, ",、・"))
NUMERALS = frozenset(map(ord, "〇一二三四五六七八九"))
PLACE_VALUES = frozenset(map(ord, "十百千万億兆"))
JOINING_SMALL = frozenset(map(ord, "ぁぃぅぇぉゃゅょゎァィゥェォャュョヮ"))
SMALL_KANA = frozenset("ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮ")

LATIN, DIGIT, SYMBOL, HIRAGANA, KATAKANA, KANJI, NUMERAL, OTHER = (
    0x10, 0x11, 0x30, 0x40, 0x41, 0x42, 0x43, 0xFF)


def _punctuation_class(c: int) -> int | None:
    if c > 0xFFFF:
        return None
    if c in CLOSING:
        return 0x31
    if c in OPENING:
        return 0x32
    if c in SENTENCE_END:
        return 0x33
    if c in COMMA:
        return 0x34
    if unicodedata.category(chr(c))[0] in "PS":
        return 0x30
    return None


def char_type(c: int) -> int:
    """The CharType code of a code point."""
    if c in WHITE_SPACE:
        return 0x00
    if c in INVISIBLE:
        return 0x50
    if 0x30 <= c <= 0x39 or 0xFF10 <= c <= 0xFF19:
        return DIGIT
    if c == 0xE000 or c == 0xE002:
        return 0x32
    if c == 0xE001:
        return 0x31
    p = _punctuation_class(c)
    if p is not None:
        return p
    if 0x3041 <= c <= 0x309F:
        return HIRAGANA
    if 0x30A0 <= c <= 0x30FF:
        return KATAKANA
    if c in NUMERALS:
        return NUMERAL
    if (0x3400 <= c <= 0x4DBF or 0x4E00 <= c <= 0x9FFF or 0x20000 <= c <= 0x2EE5F
            or 0x30000 <= c <= 0x323AF or c in (0x3005, 0x303B)):
        return KANJI
    if 0x41 <= c <= 0x5A or 0x61 <= c <= 0x7A or 0xFF21 <= c <= 0xFF3A or 0xFF41 <= c <= 0xFF5A:
        return LATIN
    return OTHER


def _fold_char(c: int) -> int | None:
    if (0x2E80 <= c <= 0x2FDF or 0xF900 <= c <= 0xFAFF or 0x2F800 <= c <= 0x2FA1F):
        n = unicodedata.normalize("NFKC", chr(c))
        if len(n) == 1 and ord(n) != c:
            return ord(n)
        return None
    if 0xFF10 <= c <= 0xFF19 or 0xFF21 <= c <= 0xFF3A or 0xFF41 <= c <= 0xFF5A:
        return c - 0xFEE0
    return None


_LIGATURES = {0xFB00: "ff", 0xFB01: "fi", 0xFB02: "fl", 0xFB03: "ffi", 0xFB04: "ffl",
              0xFB05: "st", 0xFB06: "st"}
_VOICEABLE = frozenset("かきくけこさしすせそたちつてとはひふへほカキクケコサシスセソタチツテトハヒフヘホ")


def normalise(text: str) -> tuple[str, list[int]]:
    """The normalised text and, per output character, the index of its input character."""
    out: list[str] = []
    src: list[int] = []
    prev: str | None = None
    for i, ch in enumerate(text):
        c = ord(ch)
        if prev is not None and ch in "ゞヾ":
            w = {"う": "ゔ", "ウ": "ヴ"}.get(prev, chr(ord(prev) + 1) if prev in _VOICEABLE else prev)
        elif prev is not None and ch in "ゝヽ":
            w = prev
        elif c in _LIGATURES:
            w = _LIGATURES[c]
        else:
            f = _fold_char(c)
            w = chr(f) if f is not None else ch
        for x in w:
            out.append(x)
            src.append(i)
        prev = w[-1]
    return "".join(out), src


@dataclass(frozen=True)
class Unit:
    first: str
    second: str  # "" for a one-character unit
    start: int  # character index of the first character
    type: int

    @property
    def text(self) -> str:
        return self.first + self.second


def text_units(text: str) -> list[Unit]:
    """The reading units of a text, with numeral promotion applied to their types."""
    cps = [ord(c) for c in text]
    types = [char_type(c) for c in cps]
    n = len(cps)
    for k in range(n - 1):
        if cps[k + 1] in PLACE_VALUES and types[k] == NUMERAL:
            types[k + 1] = NUMERAL
    for j in range(n - 1, 0, -1):
        if cps[j - 1] in PLACE_VALUES and types[j] == NUMERAL:
            types[j - 1] = NUMERAL
    units = []
    i = 0
    while i < n:
        c = cps[i]
        if ((0x3041 <= c <= 0x3093 or 0x30A1 <= c <= 0x30F6) and c not in JOINING_SMALL
                and i + 1 < n and cps[i + 1] in JOINING_SMALL):
            units.append(Unit(text[i], text[i + 1], i, types[i]))
            i += 2
        else:
            units.append(Unit(text[i], "", i, types[i]))
            i += 1
    return units


_PLACES = {"十": 1, "百": 2, "千": 3}


_DIGIT_KANJI = "〇一二三四五六七八九"


def _next_place(units: list[Unit], i: int, m: int) -> int:
    """The next lower place written in the group after the place value `m` at unit i: -1 when
    none follows (万, the end, anything else), 0 when only a digit follows."""
    if i + 1 >= len(units):
        return -1
    if units[i + 1].first in _DIGIT_KANJI:
        after = _PLACES.get(units[i + 2].first, 0) if i + 2 < len(units) else 0
        return after if 0 < after < m else 0
    p = _PLACES.get(units[i + 1].first, 0)
    return p if 0 < p < m else -1


def numeral_replacement(units: list[Unit], i: int) -> str | None:
    """What the numeral rule writes for numeral unit i: digits, with 十百千 writing the zeros
    down to the next place written (三百五十 → 3, nothing, 5, 0)."""
    ch = units[i].first
    digit = _DIGIT_KANJI.find(ch)
    if digit >= 0:
        return str(digit)
    m = _PLACES.get(ch)
    if m:
        lead = not (i > 0 and units[i - 1].first in _DIGIT_KANJI)
        p = _next_place(units, i, m)
        if p >= 0:
            zeros = m - 1 - p
        elif m == 3:
            return "ゼン" if i > 0 and units[i - 1].first == "三" else "セン"
        else:
            zeros = m
        return ("1" + "0" * zeros if lead else "0" * zeros) or None
    return {"万": "マン", "億": "オク", "兆": "チョー"}.get(ch)


def to_katakana(s: str) -> str:
    return "".join(chr(ord(c) + 0x60) if "\u3041" <= c <= "\u3096" else c for c in s)
