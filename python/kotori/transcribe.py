"""What the command does to one line: its reading, or its braille."""

from __future__ import annotations

import os
import signal
from dataclasses import dataclass

from . import brf
from .wrap import wrap_cells

DEFAULT_WINDOW = 7
MARK_OPEN = "["
MARK_CLOSE = "]"


@dataclass(frozen=True)
class Settings:
    """Everything a worker needs to rebuild the transcriber on its own (it is pickled)."""

    command: str  # "read" or "braille"
    model: str | None = None
    window: int = DEFAULT_WINDOW
    single_char_dict: str | None = None
    numeric_threshold: float = 0.5
    segmented: bool = False
    mark_below: float | None = None  # read: bracket characters whose confidence is below this
    brf: bool = False
    width: int | None = None


class SetupError(Exception):
    """The predictor or the translator cannot be built; no line could be transcribed."""


class LineError(Exception):
    """A line whose result cannot be written; the line is left empty."""


def _mark_run(chars: list[str], low: list[bool]) -> str:
    """Joins characters, bracketing each run of low-confidence ones (blanks are never marked)."""
    out: list[str] = []
    inside = False
    for char, doubtful in zip(chars, low):
        doubtful = doubtful and not char.isspace()
        if doubtful != inside:
            out.append(MARK_OPEN if doubtful else MARK_CLOSE)
            inside = doubtful
        out.append(char)
    if inside:
        out.append(MARK_CLOSE)
    return "".join(out)


def segments_of(result) -> list[list[int]]:
    """The kana character indices of each segment of `result.segmented`, in order.

    Each source character's kana form one segment; a blank among them is a segment of its own.
    """
    segments: list[list[int]] = []
    kana = result.kana
    for indices in result.source_to_kana:
        current: list[int] = []
        for index in indices:
            if kana[index] == " ":
                if current:
                    segments.append(current)
                    current = []
                segments.append([index])
            else:
                current.append(index)
        if current:
            segments.append(current)
    return segments


def marked_reading(result, threshold: float, segmented: bool) -> str:
    """The reading (or its segmented form) with doubtful characters between brackets."""
    kana = result.kana
    low = [confidence < threshold for confidence in result.confidences]
    if not segmented:
        return _mark_run(list(kana), low)
    return "/".join(
        _mark_run([kana[i] for i in segment], [low[i] for i in segment])
        for segment in segments_of(result)
    )


def _extension():
    try:
        import kotori_py
    except ImportError as error:
        raise SetupError(f"cannot import the kotori_py module: {error}") from None
    return kotori_py


class Transcriber:
    """Builds the predictor and the braille translator on first use and keeps them."""

    def __init__(self, settings: Settings):
        self.settings = settings
        self._predictor = None
        self._translator = None

    def predictor(self):
        if self._predictor is None:
            kotori_py = _extension()
            s = self.settings
            options = {"single_char_dict": s.single_char_dict, "numeric_threshold": s.numeric_threshold}
            try:
                if s.model is not None:
                    self._predictor = kotori_py.Predictor(os.fspath(s.model), **options)
                else:
                    self._predictor = kotori_py.Predictor.from_bundled(s.window, **options)
            except (RuntimeError, OSError, ValueError) as error:
                raise SetupError(f"cannot load the reading model: {error}") from None
        return self._predictor

    def translator(self):
        if self._translator is None:
            try:
                self._translator = _extension().BrailleTranslator()
            except RuntimeError as error:
                raise SetupError(f"cannot build the braille translator: {error}") from None
        return self._translator

    def line(self, text: str) -> str:
        """The output for one input line (several lines joined by "\\n" when wrapped)."""
        if self.settings.command == "read":
            return self.reading(text)
        return self.braille(text)

    def reading(self, text: str) -> str:
        if not text:
            return ""
        result = self.predictor().predict(text)
        s = self.settings
        if s.mark_below is not None:
            return marked_reading(result, s.mark_below, s.segmented)
        return result.segmented if s.segmented else result.kana

    def braille(self, text: str) -> str:
        if not text:
            return ""
        translator = self.translator()
        judged = translator.translate(text)
        if judged.language == "japanese":
            kana = self.predictor().predict(text).kana
            cells = translator.translate_japanese(kana).braille
        else:
            cells = judged.braille
        s = self.settings
        parts = wrap_cells(cells, s.width) if s.width else [cells]
        if s.brf:
            try:
                parts = [brf.cells_to_brf(part) for part in parts]
            except brf.BrfError as error:
                raise LineError(str(error)) from None
        return "\n".join(parts)


# One transcriber per worker process, built by `init_worker`.
_worker: Transcriber | None = None


def init_worker(settings: Settings) -> None:
    global _worker
    # Ctrl-C reaches the whole process group; the main process alone decides what to do.
    signal.signal(signal.SIGINT, signal.SIG_IGN)
    _worker = Transcriber(settings)


def run_batch(texts: list[str | None], transcriber: Transcriber | None = None):
    """Transcribes a batch of lines; None stands for a line that was not decoded.

    Returns one (output, problem) pair per line. A model that cannot be loaded raises
    SetupError, since no later line could be transcribed either.
    """
    transcriber = transcriber or _worker
    results: list[tuple[str, str | None]] = []
    for text in texts:
        if text is None:
            results.append(("", None))
            continue
        try:
            results.append((transcriber.line(text), None))
        except SetupError:
            raise
        except Exception as error:  # one bad line must not end the run
            results.append(("", str(error) or type(error).__name__))
    return results
