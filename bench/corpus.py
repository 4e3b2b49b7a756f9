"""The texts the benchmarks run on, read from the development data and from Debian's own files.

Nothing here is copied into the repository: the Japanese corpus is read from the Aozora Bunko
shards of the development data, the English lines from Debian packages.
"""
from __future__ import annotations

import json
import os
from dataclasses import dataclass
from pathlib import Path

#: The shard read by default: the smallest, and a random sample of works like every shard.
DEFAULT_SHARD = "corpus-07.jsonl"
ENGLISH_DIR = Path("/usr/share/common-licenses")


@dataclass
class Corpus:
    name: str  # what the output states as the corpus
    lines: list[str]

    @property
    def chars(self) -> int:
        return sum(len(line) for line in self.lines)

    @property
    def utf8_bytes(self) -> int:
        return sum(len(line.encode("utf-8")) for line in self.lines)

    def write(self, path: Path) -> Path:
        """One line per entry, LF-terminated, for the worker processes and for MeCab."""
        path.write_text("".join(line + "\n" for line in self.lines), encoding="utf-8")
        return path


def read_lines(path: Path) -> list[str]:
    return path.read_text(encoding="utf-8").split("\n")[:-1]


def _one_line(text: str) -> str:
    return " ".join(text.replace("\r", "\n").split("\n"))


def japanese(data_dir: Path, max_chars: int, shard: str = DEFAULT_SHARD) -> Corpus:
    """Whole Aozora paragraphs, in the shard's order, until `max_chars` characters are reached."""
    path = data_dir / "aozora" / shard
    if not path.is_file():
        raise FileNotFoundError(
            f"{path} not found: pass --data with the folder that holds aozora/{shard}")
    lines: list[str] = []
    total = 0
    with path.open(encoding="utf-8") as f:
        for record in f:
            text = _one_line(json.loads(record)["text"]).strip()
            if not text:
                continue
            lines.append(text)
            total += len(text)
            if total >= max_chars:
                break
    name = f"Aozora Bunko (development data aozora/{shard}), first {len(lines)} paragraphs"
    return Corpus(name, lines)


def _lines_of(text: str) -> list[str]:
    return [line.strip() for line in text.splitlines() if line.strip()]


def english(max_chars: int = 1_000_000) -> Corpus:
    """English prose lines: the King James Bible from Debian's bible-kjv, the corpus of
    ueb_vs_liblouis.py, cut to `max_chars`; without it, the licence texts of base-files."""
    from ueb_vs_liblouis import kjv_text

    text = kjv_text()
    if text is not None:
        whole = Corpus("King James Bible (Debian bible-kjv, as ueb_vs_liblouis.py reads it)",
                       _lines_of(text))
        part = slice_chars(whole, max_chars)
        part.name = f"{whole.name}, first {len(part.lines):,} lines"
        return part
    if not ENGLISH_DIR.is_dir():
        raise FileNotFoundError(f"{ENGLISH_DIR} not found (Debian package base-files)")
    seen: set[str] = set()
    lines: list[str] = []
    for path in sorted(ENGLISH_DIR.iterdir()):
        real = os.path.realpath(path)
        if real in seen or not path.is_file():
            continue
        seen.add(real)
        lines.extend(_lines_of(path.read_text(encoding="utf-8", errors="replace")))
    return Corpus(f"Debian {ENGLISH_DIR} ({len(seen)} licence texts)", lines)


def repeated(corpus: Corpus, times: int) -> Corpus:
    return Corpus(f"{corpus.name} x{times}", corpus.lines * times)


def slice_chars(corpus: Corpus, max_chars: int) -> Corpus:
    """The first lines of `corpus` that together reach `max_chars` characters."""
    lines: list[str] = []
    total = 0
    for line in corpus.lines:
        if total >= max_chars:
            break
        lines.append(line)
        total += len(line)
    return Corpus(f"{corpus.name}, first {total} characters", lines)
