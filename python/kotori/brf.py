"""Braille ASCII (the North American form embossers and braille editors read) for six-dot cells.

Each of the 64 six-dot patterns has exactly one printable ASCII character, U+0020 to U+005F. The
table below lists them by character with the dots they stand for; the Unicode braille pattern of a
cell is U+2800 plus one bit per raised dot (dot 1 = 0x01 ... dot 6 = 0x20, dot 7 = 0x40, dot 8 = 0x80).
"""

from __future__ import annotations

# ASCII character -> raised dots. The blank cell is the space.
DOTS_BY_CHARACTER: dict[str, str] = {
    " ": "", "!": "2346", '"': "5", "#": "3456", "$": "1246", "%": "146", "&": "12346",
    "'": "3", "(": "12356", ")": "23456", "*": "16", "+": "346", ",": "6", "-": "36",
    ".": "46", "/": "34", "0": "356", "1": "2", "2": "23", "3": "25", "4": "256", "5": "26",
    "6": "235", "7": "2356", "8": "236", "9": "35", ":": "156", ";": "56", "<": "126",
    "=": "123456", ">": "345", "?": "1456", "@": "4", "A": "1", "B": "12", "C": "14",
    "D": "145", "E": "15", "F": "124", "G": "1245", "H": "125", "I": "24", "J": "245",
    "K": "13", "L": "123", "M": "134", "N": "1345", "O": "135", "P": "1234", "Q": "12345",
    "R": "1235", "S": "234", "T": "2345", "U": "136", "V": "1236", "W": "2456", "X": "1346",
    "Y": "13456", "Z": "1356", "[": "246", "\\": "1256", "]": "12456", "^": "45", "_": "456",
}

BRAILLE_BLANK = "\u2800"
_PATTERN_BASE = 0x2800
_DOTS_7_8 = 0xC0


def _dot_bits(dots: str) -> int:
    return sum(1 << (int(d) - 1) for d in dots)


# Pattern bits (0-63) -> ASCII character.
_CHARACTER_BY_BITS: tuple[str, ...] = tuple(
    sorted(DOTS_BY_CHARACTER, key=lambda ch: _dot_bits(DOTS_BY_CHARACTER[ch]))
)


class BrfError(ValueError):
    """A cell that braille ASCII cannot write: not a braille pattern, or a pattern with dot 7 or 8."""


def cells_to_brf(cells: str) -> str:
    """Returns the braille ASCII form of a string of Unicode braille cells.

    Dots 7 and 8 have no braille ASCII form. Dropping them would silently turn the cell into a
    different, valid-looking one, so such a cell is an error, as is any character that is not a
    braille pattern.
    """
    out = []
    for position, cell in enumerate(cells):
        bits = ord(cell) - _PATTERN_BASE
        if not 0 <= bits <= 0xFF:
            raise BrfError(f"cell {position + 1} ({cell!r}) is not a braille pattern")
        if bits & _DOTS_7_8:
            raise BrfError(
                f"cell {position + 1} ({cell}) uses dot 7 or 8, which braille ASCII cannot write"
            )
        out.append(_CHARACTER_BY_BITS[bits])
    return "".join(out)
