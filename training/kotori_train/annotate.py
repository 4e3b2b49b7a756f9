"""Annotation of unlabelled Aozora Bunko prose with MeCab + UniDic, into training/work."""
from __future__ import annotations

import json
import random
import re
from pathlib import Path

from .mecab import parse_many

_SENTENCE = re.compile(r"[^。！？]*[。！？」]*")


def sentences(paragraph: str) -> list[str]:
    return [s for s in _SENTENCE.findall(paragraph) if 4 <= len(s) <= 200]


def annotate_aozora(corpus_dir: Path, out: Path, max_chars: int, seed: int) -> int:
    """Samples sentences (reproducibly, by seed) up to max_chars and writes MeCab's analyses."""
    rng = random.Random(seed)
    pool: list[str] = []
    for shard in sorted(corpus_dir.glob("corpus-*.jsonl")):
        for line in open(shard, encoding="utf-8"):
            pool.extend(sentences(json.loads(line)["text"]))
    rng.shuffle(pool)
    chosen, total = [], 0
    for s in pool:
        if total >= max_chars:
            break
        chosen.append(s)
        total += len(s)
    with open(out, "w", encoding="utf-8") as f:
        for text, parsed in parse_many(chosen):
            f.write(json.dumps({"text": text, "mecab": parsed}, ensure_ascii=False) + "\n")
    return len(chosen)
