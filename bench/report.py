"""The one table the benchmarks print, and the lines above it that say what was measured."""
from __future__ import annotations

import os
import platform
import sys


def ratio(ours: float, peer: float | None) -> str:
    return f"{ours / peer:.2f}x" if peer else "-"


class Rows:
    def __init__(self) -> None:
        self.rows: list[tuple[str, str, str, str, str]] = []

    def add(self, measure: str, kotori: str, peer: str = "-", ratio: str = "-",
            note: str = "") -> None:
        self.rows.append((measure, kotori, peer, ratio, note))

    def skip(self, measure: str, why: str) -> None:
        self.rows.append((measure, "skipped", "-", "-", why))
        print(f"skipped {measure}: {why}", file=sys.stderr)

    def print(self) -> None:
        head = ("measure", "kotori", "peer", "kotori/peer", "notes")
        widths = [max(len(r[i]) for r in [head, *self.rows]) for i in range(4)]

        def line(r):
            cells = [r[i].ljust(widths[i]) if i == 0 else r[i].rjust(widths[i]) for i in range(4)]
            return "| " + " | ".join(cells + [r[4]]) + " |"

        print(line(head))
        print("|" + "|".join("-" * (w + 2) for w in widths) + "|---|")
        for r in self.rows:
            print(line(r))


def header(ja, en, models: dict, args) -> None:
    load = ", ".join(f"{x:.1f}" for x in os.getloadavg())
    print(f"Japanese corpus: {ja.name}: {ja.chars:,} characters, "
          f"{ja.utf8_bytes / 1e6:.1f} MB UTF-8, {len(ja.lines):,} lines")
    print(f"English lines: {en.name}: {len(en.lines):,} lines, {en.chars:,} characters")
    for w, (_, label) in sorted(models.items()):
        print(f"model w={w}: {label}")
    if any("fixture" in label for _, label in models.values()):
        print("NOTE: fixture model rows time a stand-in of realistic size with random weights, "
              "not the trained model.")
    print(f"rates: CPU time (user + system) of the measuring process, best of {args.repeat}; "
          f"single thread; Python {platform.python_version()}; {platform.machine()}; "
          f"{os.cpu_count()} CPUs; load average {load}")
    print()
