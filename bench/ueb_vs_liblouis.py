#!/usr/bin/env python3
"""Lines per second of our English braille route against liblouis on the same lines.

Both sides translate every line of one corpus (about 10 MB of English prose) to Unicode UEB
grade 2. Our side runs through the Python module when `kotori_py` can be imported here, and
otherwise through the `ueb_bench` executable (built on demand with -DKOTORI_BUILD_BENCH=ON);
liblouis runs through its Python binding (Debian: python3-louis, liblouis-bin) with the table
en-ueb-g2.ctb. The report gives both rates, their ratio, the number of lines our side failed
to translate (an error, or output that is not braille cells with one index per character) and
how many lines the two translators write identically.

The default corpus is the King James Bible (public domain) as printed by the `bible` program of
Debian's bible-kjv package, repeated up to the target size; without it, the plain-text English
documentation under /usr/share/doc is used. --corpus FILE takes any UTF-8 text file instead.

Usage: python3 bench/ueb_vs_liblouis.py [--corpus FILE] [--megabytes 10] [--ueb-bench PATH]
"""

from __future__ import annotations

import argparse
import gzip
import json
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
LOUIS_TABLES = ["unicode.dis", "en-ueb-g2.ctb"]


def kjv_text() -> str | None:
    """The whole King James Bible from the `bible` program, or None when it is missing."""
    if shutil.which("bible") is None:
        return None
    result = subprocess.run(
        ["bible", "-l80", "gen1:1-rev22:21"],
        stdin=subprocess.DEVNULL,
        capture_output=True,
        check=False,
    )
    text = result.stdout.decode("utf-8", errors="replace")
    return text if len(text) > 1_000_000 else None


def doc_text(limit: int) -> str:
    """Plain-text English documents from /usr/share/doc, up to `limit` bytes."""
    parts: list[str] = []
    size = 0
    for path in sorted(Path("/usr/share/doc").rglob("*")):
        name = path.name.lower()
        if not path.is_file() or not any(k in name for k in ("changelog", "news", "readme")):
            continue
        try:
            raw = gzip.decompress(path.read_bytes()) if name.endswith(".gz") else path.read_bytes()
            text = raw.decode("utf-8")
        except (OSError, ValueError, EOFError):
            continue
        parts.append(text)
        size += len(raw)
        if size >= limit:
            break
    return "".join(parts)


