"""Benchmarks of kotori_py against the peers users would pick instead; prints one table.

    python bench/run.py [--data ../shared/data] [--module-dir DIR] [--models DIR] [--quick]

Reading: characters per second of Predictor.predict for windows 4, 5 and 7 against MeCab with
UniDic on the same corpus, model load time and peak RSS per model (one process per model).
English braille: lines per second of translate_english against liblouis (en-ueb-g2.ctb), called
through ctypes from this interpreter and through python3-louis from Debian's python3. Japanese
braille: lines per second of translate_japanese on the predicted readings of the corpus.
Scaling: time for 1x, 4x and 16x an input, line by line and as one text.

Installs nothing: a missing peer is named with what it needs, and its row is skipped. Rates
come from the CPU time (user + system) of the measuring process, best of --repeat passes, so
that other work on the machine inflates them as little as possible; wall times are in --json.
See bench/README.md.
"""
from __future__ import annotations

import argparse
import json
import os
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
REPO = HERE.parent
sys.path.insert(0, str(HERE))

import corpus  # noqa: E402
import peers  # noqa: E402
import report  # noqa: E402
import scaling  # noqa: E402

WINDOWS = (4, 5, 7)


def parse_args() -> argparse.Namespace:
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--data", type=Path, default=REPO.parent / "shared" / "data",
                   help="development data folder (default: ../shared/data beside the repo)")
    p.add_argument("--chars", type=int, default=1_000_000,
                   help="characters of Japanese text in the reading corpus")
    p.add_argument("--module-dir", type=Path, help="folder holding a built kotori_py module")
    p.add_argument("--models", type=Path,
                   help="folder with basic_data_{4,5,7}.kbm (default: beside the module, then "
                        "models/ of the repo, then a fixture model)")
    p.add_argument("--fixture", action="store_true", help="time fixture models only")
    p.add_argument("--repeat", type=int, default=3, help="passes per measurement (best kept)")
    p.add_argument("--quick", action="store_true", help="a tenth of the corpus, one pass")
    p.add_argument("--work", type=Path, default=Path(tempfile.gettempdir()) / "kotori-bench",
                   help="scratch folder for corpus files, outputs and fixture models")
    p.add_argument("--ueb-bench", type=Path, help="built bench/ueb_bench.cpp, for a C++ row")
    p.add_argument("--skip", default="", help="comma list of: reading,english,japanese,scaling")
    p.add_argument("--json", type=Path, help="write every figure measured to this file")
    p.add_argument("--profile", choices=("callgrind", "perf"),
                   help="instead of the table: profile predict() of the widest model")
    p.add_argument("--profile-chars", type=int, default=20_000,
                   help="characters of the corpus the profile runs on")
    args = p.parse_args()
    if args.quick:
        args.chars //= 10
        args.repeat = 1
    return args


def child_env(module_dir: Path | None) -> dict:
    env = dict(os.environ)
    if module_dir:
        env["PYTHONPATH"] = os.pathsep.join(
            [str(module_dir.resolve())] + [p for p in [env.get("PYTHONPATH")] if p])
    return env


def find_models(args, module_file: Path, work: Path) -> dict[int, tuple]:
    """window -> (worker model spec, label)."""
    found: dict[int, tuple] = {}
    for w in WINDOWS:
        name = f"basic_data_{w}.kbm"
        if args.fixture:
            break
        if args.models:
            if (args.models / name).is_file():
                found[w] = (str(args.models / name), f"{args.models.name}/{name}")
        elif (module_file.parent / name).is_file():
            found[w] = (f"bundled:{w}", f"bundled {name}")
        elif (REPO / "models" / name).is_file():
            found[w] = (str(REPO / "models" / name), f"models/{name}")
    for w in [w for w in WINDOWS if w not in found]:
        path = work / f"fixture_{w}.kbm"
        if not path.is_file():
            # In a child process, so that this one stays small: every child inherits its
            # peak RSS in ru_maxrss (MeCab's figure comes from there).
            print(f"building fixture model, window {w} ...", file=sys.stderr)
            run = peers.run_measured([sys.executable, str(HERE / "fixture_model.py"),
                                      str(args.data), str(w), str(path)])
            if run.returncode != 0:
                raise SystemExit(f"fixture model: {run.stderr.strip()}")
        found[w] = (str(path), f"fixture model (window {w}, random weights)")
    return found


