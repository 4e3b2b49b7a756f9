"""Command line: python -m kotori_train build --window 7 --out models/basic_data_7.kbm"""
from __future__ import annotations

import argparse
import json
import logging
from pathlib import Path

from .build import Config, build


def main() -> None:
    p = argparse.ArgumentParser(prog="kotori_train")
    sub = p.add_subparsers(dest="command", required=True)
    b = sub.add_parser("build", help="train a model and write it as .kbm")
    b.add_argument("--window", type=int, choices=(4, 5, 7), default=7)
    b.add_argument("--out", type=Path, required=True)
    b.add_argument("--seed", type=int, default=1)
    b.add_argument("--kwdlc", type=Path, default=Config.kwdlc_dir)
    b.add_argument("--annotated", type=Path, default=None,
                   help="MeCab-annotated sentences from `annotate`")
    b.add_argument("--annotated-limit", type=int, default=0)
    b.add_argument("--iters", type=int, default=Config.iters)
    b.add_argument("--l2", type=float, default=Config.l2,
                   help="ridge penalty of the classifier and the boundary model")
    b.add_argument("--max-features", type=int, default=Config.max_features)
    b.add_argument("--prune", type=float, default=Config.prune,
                   help="drop classifier weights of smaller magnitude")
    b.add_argument("--boost", type=float, default=Config.boost,
                   help="how far hiragana and numeral kanji keep other labels below their own")
    b.add_argument("--negatives", type=int, default=Config.negatives,
                   help="other labels each hiragana or numeral row is trained against")
    b.add_argument("--no-names", action="store_true")
    b.add_argument("--no-calendar", action="store_true",
                   help="leave out the generated dates in kanji numerals")
    b.add_argument("--cache", type=Path, default=None,
                   help="trained weights (.npz): written after training, reused when present")
    b.add_argument("--report", type=Path, default=None, help="write the training report (JSON)")
    a = sub.add_parser("annotate", help="annotate Aozora Bunko sentences with MeCab + UniDic")
    a.add_argument("--aozora", type=Path, required=True)
    a.add_argument("--out", type=Path, required=True)
    a.add_argument("--chars", type=int, default=4_000_000)
    a.add_argument("--seed", type=int, default=1)
    args = p.parse_args()
    logging.basicConfig(level=logging.INFO, format="%(asctime)s %(message)s")
    if args.command == "annotate":
        from .annotate import annotate_aozora
        n = annotate_aozora(args.aozora, args.out, args.chars, args.seed)
        logging.info("annotated %d sentences", n)
        return
    cfg = Config(window=args.window, seed=args.seed, kwdlc_dir=args.kwdlc,
                 annotated=args.annotated, annotated_limit=args.annotated_limit,
                 iters=args.iters, l2=args.l2, max_features=args.max_features, names=not args.no_names,
                 calendar=not args.no_calendar, cache=args.cache, prune=args.prune,
                 boost=args.boost, negatives=args.negatives)
    build(cfg, args.out)
    text = json.dumps(cfg.report, ensure_ascii=False, indent=1)
    if args.report:
        args.report.write_text(text + "\n", encoding="utf-8")
    print(text)


if __name__ == "__main__":
    main()
