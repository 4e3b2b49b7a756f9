"""Input lines: files or standard input, read as bytes and decoded line by line."""

from __future__ import annotations

import sys
from collections.abc import Callable, Iterator
from dataclasses import dataclass
from typing import BinaryIO

STDIN_NAME = "-"
_BOM = b"\xef\xbb\xbf"


@dataclass(frozen=True, slots=True)
class Line:
    """One input line. `text` is None when its bytes are not UTF-8; `problem` then says why."""

    name: str  # the file as the user named it, "<stdin>" for standard input
    number: int  # 1-based
    text: str | None
    ending: str  # "\n", "\r\n", or "" for a last line without a line break
    problem: str | None = None


def _decode(raw: bytes) -> tuple[str | None, str | None]:
    try:
        return raw.decode("utf-8"), None
    except UnicodeDecodeError as error:
        bad = raw[error.start : error.end]
        return None, f"not valid UTF-8 (byte {bad[0]:#04x} at byte {error.start + 1} of the line)"


def lines_of(stream: BinaryIO, name: str) -> Iterator[Line]:
    """Yields the lines of a binary stream. A byte-order mark at the start is dropped."""
    for number, raw in enumerate(stream, start=1):
        if number == 1 and raw.startswith(_BOM):
            raw = raw[len(_BOM) :]
        ending = ""
        if raw.endswith(b"\n"):
            ending = "\r\n" if raw.endswith(b"\r\n") else "\n"
            raw = raw[: -len(ending)]
        text, problem = _decode(raw)
        yield Line(name, number, text, ending, problem)


def read_inputs(paths: list[str], report: Callable[[str], None]) -> Iterator[Line]:
    """Yields the lines of every input in turn; standard input when `paths` is empty or "-".

    A file that cannot be opened or read is reported through `report` and the next one follows.
    """
    for path in paths or [STDIN_NAME]:
        if path == STDIN_NAME:
            yield from lines_of(sys.stdin.buffer, "<stdin>")
            continue
        try:
            with open(path, "rb") as stream:
                yield from lines_of(stream, path)
        except OSError as error:
            report(f"{path}: cannot read: {error.strerror or error}")


def count_lines(paths: list[str]) -> int | None:
    """The number of lines in the named files, or None when one of them is standard input or
    cannot be read (the progress display then counts without a total)."""
    total = 0
    for path in paths or [STDIN_NAME]:
        if path == STDIN_NAME:
            return None
        try:
            with open(path, "rb") as stream:
                last = b""
                while chunk := stream.read(1 << 20):
                    total += chunk.count(b"\n")
                    last = chunk
                if last and not last.endswith(b"\n"):
                    total += 1
        except OSError:
            return None
    return total
