"""One measurement in a fresh interpreter, printed as one JSON object on stdout.

    worker.py reading MODEL CORPUS [--repeat N] [--dump FILE]
    worker.py one-text MODEL CORPUS
    worker.py braille {english,japanese} CORPUS [--repeat N] [--one-line] [--dump FILE]

MODEL is "bundled:W" (Predictor.from_bundled(W)) or the path of a .kbm file. Times are CPU
seconds of this process (user + system) and wall seconds, best of N passes; peak RSS in KiB.
"""
from __future__ import annotations

import argparse
import json
import resource
import sys
import time
from pathlib import Path


def _status_kb(field: str) -> int | None:
    try:
        with open("/proc/self/status", encoding="ascii") as f:
            for line in f:
                if line.startswith(field + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def maxrss_kb() -> int:
    """Peak resident set of this program. VmHWM starts afresh at exec; ru_maxrss would carry
    the peak of the process that forked us."""
    peak = _status_kb("VmHWM")
    return peak if peak is not None else resource.getrusage(resource.RUSAGE_SELF).ru_maxrss


def rss_kb() -> int:
    """Resident set now (0 where /proc is missing)."""
    return _status_kb("VmRSS") or 0


def load_predictor(spec: str):
    import kotori_py

    if spec.startswith("bundled:"):
        return kotori_py.Predictor.from_bundled(int(spec.split(":", 1)[1]))
    return kotori_py.Predictor(spec)


def timed(fn, repeat: int) -> dict:
    """Best CPU time and best wall time over `repeat` passes of fn()."""
    cpu, wall = [], []
    for _ in range(max(1, repeat)):
        c0, w0 = time.process_time(), time.perf_counter()
        fn()
        cpu.append(time.process_time() - c0)
        wall.append(time.perf_counter() - w0)
    return {"cpu_s": min(cpu), "wall_s": min(wall), "passes": len(cpu)}


def reading(args) -> dict:
    lines = Path(args.corpus).read_text(encoding="utf-8").split("\n")[:-1]
    import kotori_py  # noqa: F401  (the import is not part of the load time)

    before = rss_kb()
    c0, w0 = time.process_time(), time.perf_counter()
    predictor = load_predictor(args.model)
    load = {"load_cpu_s": time.process_time() - c0, "load_wall_s": time.perf_counter() - w0}
    after_load = rss_kb()
    predict = predictor.predict
    result = timed(lambda: [predict(line) for line in lines], args.repeat)
    if args.dump:
        with open(args.dump, "w", encoding="utf-8") as f:
            for line in lines:
                f.write(predict(line).kana.replace("\n", " ") + "\n")
    return {**result, **load, "lines": len(lines), "chars": sum(map(len, lines)),
            "rss_before_load_kb": before, "rss_after_load_kb": after_load,
            "maxrss_kb": maxrss_kb()}


def one_text(args) -> dict:
    """The corpus as one text in one predict call: shows whether a long input stays linear."""
    text = "\n".join(Path(args.corpus).read_text(encoding="utf-8").split("\n")[:-1])
    predictor = load_predictor(args.model)
    result = timed(lambda: predictor.predict(text), args.repeat)
    return {**result, "lines": 1, "chars": len(text), "maxrss_kb": maxrss_kb()}


def braille(args) -> dict:
    import kotori_py

    lines = Path(args.corpus).read_text(encoding="utf-8").split("\n")[:-1]
    if args.one_line:
        lines = [" ".join(lines)]
    c0, w0 = time.process_time(), time.perf_counter()
    translator = kotori_py.BrailleTranslator()
    load = {"load_cpu_s": time.process_time() - c0, "load_wall_s": time.perf_counter() - w0}
    translate = (translator.translate_english if args.route == "english"
                 else translator.translate_japanese)
    result = timed(lambda: [translate(line) for line in lines], args.repeat)
    if args.dump:
        with open(args.dump, "w", encoding="utf-8") as f:
            for line in lines:
                f.write(translate(line).braille + "\n")
    return {**result, **load, "lines": len(lines), "chars": sum(map(len, lines)),
            "maxrss_kb": maxrss_kb()}


def main() -> int:
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    sub = p.add_subparsers(dest="command", required=True)
    r = sub.add_parser("reading")
    r.add_argument("model")
    r.add_argument("corpus")
    r.add_argument("--repeat", type=int, default=1)
    r.add_argument("--dump")
    o = sub.add_parser("one-text")
    o.add_argument("model")
    o.add_argument("corpus")
    o.add_argument("--repeat", type=int, default=1)
    b = sub.add_parser("braille")
    b.add_argument("route", choices=("english", "japanese"))
    b.add_argument("corpus")
    b.add_argument("--repeat", type=int, default=1)
    b.add_argument("--one-line", action="store_true")
    b.add_argument("--dump")
    args = p.parse_args()
    run = {"reading": reading, "one-text": one_text, "braille": braille}[args.command]
    print(json.dumps(run(args)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