def worker(env: dict, *argv: str) -> dict | str:
    run = peers.run_measured([sys.executable, str(HERE / "worker.py"), *argv], env=env)
    if run.returncode != 0:
        return f"failed: {run.stderr.strip().splitlines()[-1:] or run.returncode}"
    return json.loads(run.stdout)


def bench_reading(args, env, models, ja_file: Path, rows: report.Rows,
                  results: dict) -> Path | None:
    mecab = peers.find_mecab()
    mecab_rate = None
    if isinstance(mecab, str):
        rows.skip("reading: MeCab + UniDic", mecab)
    else:
        empty = args.work / "empty.txt"
        empty.write_text("")
        start = min((peers.mecab_reading(*mecab, empty, args.work / "empty.out")
                     for _ in range(args.repeat)), key=lambda r: r.cpu_s)
        full = min((peers.mecab_reading(*mecab, ja_file, args.work / "mecab.out")
                    for _ in range(args.repeat)), key=lambda r: r.cpu_s)
        chars = sum(map(len, corpus.read_lines(ja_file)))
        mecab_rate = chars / max(full.cpu_s - start.cpu_s, 1e-9)
        results["mecab"] = {"start": vars(start), "full": vars(full), "dic": str(mecab[1])}
        for r in (start, full):
            r.stdout = r.stderr = ""
        rows.add("reading chars/s: MeCab + UniDic (pron field)", f"{mecab_rate:,.0f}",
                 note=f"start-up {start.cpu_s:.3f} s CPU excluded; peak RSS "
                      f"{full.maxrss_kb / 1024:.0f} MiB; {mecab[1]}")
    kana_file = None
    for w, (spec, label) in sorted(models.items()):
        # The readings of the widest model feed the Japanese braille rows.
        dump = args.work / f"kana_{w}.txt"
        extra = ["--dump", str(dump)] if w == max(models) else []
        r = worker(env, "reading", spec, str(ja_file), "--repeat", str(args.repeat), *extra)
        results[f"reading_{w}"] = r
        if isinstance(r, str):
            rows.skip(f"reading w={w}", r)
            continue
        if extra:
            kana_file = dump
        rate = r["chars"] / r["cpu_s"]
        rows.add(f"reading chars/s: kotori w={w}", f"{rate:,.0f}",
                 f"{mecab_rate:,.0f}" if mecab_rate else "-",
                 report.ratio(rate, mecab_rate), label)
        rows.add(f"model load s: w={w}", f"{r['load_cpu_s']:.3f}", note=f"{label}; target < 0.3 s")
        model_mb = (r["rss_after_load_kb"] - r["rss_before_load_kb"]) / 1024
        rows.add(f"peak RSS MiB: w={w}", f"{r['maxrss_kb'] / 1024:.0f}",
                 f"{full.maxrss_kb / 1024:.0f}" if mecab_rate else "-",
                 note=f"whole process; loading the model added {model_mb:.0f} MiB")
    return kana_file


