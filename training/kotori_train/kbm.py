"""The one writer of .kbm model files (format version 6).

A model is described by plain dataclasses, one per section of the file, and serialised with
`to_bytes` or `write_kbm`. Output is deterministic: the same model always gives the same bytes.

Layout (all little-endian, no gaps): "KOTO", version u8, 3 reserved bytes, n_classes u32,
n_features u32, feature table, labels, class scales, CSC matrix (n_nonzero, colptr, rowind),
weights, class biases, boundary model, name dictionary, single-character table.

By default the writer checks the model against every rule the loader enforces and raises
`KbmError` on the first violation, so that a file it writes always loads. Tests that need a
damaged file pass ``validate=False``; values must still fit their field widths.

numpy is optional: any sequence field may be a numpy array, which is then packed in bulk.
"""
from __future__ import annotations

import struct
from dataclasses import dataclass, field
from enum import IntEnum
from pathlib import Path
from typing import Mapping, Sequence, Union

MAGIC = b"KOTO"
VERSION = 6
MAX_COUNT = 50_000_000
MAX_CLASSES = 65_536
MAX_CAT_COLUMNS = 64
MAX_TREE_DEPTH = 256

#: Character-type codes a feature key may carry.
VALID_CHAR_TYPES = frozenset(
    [0x00, 0x10, 0x11, 0x20, 0x30, 0x31, 0x32, 0x33, 0x34, 0x40, 0x41, 0x42, 0x43, 0x50, 0xFF]
)


class KbmError(ValueError):
    """The model breaks a rule of the format."""


class FeatureType(IntEnum):
    """Feature template codes. Bits 7-6: argument kind (none, char types, u32s, one byte);
    bits 5-4: argument count. Cur is the unit itself, PrevN/NextN the units around it."""

    BIAS = 0x00
    KANJI_RUN_START = 0x01
    TYPE_CUR = 0x50
    TYPE_PREV1 = 0x51
    TYPE_PREV2 = 0x52
    TYPE_NEXT1 = 0x53
    TYPE_NEXT2 = 0x54
    TYPE_PREV3 = 0x55
    TYPE_NEXT3 = 0x56
    TYPE_PREV1_CUR = 0x60
    TYPE_PREV2_PREV1_CUR = 0x70
    TYPE_PREV1_CUR_NEXT1 = 0x71
    TYPE_CUR_NEXT1_NEXT2 = 0x72
    TYPE_PREV3_PREV2_PREV1 = 0x73
    TYPE_NEXT1_NEXT2_NEXT3 = 0x74
    CHAR_CUR = 0x90
    CHAR_PREV1 = 0x91
    CHAR_PREV2 = 0x92
    CHAR_NEXT1 = 0x93
    CHAR_NEXT2 = 0x94
    CHAR_PREV3 = 0x95
    CHAR_NEXT3 = 0x96
    CHAR_PREV1_CUR = 0xA0
    CHAR_PREV2_PREV1 = 0xA1
    CHAR_CUR_NEXT1 = 0xA2
    CHAR_NEXT1_NEXT2 = 0xA3
    CHAR_PREV3_PREV2 = 0xA4
    CHAR_NEXT2_NEXT3 = 0xA5
    UNIT_PAIR = 0xA6
    CHAR_PREV2_PREV1_CUR = 0xB0
    CHAR_PREV1_CUR_NEXT1 = 0xB1
    CHAR_CUR_NEXT1_NEXT2 = 0xB2
    CHAR_PREV3_PREV2_PREV1 = 0xB3
    CHAR_NEXT1_NEXT2_NEXT3 = 0xB4
    CHAR_TRIPLE_B5 = 0xB5
    KANJI_RUN_LENGTH = 0xC0
    NUMERAL_RUN_LENGTH = 0xC1
    NUMERALS_BEFORE_KANJI = 0xC2
    NAME_MARK_CUR = 0xC3
    NAME_MARK_PREV = 0xC4
    NAME_MARK_NEXT = 0xC5


VALID_FEATURE_TYPES = frozenset(int(t) for t in FeatureType)