def build_corpus(megabytes: float, out: Path) -> str:
    limit = int(megabytes * 1_000_000)
    text = kjv_text()
    source = "King James Bible (bible-kjv)"
    if text is None:
        text = doc_text(limit)
        source = "plain-text files under /usr/share/doc"
    if not text:
        sys.exit("no corpus found: pass --corpus FILE")
    data = text.encode("utf-8")
    if not data.endswith(b"\n"):
        data += b"\n"
    body = data * (limit // len(data) + 1)
    cut = body.find(b"\n", limit)  # whole lines, just past the target size
    out.write_bytes(body[: cut + 1] if cut >= 0 else body)
    return f"{source} ({len(data) / 1e6:.1f} MB) repeated to the target size"


def ensure_ueb_bench(given: str | None) -> Path:
    if given:
        return Path(given)
    build = REPO / "build-ueb-bench"
    exe = build / "ueb_bench"
    if not exe.exists():
        subprocess.run(
            ["cmake", "-S", str(REPO), "-B", str(build), "-G", "Ninja",
             "-DCMAKE_BUILD_TYPE=Release", "-DKOTORI_BUILD_BENCH=ON",
             "-DKOTORI_BUILD_TESTS=OFF", "-DKOTORI_BUILD_PYTHON=OFF"],
            check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", str(build), "--target", "ueb_bench", "-j2"],
                       check=True, stdout=subprocess.DEVNULL)
    return exe


def is_well_formed(line: str, braille: str, text_to_braille: list[int]) -> bool:
    if any(not 0x2800 <= ord(c) <= 0x28FF for c in braille):
        return False
    if len(text_to_braille) != len(line):
        return False
    return all(0 <= a <= b <= len(braille) for a, b in zip(text_to_braille, text_to_braille[1:]))


def ours_in_process(lines: list[str]) -> dict:
    import kotori_py  # noqa: PLC0415 - optional; the executable is the fallback

    translator = kotori_py.BrailleTranslator()
    start, cpu_start = time.perf_counter(), time.process_time()
    results = [translator.translate_english(line) for line in lines]
    seconds, cpu = time.perf_counter() - start, time.process_time() - cpu_start
    failures = sum(
        not is_well_formed(line, r.braille, list(r.text_to_braille))
        for line, r in zip(lines, results))
    return {"via": "kotori_py.BrailleTranslator.translate_english", "seconds": seconds,
            "cpu": cpu, "failures": failures, "braille": [r.braille for r in results]}


def ours_executable(exe: Path, corpus: Path, lines: list[str]) -> dict:
    with tempfile.TemporaryDirectory() as tmp:
        dump = Path(tmp) / "braille.txt"
        run = subprocess.run([str(exe), str(corpus), "--dump", str(dump)],
                             capture_output=True, text=True, check=False)
        if not run.stdout.strip():
            sys.exit(f"ueb_bench failed: {run.stderr}")
        report = json.loads(run.stdout)
        braille = dump.read_text(encoding="utf-8").split("\n")[: len(lines)]
    if report["lines"] != len(lines):
        sys.exit(f"ueb_bench read {report['lines']} lines, expected {len(lines)}")
    return {"via": f"{exe.name} (C++, translate_english_line)", "seconds": report["seconds"],
            "cpu": report["cpu_seconds"], "failures": report["failures"], "braille": braille}


def liblouis(lines: list[str]) -> dict:
    import louis  # noqa: PLC0415

    out: list[str | None] = []
    failures = 0
    start, cpu_start = time.perf_counter(), time.process_time()
    for line in lines:
        try:
            out.append(louis.translateString(LOUIS_TABLES, line))
        except Exception:  # noqa: BLE001 - any liblouis error counts as a failed line
            out.append(None)
            failures += 1
    seconds, cpu = time.perf_counter() - start, time.process_time() - cpu_start
    return {"via": f"liblouis {louis.version()} ({', '.join(LOUIS_TABLES)})",
            "seconds": seconds, "cpu": cpu, "failures": failures, "braille": out}


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--corpus", help="UTF-8 text file; default: build one")
    parser.add_argument("--megabytes", type=float, default=10.0, help="size of a built corpus")
    parser.add_argument("--ueb-bench", help="path of the ueb_bench executable")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as tmp:
        if args.corpus:
            corpus = Path(args.corpus)
            source = str(corpus)
        else:
            corpus = Path(tmp) / "corpus.txt"
            source = build_corpus(args.megabytes, corpus)
        raw = corpus.read_bytes()
        lines = raw.decode("utf-8", errors="replace").split("\n")
        if lines and lines[-1] == "":
            lines.pop()  # getline in ueb_bench sees no line after the final newline

        try:
            ours = ours_in_process(lines)
        except ImportError:
            ours = ours_executable(ensure_ueb_bench(args.ueb_bench), corpus, lines)
        theirs = liblouis(lines)

    same = sum(a == b for a, b in zip(ours["braille"], theirs["braille"]))
    ours_rate = len(lines) / ours["seconds"]
    theirs_rate = len(lines) / theirs["seconds"]
    print(f"corpus: {source}; {len(raw) / 1e6:.1f} MB, {len(lines)} lines")
    print(f"ours:     {ours_rate:12.0f} lines/s  ({ours['seconds']:.2f} s)  via {ours['via']}")
    print(f"liblouis: {theirs_rate:12.0f} lines/s  ({theirs['seconds']:.2f} s)  "
          f"via {theirs['via']}")
    print(f"ratio ours/liblouis: {ours_rate / theirs_rate:.2f} (wall clock), "
          f"{theirs['cpu'] / ours['cpu']:.2f} (CPU time: {ours['cpu']:.2f} s against "
          f"{theirs['cpu']:.2f} s)")
    print(f"lines failed: ours {ours['failures']}, liblouis {theirs['failures']}")
    print(f"lines written identically: {same} of {len(lines)} ({100 * same / len(lines):.1f} %)")
    sys.exit(1 if ours["failures"] else 0)


if __name__ == "__main__":
    main()