def bench_english(args, env, en_file: Path, rows: report.Rows, results: dict) -> None:
    repeat = str(args.repeat)
    ours = worker(env, "braille", "english", str(en_file), "--repeat", repeat,
                  "--dump", str(args.work / "en.kotori"))
    results["english_kotori"] = ours
    if isinstance(ours, str):
        rows.skip("English braille: kotori", ours)
        return
    rate = ours["lines"] / ours["cpu_s"]
    lines = corpus.read_lines(en_file)
    louis = peers.load_louis()
    if isinstance(louis, str):
        rows.skip("English braille: liblouis via ctypes", louis)
    else:
        import worker as w

        t = w.timed(lambda: [louis.translate(line) for line in lines], args.repeat)
        results["english_liblouis_ctypes"] = t
        peer = len(lines) / t["cpu_s"]
        ours_cells = corpus.read_lines(args.work / "en.kotori")
        same = sum(a == louis.translate(b) for a, b in zip(ours_cells, lines))
        rows.add("English braille lines/s: kotori vs liblouis (ctypes)", f"{rate:,.0f}",
                 f"{peer:,.0f}", report.ratio(rate, peer),
                 f"liblouis {louis.version} {peers.UEB_TABLE}; same cells on "
                 f"{100 * same / len(lines):.1f} % of {len(lines)} lines")
    py3 = peers.python3_louis(HERE / "louis_py3.py", en_file, args.repeat)
    results["english_python3_louis"] = py3
    if isinstance(py3, str):
        rows.skip("English braille: python3-louis", py3)
    else:
        peer = py3["lines"] / py3["cpu_s"]
        rows.add("English braille lines/s: kotori vs python3-louis", f"{rate:,.0f}",
                 f"{peer:,.0f}", report.ratio(rate, peer), "Debian python3 " + py3["version"])
    rows.add("BrailleTranslator() s", f"{ours['load_cpu_s']:.3f}",
             note="first construction builds the embedded tables")
    if args.ueb_bench:
        run = peers.run_measured([str(args.ueb_bench), str(en_file)])
        if run.returncode == 0:
            r = json.loads(run.stdout)
            results["english_ueb_bench"] = r
            cpu = r.get("cpu_seconds")
            rate = r["lines"] / cpu if cpu else r["lines_per_second"]
            rows.add("English braille lines/s: C++ translate_english_line", f"{rate:,.0f}",
                     note="bench/ueb_bench.cpp, no Python; "
                          + ("CPU time" if cpu else "wall clock"))
        else:
            rows.skip("English braille: ueb_bench", run.stderr.strip()[-200:])


def bench_japanese(args, env, kana_file: Path | None, rows: report.Rows, results: dict) -> None:
    if kana_file is None:
        rows.skip("Japanese braille", "needs the readings of a reading row")
        return
    r = worker(env, "braille", "japanese", str(kana_file), "--repeat", str(args.repeat))
    results["japanese_kotori"] = r
    if isinstance(r, str):
        rows.skip("Japanese braille", r)
        return
    rows.add("Japanese braille lines/s: translate_japanese", f"{r['lines'] / r['cpu_s']:,.0f}",
             note=f"readings of the corpus ({kana_file.name}), {r['chars'] / r['cpu_s']:,.0f} "
                  "chars/s; no peer")


def main() -> int:
    args = parse_args()
    args.work.mkdir(parents=True, exist_ok=True)
    if args.module_dir:
        sys.path.insert(0, str(args.module_dir.resolve()))
    try:
        import kotori_py
    except ImportError as e:
        print(f"kotori_py cannot be imported ({e}): install it (pip install .) or pass "
              "--module-dir with the folder of a built kotori_py*.so", file=sys.stderr)
        return 2
    env = child_env(args.module_dir)
    skip = set(filter(None, args.skip.split(",")))
    ja = corpus.japanese(args.data, args.chars)
    en = corpus.english(args.chars)
    ja_file = ja.write(args.work / "ja.txt")
    en_file = en.write(args.work / "en.txt")
    models = find_models(args, Path(kotori_py.__file__), args.work)
    if args.profile:
        import profiling

        w = max(models)
        print(f"model w={w}: {models[w][1]}")
        print(profiling.run(args.profile, env, models[w][0], ja, args.work, args.profile_chars))
        return 0
    rows = report.Rows()
    results: dict = {"corpus": {"japanese": ja.name, "english": en.name}}
    kana_file = None
    if "reading" not in skip:
        kana_file = bench_reading(args, env, models, ja_file, rows, results)
    if "english" not in skip:
        bench_english(args, env, en_file, rows, results)
    if "japanese" not in skip:
        bench_japanese(args, env, kana_file, rows, results)
    if "scaling" not in skip:
        w = max(models)
        scaling.run(args, env, worker, models[w], ja, en, kana_file, rows, results)
    report.header(ja, en, models, args)
    rows.print()
    if args.json:
        args.json.write_text(json.dumps(results, indent=1, ensure_ascii=False) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