@dataclass(frozen=True, order=False)
class FeatureKey:
    """One feature: its template code and arguments; unused arguments are zero."""

    kind: int
    byte_arg: int = 0
    char_types: tuple[int, int, int] = (0, 0, 0)
    int_args: tuple[int, int, int] = (0, 0, 0)

    @staticmethod
    def plain(kind: int) -> FeatureKey:
        return FeatureKey(int(kind))

    @staticmethod
    def types(kind: int, *types: int) -> FeatureKey:
        return FeatureKey(int(kind), char_types=_pad3(types))

    @staticmethod
    def ints(kind: int, *args: int) -> FeatureKey:
        return FeatureKey(int(kind), int_args=_pad3(args))

    @staticmethod
    def chars(kind: int, text: str) -> FeatureKey:
        """A u32-group key whose arguments are the code points of `text`."""
        return FeatureKey(int(kind), int_args=_pad3([ord(c) for c in text]))

    @staticmethod
    def byte(kind: int, arg: int) -> FeatureKey:
        return FeatureKey(int(kind), byte_arg=arg)

    @property
    def arg_kind(self) -> int:
        return self.kind >> 6

    @property
    def arg_count(self) -> int:
        return (self.kind >> 4) & 0x3

    def order(self) -> tuple:
        """The key order: kind, byte_arg, char types, then integer arguments, all unsigned."""
        return (self.kind, self.byte_arg, *self.char_types, *self.int_args)

    def wire(self) -> bytes:
        """The kind byte followed by its arguments."""
        n = self.arg_count
        if self.arg_kind == 0:
            return bytes([self.kind])
        if self.arg_kind == 1:
            return bytes([self.kind, *self.char_types[:n]])
        if self.arg_kind == 2:
            return bytes([self.kind]) + struct.pack(f"<{n}I", *self.int_args[:n])
        return bytes([self.kind, self.byte_arg])


def _pad3(values: Sequence[int]) -> tuple[int, int, int]:
    if len(values) > 3:
        raise KbmError(f"a feature key takes at most 3 arguments, got {len(values)}")
    return tuple(int(v) for v in values) + (0,) * (3 - len(values))  # type: ignore[return-value]


@dataclass
class Feature:
    """A feature-table entry: the key and its weight-matrix column."""

    key: FeatureKey
    column: int


@dataclass
class CscWeights:
    """Quantised classifier weights in compressed sparse column form: column j holds entries
    colptr[j] <= i < colptr[j+1], entry i weighing weights[i] (-128..127) towards class
    rowind[i]. colptr has n_features + 1 items and ends at len(rowind)."""

    colptr: Sequence[int]
    rowind: Sequence[int] = ()
    weights: Sequence[int] = ()

    @staticmethod
    def from_columns(
        n_features: int, columns: Mapping[int, Sequence[tuple[int, int]]]
    ) -> CscWeights:
        """Builds the matrix from {column: [(class, weight), ...]}; columns not named are empty."""
        colptr, rowind, weights = [0], [], []
        for j in range(n_features):
            for cls, w in columns.get(j, ()):
                rowind.append(cls)
                weights.append(w)
            colptr.append(len(rowind))
        unknown = [j for j in columns if not 0 <= j < n_features]
        if unknown:
            raise KbmError(f"columns {sorted(unknown)} are outside 0..{n_features - 1}")
        return CscWeights(colptr, rowind, weights)

    @staticmethod
    def empty(n_features: int) -> CscWeights:
        return CscWeights([0] * (n_features + 1))


@dataclass
class LinearBoundary:
    """Boundary score = bias + sum of weights[column] * weight_scale over the known keys."""

    weight_scale: float
    weights: Sequence[int]  # one i8 per feature column (n_features items)
    spare: float = 0.0
    bias: float = 0.0


@dataclass
class Leaf:
    value: float


@dataclass
class Split:
    """Goes to `first` when the column's category is in `cats`, else to `second`; a missing
    column goes to `first` when missing_first is set. `cats` is written ascending."""

    split_feature: int
    missing_first: bool
    cats: Sequence[int]
    first: Node
    second: Node


Node = Union[Leaf, Split]


@dataclass
class VocabularyEntry:
    """A feature key that sets categorical column `column_index` to `category`."""

    key: FeatureKey
    column_index: int
    category: int


@dataclass
class TreeBoundary:
    """Ensemble of categorical decision trees; the score is the sum of the leaves reached."""

    n_cat_columns: int
    vocabulary: Sequence[VocabularyEntry] = ()
    trees: Sequence[Node] = ()


Boundary = Union[LinearBoundary, TreeBoundary]


@dataclass
class NameRecord:
    """A name as written, with one reading per text unit (or none)."""

    surface: str
    readings: Sequence[str] = ()


@dataclass
class SingleCharRecord:
    """A character (a one-character string) and the readings it may take."""

    key: str
    readings: Sequence[str]


