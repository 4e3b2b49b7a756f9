"""The MeCab + UniDic baseline: readings from the pronunciation field, blanks from a small
part-of-speech chunker. Reads texts on stdin, writes one JSON object a line, for
`reading_eval.py --system-cmd "python -m kotori_train.baseline_mecab"`."""
from __future__ import annotations

import json
import sys

from .mecab import parse_many

_JOINING = {"助詞", "助動詞", "接尾辞", "補助記号", "空白"}


def reading_and_blanks(parsed: str) -> dict:
    reading: list[str] = []
    k2s: list[int] = []
    pos, prev = 0, None
    for line in parsed.split("\n"):
        if "\t" not in line:
            continue
        surface, feats = line.split("\t", 1)
        f = feats.split(",")
        pron = f[9] if len(f) > 9 and f[9] not in ("", "*") else surface
        starts = prev is not None and f[0] not in _JOINING and prev not in ("接頭辞",) \
            and not (f[0] == "動詞" and f[1] == "非自立可能" and prev != "助詞-接続助詞")
        if f[0] == "動詞" and f[1] == "非自立可能" and prev == "助詞-接続助詞":
            starts = True
        if f[0] == "形容詞" and f[1] == "非自立可能":
            starts = prev == "助詞-接続助詞"
        if prev in ("名詞", "接頭辞") and f[0] == "名詞":
            starts = False  # compounds and prefixed nouns stay one word
        if starts and reading:
            reading.append(" ")
            k2s.append(pos)
        for ch in pron:
            reading.append(ch)
            k2s.append(pos)
        prev = f[0] + ("-" + f[1] if f[0] == "助詞" else "")
        pos += len(surface)
    return {"reading": "".join(reading), "kana_to_source": k2s}


def main() -> None:
    texts = [line.rstrip("\n") for line in sys.stdin]
    for _, parsed in parse_many(texts):
        print(json.dumps(reading_and_blanks(parsed), ensure_ascii=False))


if __name__ == "__main__":
    main()
