"""Where the predictor spends its time: callgrind (or perf) over predict() on a corpus slice.

Called by `run.py --profile callgrind|perf`. callgrind counts instructions only inside
Predictor.predict (collection toggled on that function), so interpreter start-up, corpus
reading and model loading stay out; perf samples the whole worker process.
"""
from __future__ import annotations

import shutil
import subprocess
import sys
from pathlib import Path

import corpus

HERE = Path(__file__).resolve().parent


def _slice(ja: corpus.Corpus, work: Path, chars: int) -> Path:
    return corpus.slice_chars(ja, chars).write(work / "profile_slice.txt")


def callgrind(env: dict, spec: str, ja: corpus.Corpus, work: Path, chars: int, top: int) -> str:
    if shutil.which("valgrind") is None or shutil.which("callgrind_annotate") is None:
        return "callgrind needs the Debian package valgrind"
    out = work / "callgrind.out"
    slice_file = _slice(ja, work, chars)
    cmd = ["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}",
           "--collect-atstart=no", "--toggle-collect=*predictor_predict*",
           sys.executable, str(HERE / "worker.py"), "reading", spec, str(slice_file)]
    run = subprocess.run(cmd, env=env, capture_output=True, text=True)
    if run.returncode != 0:
        return f"callgrind failed: {run.stderr.strip()[-400:]}"
    annotate = subprocess.run(["callgrind_annotate", "--inclusive=no", str(out)],
                              capture_output=True, text=True)
    lines = annotate.stdout.splitlines()
    start = next((i for i, l in enumerate(lines) if "file:function" in l), 0)
    totals = [l for l in lines if "PROGRAM TOTALS" in l]
    body = [l[:160] for l in lines[start:start + top + 2] if l.strip()]
    return "\n".join([f"callgrind, exclusive instruction counts, predict() on {chars:,} chars "
                      f"({out})", *totals, *body])


def perf(env: dict, spec: str, ja: corpus.Corpus, work: Path, chars: int, top: int) -> str:
    if shutil.which("perf") is None:
        return "perf needs the Debian package linux-perf"
    data = work / "perf.data"
    slice_file = _slice(ja, work, chars)
    cmd = ["perf", "record", "-F", "2000", "-o", str(data), sys.executable,
           str(HERE / "worker.py"), "reading", spec, str(slice_file)]
    run = subprocess.run(cmd, env=env, capture_output=True, text=True)
    if run.returncode != 0:
        return f"perf record failed: {run.stderr.strip()[-400:]}"
    report = subprocess.run(["perf", "report", "-i", str(data), "--no-children", "--stdio",
                             "-g", "none", "--percent-limit", "0.5"],
                            capture_output=True, text=True)
    rows = [l[:160] for l in report.stdout.splitlines() if "%" in l and not l.startswith("#")]
    return "\n".join([f"perf, self time of the whole worker on {chars:,} chars ({data})",
                      *rows[:top]])


def run(tool: str, env: dict, spec: str, ja: corpus.Corpus, work: Path, chars: int,
        top: int = 20) -> str:
    return (callgrind if tool == "callgrind" else perf)(env, spec, ja, work, chars, top)