@dataclass
class KbmModel:
    """A whole model file. n_classes is len(labels) and n_features is len(features)."""

    labels: Sequence[str]
    features: Sequence[Feature]
    class_scale: Sequence[float]
    csc: CscWeights
    class_bias: Sequence[float]
    boundary: Boundary
    names: Sequence[NameRecord] = ()
    single_chars: Sequence[SingleCharRecord] = ()
    #: Sort the feature table (stably) and every boundary vocabulary by key order.
    sort_keys: bool = True
    reserved: bytes = b"\0\0\0"
    version: int = VERSION
    magic: bytes = MAGIC
    #: Stop after the name dictionary (an old file without the single-character table).
    omit_single_char_table: bool = False

    @property
    def n_classes(self) -> int:
        return len(self.labels)

    @property
    def n_features(self) -> int:
        return len(self.features)


# --- serialisation -------------------------------------------------------------------------


class _Out:
    def __init__(self) -> None:
        self.parts: list[bytes] = []

    def raw(self, b: bytes) -> None:
        self.parts.append(bytes(b))

    def u8(self, v: int) -> None:
        self.parts.append(struct.pack("<B", v))

    def u32(self, v: int) -> None:
        self.parts.append(struct.pack("<I", v))

    def f32(self, v: float) -> None:
        self.parts.append(struct.pack("<f", v))

    def array(self, code: str, values: Sequence) -> None:
        """Packs values with struct code B/b/H/I/f, little-endian; numpy arrays in bulk."""
        if _is_array(values):
            dtype = {"B": "<u1", "b": "<i1", "H": "<u2", "I": "<u4", "f": "<f4"}[code]
            self.parts.append(values.astype(dtype, copy=False).tobytes())
        else:
            self.parts.append(struct.pack(f"<{len(values)}{code}", *values))

    def string(self, s: str) -> None:
        b = s.encode("utf-8")
        if len(b) > 255:
            raise KbmError(f"string of {len(b)} bytes exceeds 255: {s[:20]!r}...")
        self.u8(len(b))
        self.parts.append(b)

    def strings(self, items: Sequence[str]) -> None:
        if len(items) > 255:
            raise KbmError(f"{len(items)} strings exceed the count byte's 255")
        self.u8(len(items))
        for s in items:
            self.string(s)

    def data(self) -> bytes:
        return b"".join(self.parts)


def _sorted_by_key(items: Sequence, enabled: bool) -> list:
    return sorted(items, key=lambda e: e.key.order()) if enabled else list(items)


def _check_key(key: FeatureKey) -> None:
    if key.kind not in VALID_FEATURE_TYPES:
        raise KbmError(f"invalid feature type 0x{key.kind:02X}")
    if key.arg_kind == 1:
        for t in key.char_types[: key.arg_count]:
            if t not in VALID_CHAR_TYPES:
                raise KbmError(f"invalid char type 0x{t:02X} in key {key}")


def _check_count(name: str, value: int, limit: int = MAX_COUNT) -> None:
    if value > limit:
        raise KbmError(f"{name}={value} exceeds {limit}")


def _is_array(values) -> bool:
    return hasattr(values, "dtype") and hasattr(values, "astype")


def _within(values: Sequence[int], lo: int, hi: int) -> bool:
    """lo <= v <= hi for every value; vectorised for numpy arrays."""
    if len(values) == 0:
        return True
    if _is_array(values):
        return bool(values.min() >= lo and values.max() <= hi)
    return all(lo <= v <= hi for v in values)


def _non_decreasing(values: Sequence[int]) -> int | None:
    """The first index whose value is below its predecessor (0 for a negative first value)."""
    if _is_array(values):
        import numpy as np

        steps = np.diff(values.astype(np.int64), prepend=0)
        bad = np.flatnonzero(steps < 0)
        return int(bad[0]) if len(bad) else None
    previous = 0
    for j, v in enumerate(values):
        if v < previous:
            return j
        previous = v
    return None


