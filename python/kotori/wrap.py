"""Wrapping a line of braille cells to a fixed number of cells per line."""

from __future__ import annotations

from .brf import BRAILLE_BLANK


def _skip_blanks(cells: str, position: int) -> int:
    while position < len(cells) and cells[position] == BRAILLE_BLANK:
        position += 1
    return position


def wrap_cells(cells: str, width: int) -> list[str]:
    """Cuts a line of cells into lines of at most `width` cells, breaking at blank cells.

    The blanks at a break are dropped; blanks at the start of the line (an indentation) are kept on
    its first part unless they fill a whole line. A run of cells longer than `width` with no blank
    in it is cut at `width` cells, since no line may be longer than the page. A line that fits
    comes back as is; a line of blanks only comes back as one empty line at most.
    """
    if width < 1:
        raise ValueError("width must be at least 1")
    parts: list[str] = []
    start = 0
    while len(cells) - start > width:
        end = start + width
        cut = cells.rfind(BRAILLE_BLANK, start, end + 1)
        head = cells[start:cut].rstrip(BRAILLE_BLANK) if cut > start else ""
        if head:
            parts.append(head)
            start = _skip_blanks(cells, cut)
        elif cells[start:end].strip(BRAILLE_BLANK) == "":
            # An indentation as wide as the page: the line starts at its first cell instead.
            start = _skip_blanks(cells, start)
        else:
            # No blank to break at: cut the word itself.
            parts.append(cells[start:end])
            start = end
        if start == len(cells):
            return parts or [""]
    parts.append(cells[start:])
    return parts
