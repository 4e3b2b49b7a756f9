"""Corpus readers: sentences as (text, units, per-unit labels, per-unit blank-after flags)."""
from __future__ import annotations

import csv
import json
import unicodedata
from dataclasses import dataclass
from pathlib import Path
from typing import Iterator

from .labels import SILENT, align, convention, fix_numeral_continuations, numeral_labels
from .labels import unit_label
from .text import DIGIT, NUMERAL, Unit, normalise, text_units, to_katakana

#: Counters that, after a one-digit number, make the number part of a word (1日, 1人, 1つ).
WORD_COUNTERS = {"日": ("カ", "タチ"), "人": ("リ",), "つ": ("ツ",)}
#: Longer numerals that make a word with 日 all the same (二十日 ハツカ, 三十日 ミソカ), where an
#: annotator splits them as numeral + counter; other numbers with 日 stay numbers (二十四日).
DAY_WORDS = {"ハツカ", "ミソカ"}


@dataclass
class Sentence:
    text: str  # normalised, as the predictor sees it
    units: list[Unit]
    labels: list[str | None]  # None: no trustworthy label
    blank_after: list[int] | None  # 1: a word starts after this unit; None: not annotated
    weight: float = 1.0


def _is_gap_char(ch: str) -> bool:
    return unicodedata.category(ch)[0] in "ZPSC"


@dataclass
class Morpheme:
    start: int  # character offset in the original text
    surface: str
    reading: str  # katakana, particles already as ワ/エ
    pos: str
    pos2: str
    conj_form: str


def label_sentence(raw_text: str, morphemes: list[Morpheme],
                   day_words: bool = True) -> tuple[str, list[Unit], list]:
    """Normalised text, its units and one label per unit (None where no alignment exists).

    With `day_words` False a day word of several numerals (二十日 ハツカ) and its 日 stay
    unlabelled: a model that cannot see the numeral two units before 日 would learn only half of
    it and read ハツニチ."""
    text, src = normalise(raw_text)
    units = text_units(text)
    owner = [0] * len(raw_text)  # morpheme index of each original character
    for k, m in enumerate(morphemes):
        for c in range(m.start, min(m.start + len(m.surface), len(raw_text))):
            owner[c] = k
    groups: dict[int, list[int]] = {}
    for ui, u in enumerate(units):
        groups.setdefault(owner[src[u.start]], []).append(ui)
    labels: list[str | None] = [None] * len(units)
    unlabelled: set[int] = set()
    for k, uis in groups.items():
        if k in unlabelled:
            continue
        m = morphemes[k]
        if uis != list(range(uis[0], uis[-1] + 1)):
            continue
        if uis[-1] + 1 < len(units) and owner[src[units[uis[-1]].start + len(units[uis[-1]].text) - 1]] != k:
            continue  # a unit spanning two morphemes
        mu = tuple(units[i] for i in uis)
        nxt = morphemes[k + 1] if k + 1 < len(morphemes) else None
        word_counter = (nxt is not None and nxt.surface in WORD_COUNTERS
                        and convention(nxt.reading) in WORD_COUNTERS[nxt.surface]
                        and (len(uis) == 1
                             or convention(m.reading) + convention(nxt.reading) in DAY_WORDS))
        if word_counter and len(uis) > 1 and not day_words:
            unlabelled.add(k + 1)
            continue
        if all(u.type == NUMERAL for u in mu) and m.pos2 == "数詞" and not word_counter:
            labels[uis[0]:uis[-1] + 1] = numeral_labels(units, range(uis[0], uis[-1] + 1))
            continue
        if all(u.type == DIGIT for u in mu):
            r = convention(m.reading)
            if len(mu) == 1 and word_counter and r and not r.isdigit():
                labels[uis[0]] = r
            else:
                for i in uis:
                    labels[i] = units[i].first
            continue
        reading = convention(m.reading, keep_final_u=m.pos == "動詞")
        pieces = _aligned(mu, reading)
        if pieces is None:
            continue
        ls = fix_numeral_continuations(mu, [unit_label(u, p) for u, p in zip(mu, pieces)])
        for i, lab in zip(uis, ls):
            labels[i] = lab
    return text, units, labels