def _validate(model: KbmModel) -> None:
    if model.magic != MAGIC or model.version != VERSION:
        raise KbmError("magic and version must be KOTO / 6")
    if not 1 <= model.n_classes <= MAX_CLASSES:
        raise KbmError(f"n_classes={model.n_classes} must be 1..{MAX_CLASSES}")
    _check_count("n_features", model.n_features)
    for f in model.features:
        _check_key(f.key)
    for name in ("class_scale", "class_bias"):
        if len(getattr(model, name)) != model.n_classes:
            raise KbmError(f"{name} needs {model.n_classes} values")
    csc = model.csc
    nnz = len(csc.rowind)
    _check_count("n_nonzero", nnz)
    if len(csc.weights) != nnz:
        raise KbmError("rowind and weights differ in length")
    if len(csc.colptr) != model.n_features + 1:
        raise KbmError(f"colptr needs n_features + 1 = {model.n_features + 1} values")
    j = _non_decreasing(csc.colptr)
    if j is not None:
        raise KbmError(f"colptr[{j}]={csc.colptr[j]} is below its predecessor")
    if int(csc.colptr[-1]) != nnz:
        raise KbmError(f"colptr ends at {csc.colptr[-1]}, not n_nonzero={nnz}")
    if not _within(csc.rowind, 0, model.n_classes - 1):
        raise KbmError("a rowind value is not a class index")
    if not _within(csc.weights, -128, 127):
        raise KbmError("a weight is outside -128..127")
    b = model.boundary
    if isinstance(b, LinearBoundary):
        if len(b.weights) != model.n_features:
            raise KbmError(f"linear boundary needs {model.n_features} weights")
        if not _within(b.weights, -128, 127):
            raise KbmError("a boundary weight is outside -128..127")
    else:
        _check_count("vocabulary count", len(b.vocabulary))
        _check_count("n_cat_columns", b.n_cat_columns, MAX_CAT_COLUMNS)
        for v in b.vocabulary:
            _check_key(v.key)
            if v.column_index >= b.n_cat_columns:
                raise KbmError(f"column_index={v.column_index} >= n_cat_columns")
        _check_count("n_trees", len(b.trees))
    _check_count("n_names", len(model.names))
    _check_count("n_entries", len(model.single_chars))


def _write_node(out: _Out, node: Node, depth: int, n_cat_columns: int, validate: bool) -> None:
    # Iterative pre-order walk, so deep (even damaged) trees never exhaust Python's stack.
    stack = [(node, depth)]
    while stack:
        node, depth = stack.pop()
        if validate and depth > MAX_TREE_DEPTH:
            raise KbmError(f"tree deeper than {MAX_TREE_DEPTH}")
        if isinstance(node, Leaf):
            out.u8(0)
            out.f32(node.value)
            continue
        if validate and node.split_feature >= n_cat_columns:
            raise KbmError(f"split_feature={node.split_feature} >= n_cat_columns")
        cats = sorted(node.cats) if validate else list(node.cats)
        if validate:
            _check_count("n_cats", len(cats))
        out.u8(1)
        out.u32(node.split_feature)
        out.u8(1 if node.missing_first else 0)
        out.u32(len(cats))
        out.array("I", cats)
        stack.append((node.second, depth + 1))
        stack.append((node.first, depth + 1))


def _write_boundary(out: _Out, b: Boundary, sort_keys: bool, validate: bool) -> None:
    if isinstance(b, LinearBoundary):
        out.u8(0)
        out.f32(b.weight_scale)
        out.array("b", b.weights)
        out.f32(b.spare)
        out.f32(b.bias)
        return
    out.u8(1)
    out.u32(b.n_cat_columns)
    vocabulary = _sorted_by_key(b.vocabulary, sort_keys)
    out.u32(len(vocabulary))
    for v in vocabulary:
        out.raw(v.key.wire())
        out.u32(v.column_index)
        out.u32(v.category)
    out.u32(len(b.trees))
    for tree in b.trees:
        _write_node(out, tree, 0, b.n_cat_columns, validate)


def to_bytes(model: KbmModel, *, validate: bool = True) -> bytes:
    """The complete file for `model`."""
    if validate:
        _validate(model)
    out = _Out()
    out.raw(model.magic)
    out.u8(model.version)
    out.raw(model.reserved)
    out.u32(model.n_classes)
    out.u32(model.n_features)
    for f in _sorted_by_key(model.features, model.sort_keys):
        out.raw(f.key.wire())
        out.u32(f.column)
    for label in model.labels:
        out.string(label)
    out.array("f", model.class_scale)
    out.u32(len(model.csc.rowind))
    out.array("I", model.csc.colptr)
    out.array("H", model.csc.rowind)
    out.array("b", model.csc.weights)
    out.array("f", model.class_bias)
    _write_boundary(out, model.boundary, model.sort_keys, validate)
    out.u32(len(model.names))
    for name in model.names:
        out.string(name.surface)
        out.strings(name.readings)
    if not model.omit_single_char_table:
        out.u32(len(model.single_chars))
        for entry in model.single_chars:
            out.string(entry.key)
            out.strings(entry.readings)
    return out.data()


def write_kbm(model: KbmModel, path: Union[str, Path], *, validate: bool = True) -> Path:
    """Writes `model` to `path` and returns the path."""
    path = Path(path)
    path.write_bytes(to_bytes(model, validate=validate))
    return path
