"""Time for 1x, 4x and 16x an input, to show that the cost per character stays flat.

Each size repeats one slice of the corpus 1, 4 or 16 times, so that every size holds the same
mix of characters and only the length changes; each runs in a fresh worker process. "lines"
calls the method once per line; "one text" hands the whole input to one call, which is where a
cost that grows faster than the input would show.
"""
from __future__ import annotations

from pathlib import Path

import corpus

FACTORS = (1, 4, 16)
ONE_TEXT_BASE = 4_000  # characters of the smallest single-call input


def _series(args, env, worker, name: str, source: corpus.Corpus, base: int, argv) -> list:
    out = []
    piece = corpus.slice_chars(source, base)
    for k in FACTORS:
        path = corpus.repeated(piece, k).write(args.work / f"scale_{name}_{k}.txt")
        r = worker(env, *argv(str(path)))
        if isinstance(r, str):
            return [r]
        out.append(r)
    return out


def _row(rows, measure: str, series: list, results: dict, key: str) -> None:
    results[key] = series
    if len(series) == 1 and isinstance(series[0], str):
        rows.skip(measure, series[0])
        return
    per_char = [r["cpu_s"] / r["chars"] for r in series]
    spread = max(per_char) / min(per_char) - 1
    rows.add(measure, " / ".join(f"{r['cpu_s']:.3g}" for r in series),
             note="s CPU for " + " / ".join(f"{r['chars']:,}" for r in series)
                  + " chars; per char vs 1x: " + " / ".join(f"{p / per_char[0]:.2f}"
                                                             for p in per_char)
                  + f" (spread {100 * spread:.0f} %, target <= 10 %)")


def run(args, env, worker, model, ja: corpus.Corpus, en: corpus.Corpus, kana_file: Path | None,
        rows, results: dict) -> None:
    spec, label = model
    repeat = ["--repeat", str(args.repeat)]
    short = ["--repeat", str(max(args.repeat, 5))]  # the braille calls take milliseconds
    base = max(ja.chars // 16, 1)
    _row(rows, "scaling reading, lines 1x/4x/16x of 1/16 corpus",
         _series(args, env, worker, "reading", ja, base,
                 lambda p: ["reading", spec, p, *repeat]), results, "scaling_reading_lines")
    _row(rows, f"scaling reading, one text 1x/4x/16x of {ONE_TEXT_BASE:,} chars",
         _series(args, env, worker, "one", ja, ONE_TEXT_BASE,
                 lambda p: ["one-text", spec, p, *repeat]), results, "scaling_reading_one")
    _row(rows, "scaling English braille, one line 1x/4x/16x of 10,000 chars",
         _series(args, env, worker, "en", en, 10_000,
                 lambda p: ["braille", "english", p, "--one-line", *short]),
         results, "scaling_english_one_line")
    if kana_file is not None:
        kana = corpus.Corpus(kana_file.name, corpus.read_lines(kana_file))
        _row(rows, "scaling Japanese braille, one line 1x/4x/16x of 16,000 chars",
             _series(args, env, worker, "ja", kana, 16_000,
                     lambda p: ["braille", "japanese", p, "--one-line", *short]),
             results, "scaling_japanese_one_line")
