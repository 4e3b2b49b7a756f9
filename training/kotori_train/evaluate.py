"""Dev evaluation helpers: a predictor factory for the shared scorer, and error rates by word
category (kanji words, numerals and counters, names, kana words, long vowels, particles).

    KOTORI_MODEL=models/basic_data_7.kbm python reading_eval.py --gold dev.jsonl \
        --system-py kotori_train.evaluate:from_env
    python -m kotori_train.evaluate --gold dev.jsonl --model models/basic_data_7.kbm
    python -m kotori_train.evaluate --gold dev.jsonl --mecab
"""
from __future__ import annotations

import argparse
import importlib.util
import json
import os
import sys

from . import SHARED_DIR
from .labels import convention
from .text import to_katakana

_O_U = set("オコソトノホモヨロゴゾドボポョウクスツヌフムユルグズヅブプュ")


def from_env():
    import kotori_py
    return kotori_py.Predictor(os.environ["KOTORI_MODEL"]).predict


def _scorer(path: str):
    spec = importlib.util.spec_from_file_location("reading_eval", path)
    mod = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(mod)
    return mod


def categories(m: dict, following_numeral: bool) -> list[str]:
    out = []
    s, pos2 = m["surface"], m["pos2"]
    if pos2 in ("人名", "地名", "組織名"):
        out.append("names")
    elif pos2 == "数詞" or following_numeral:
        out.append("numerals/counters")
    elif any("\u3400" <= c <= "\u9fff" or c == "々" for c in s):
        out.append("kanji words")
    elif all("\u3041" <= c <= "\u30ff" for c in s):
        out.append("particles" if m["pos"] == "助詞" else "kana words")
    r = to_katakana(m["reading"])
    if any(r[i] == "ウ" and r[i - 1] in _O_U for i in range(1, len(r))) or "ー" in r:
        out.append("long vowels")
    return out


def category_errors(gold_path: str, hyps: dict, scorer) -> dict:
    """Share of gold morphemes per category whose reading differs (canonical forms)."""
    tally: dict[str, list[int]] = {}
    for line in open(gold_path, encoding="utf-8"):
        g = json.loads(line)
        h = hyps.get(g["id"])
        if not h or h.get("k2s") is None:
            continue
        reading, k2s = h["reading"], h["k2s"]
        gold_reading = g["reading"].replace(" ", "")
        pos = 0
        prev_num = False
        for m in g["morphemes"]:
            ref = gold_reading[pos:pos + len(m["reading"])]
            pos += len(m["reading"])
            cats = categories(m, prev_num and m["pos"] == "接尾辞")
            prev_num = m["pos2"] == "数詞"
            if not cats or any(c in "０１２３４５６７８９" or c.isascii() for c in m["surface"]):
                continue
            a, b = m["start"], m["start"] + len(m["surface"])
            hyp = "".join(ch for ch, s in zip(reading, k2s) if a <= s < b)
            wrong = scorer.canonical(convention(ref)) != scorer.canonical(hyp)
            for c in cats:
                t = tally.setdefault(c, [0, 0])
                t[0] += 1
                t[1] += wrong
    return {c: {"morphemes": n, "wrong": w, "error %": round(100 * w / n, 2)}
            for c, (n, w) in sorted(tally.items())}


def main() -> None:
    p = argparse.ArgumentParser()
    p.add_argument("--gold", required=True)
    p.add_argument("--scorer", default=str(SHARED_DIR / "tools" / "reading_eval.py"))
    g = p.add_mutually_exclusive_group(required=True)
    g.add_argument("--model")
    g.add_argument("--mecab", action="store_true")
    a = p.parse_args()
    scorer = _scorer(a.scorer)
    gold = [json.loads(line) for line in open(a.gold, encoding="utf-8")]
    hyps = {}
    if a.mecab:
        from .baseline_mecab import reading_and_blanks
        from .mecab import parse_many
        for gl, (_, parsed) in zip(gold, parse_many([x["text"] for x in gold])):
            r = reading_and_blanks(parsed)
            hyps[gl["id"]] = {"reading": r["reading"], "k2s": r["kana_to_source"]}
    else:
        import kotori_py
        pred = kotori_py.Predictor(a.model)
        for gl in gold:
            r = pred.predict(gl["text"])
            hyps[gl["id"]] = {"reading": r.kana, "k2s": list(r.kana_to_source)}
    json.dump(category_errors(a.gold, hyps, scorer), sys.stdout, ensure_ascii=False, indent=1)
    print()


if __name__ == "__main__":
    main()
