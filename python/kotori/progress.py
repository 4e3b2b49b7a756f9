"""A one-line progress display on standard error.

Written with the standard library alone: a bar redrawn in place with a carriage return needs a
few dozen lines, and the command stays free of run-time dependencies beyond the extension module
it ships with.
"""

from __future__ import annotations

import shutil
import time
from typing import TextIO

# Inputs shorter than this finish before a bar would tell the user anything.
MIN_LINES = 5000
_REDRAW_SECONDS = 0.1


class Progress:
    """Counts processed lines and redraws a bar at most every tenth of a second.

    Shown only when `stream` is a terminal and the input is long: `total` lines at least
    `min_lines`, or, with no known total, once `min_lines` lines have gone by (a count without a
    bar). `close()` erases the line again so that nothing is left in the terminal's scrollback.
    """

    def __init__(self, stream: TextIO, total: int | None, *, min_lines: int = MIN_LINES):
        self._stream = stream
        self._total = total
        self._min_lines = min_lines
        self._done = 0
        self._last_draw = float("-inf")
        self._drawn_width = 0
        try:
            self._enabled = stream.isatty() and (total is None or total >= min_lines)
        except (AttributeError, ValueError):
            self._enabled = False

    def advance(self, lines: int) -> None:
        self._done += lines
        if not self._enabled or (self._total is None and self._done < self._min_lines):
            return
        now = time.monotonic()
        if now - self._last_draw >= _REDRAW_SECONDS:
            self._last_draw = now
            self._draw()

    def render(self) -> str:
        """The text of the display line for the current count."""
        if self._total is None:
            return f"kotori: {self._done} lines"
        total = max(self._total, 1)
        fraction = min(self._done / total, 1.0)
        tail = f" {fraction * 100:3.0f}% {self._done}/{self._total} lines"
        columns = shutil.get_terminal_size((80, 24)).columns
        bar_width = max(columns - len(tail) - len("kotori: []") - 1, 10)
        filled = int(fraction * bar_width)
        return f"kotori: [{'#' * filled}{'.' * (bar_width - filled)}]{tail}"

    def _draw(self) -> None:
        text = self.render()
        self._stream.write("\r" + text.ljust(self._drawn_width))
        self._stream.flush()
        self._drawn_width = len(text)

    def close(self) -> None:
        if self._drawn_width:
            self._stream.write("\r" + " " * self._drawn_width + "\r")
            self._stream.flush()
            self._drawn_width = 0