_CACHE: dict[tuple, list[str] | None] = {}


def _aligned(mu: tuple[Unit, ...], reading: str) -> list[str] | None:
    key = (tuple((u.text, u.type) for u in mu), reading)
    if key not in _CACHE:
        if len(reading) > 40 or len(mu) > 20:
            _CACHE[key] = None
        else:
            _CACHE[key] = align(mu, reading)
    return _CACHE[key]


def blank_flags(raw_text: str, text: str, units: list[Unit], starts: list[int]) -> list[int]:
    """1 after a unit when a word starts at the next unit and neither side is punctuation."""
    _, src = normalise(raw_text)
    word_starts = set(starts)
    out = [0] * len(units)
    for i in range(len(units) - 1):
        a, b = units[i], units[i + 1]
        if _is_gap_char(a.first) or _is_gap_char(b.first):
            continue
        if src[b.start] in word_starts and src[b.start] != src[a.start]:
            out[i] = 1
    return out


def read_kwdlc(path: Path, weight: float = 1.0, day_words: bool = True) -> Iterator[Sentence]:
    for line in open(path, encoding="utf-8"):
        r = json.loads(line)
        gold = r["reading"].replace(" ", "")
        ms = r["morphemes"]
        readings = [to_katakana(m["reading"]) for m in ms]
        if sum(map(len, readings)) == len(gold):  # take ワ/エ of the particles from the gold line
            pos = 0
            for k, rd in enumerate(readings):
                readings[k] = gold[pos:pos + len(rd)]
                pos += len(rd)
        morphs = [Morpheme(m["start"], m["surface"], rd, m["pos"], m["pos2"], m["conj_form"])
                  for m, rd in zip(ms, readings)]
        text, units, labels = label_sentence(r["text"], morphs, day_words)
        flags = blank_flags(r["text"], text, units, r.get("braille_words") or r["bunsetsu"])
        yield Sentence(text, units, labels, flags, weight)


def mecab_morphemes(parsed: str) -> list[Morpheme]:
    """MeCab (UniDic) output of one sentence into morphemes with convention readings."""
    out, pos = [], 0
    for line in parsed.split("\n"):
        if not line or line == "EOS" or "\t" not in line:
            continue
        surface, feats = line.split("\t", 1)
        # UniDic quotes fields that hold commas (conjugation types such as "B1SjS,B1S8SjS"
        # before the kana field), so the features are CSV, not a plain comma split.
        f = next(csv.reader([feats]))
        kana = f[20] if len(f) > 20 and f[20] not in ("", "*") else ""
        if not kana:
            kana = f[9] if len(f) > 9 and f[9] not in ("", "*") else ""
        # An unknown word (no reading fields) keeps kana "": it aligns with nothing, so its
        # units get no label rather than their own surface as a reading.
        if f[0] == "助詞" and surface in ("は", "へ"):
            kana = {"は": "ワ", "へ": "エ"}[surface]
        conj = f[5] if len(f) > 5 else ""
        out.append(Morpheme(pos, surface, kana, f[0], "数詞" if f[1] == "数詞" else f[1], conj))
        pos += len(surface)
    return out


def read_annotated(path: Path, weight: float, day_words: bool = True) -> Iterator[Sentence]:
    """Sentences annotated by MeCab: a file of `text TAB parsed` blocks (see annotate.py)."""
    for line in open(path, encoding="utf-8"):
        r = json.loads(line)
        morphs = mecab_morphemes(r["mecab"])
        if "".join(m.surface for m in morphs) != r["text"]:
            continue
        text, units, labels = label_sentence(r["text"], morphs, day_words)
        yield Sentence(text, units, labels, None, weight)


_KANJI_DIGITS = "〇一二三四五六七八九"
#: The day of the month as a word, split as the annotator splits it: the number and 日 (but 一日,
#: one word ツイタチ).
_DAY_WORDS = {1: ("ツイ", "タチ"), 2: ("フツ", "カ"), 3: ("ミッ", "カ"), 4: ("ヨッ", "カ"),
              5: ("イツ", "カ"), 6: ("ムイ", "カ"), 7: ("ナノ", "カ"), 8: ("ヨー", "カ"),
              9: ("ココノ", "カ"), 10: ("トオ", "カ"), 20: ("ハツ", "カ")}
#: Morphemes (surface, reading, part of speech) before and after the date of a sentence; the
#: empty frame is a date on its own, as in a heading or a list.
_DATE_FRAMES = (
    ((), ()),
    ((), (("に", "ニ", "助詞"), ("会っ", "アッ", "動詞"), ("た", "タ", "助動詞"), ("。", "。", "補助記号"))),
    ((), (("の", "ノ", "助詞"), ("朝", "アサ", "名詞"), ("は", "ワ", "助詞"), ("晴れ", "ハレ", "名詞"),
          ("だっ", "ダッ", "助動詞"), ("た", "タ", "助動詞"), ("。", "。", "補助記号"))),
    ((("それ", "ソレ", "代名詞"), ("は", "ワ", "助詞")),
     (("の", "ノ", "助詞"), ("こと", "コト", "名詞"), ("だ", "ダ", "助動詞"), ("。", "。", "補助記号"))),
    ((), (("から", "カラ", "助詞"), ("休み", "ヤスミ", "名詞"), ("です", "デス", "助動詞"),
          ("。", "。", "補助記号"))),
)


def _kanji_number(n: int) -> str:
    tens, ones = divmod(n, 10)
    return ("" if tens < 2 else _KANJI_DIGITS[tens]) + ("十" if tens else "") \
        + (_KANJI_DIGITS[ones] if ones else "")


def _number_reading(n: int) -> str:
    names = ["", "イチ", "ニ", "サン", "ヨン", "ゴ", "ロク", "ナナ", "ハチ", "キュー"]
    tens, ones = divmod(n, 10)
    return ("" if tens < 2 else names[tens]) + ("ジュー" if tens else "") + names[ones]


def calendar_sentences(weight: float = 1.0) -> Iterator[Sentence]:
    """Dates in kanji numerals (四月二十日に会った。, 二十日から休みです。) with the day words read as
    words (ハツカ, ツイタチ, トオカ) and other days as numbers with ニチ (or カ after 4: 十四日 14カ).
    Annotated text has too few of them for the day words to win over the plain number. A day
    without its month is not generated for 一日, which is then mostly イチニチ (one day)."""
    months = {1: "イチ", 2: "ニ", 3: "サン", 4: "シ", 5: "ゴ", 6: "ロク", 7: "シチ", 8: "ハチ",
              9: "ク", 10: "ジュー", 11: "ジューイチ", 12: "ジューニ"}
    dates = [(m, d, _DATE_FRAMES[(m * 31 + d) % len(_DATE_FRAMES)])
             for m in months for d in range(1, 32)]
    dates += [(0, d, frame) for d in range(2, 32) for frame in _DATE_FRAMES]
    for month, day, (head, tail) in dates:
        day_number, day_counter = _DAY_WORDS.get(
            day, (_number_reading(day), "カ" if day % 10 == 4 else "ニチ"))
        if day % 10 == 4 and day > 10:
            day_number = day_number[:-2] + "ヨッ"
        date = ((_kanji_number(day), day_number, "数詞"), ("日", day_counter, "接尾辞"))
        if day == 1:  # one word for the annotator, as in the prose: labelled _ + ツイタチ
            date = (("一日", day_number + day_counter, "名詞"),)
        if month:
            date = ((_kanji_number(month), months[month], "数詞"), ("月", "ガツ", "接尾辞")) + date
        morphs, pos = [], 0
        for surface, reading, pos_name in head + date + tail:
            numeral = pos_name == "数詞"
            morphs.append(Morpheme(pos, surface, reading, "名詞" if numeral else pos_name,
                                   pos_name if numeral else "", ""))
            pos += len(surface)
        raw = "".join(m.surface for m in morphs)
        text, units, labels = label_sentence(raw, morphs)
        yield Sentence(text, units, labels, None, weight)
