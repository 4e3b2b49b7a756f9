"""The `kotori` command: readings and braille for whole text files, line by line."""

from __future__ import annotations

import argparse
import os
import sys
from concurrent.futures.process import BrokenProcessPool

from . import __version__
from .output import Output
from .progress import Progress
from .run import run
from .source import Line, count_lines, read_inputs
from .transcribe import DEFAULT_WINDOW, SetupError, Settings

EXIT_OK = 0
EXIT_SKIPPED = 1  # some line or file could not be transcribed; the rest was
EXIT_FATAL = 2  # bad arguments, no model to read with, or output that cannot be written
EXIT_BROKEN_PIPE = 141  # the reader of our output went away (128 + SIGPIPE)
EXIT_INTERRUPTED = 130

DESCRIPTION = """\
Katakana readings and braille for Japanese and English text files, one output line per input
line. Reads the named files in turn, or standard input when none is named (or for "-").
Exit status: 0 when every line was transcribed, 1 when a line or file had to be skipped (each is
reported on standard error with its line number), 2 on bad arguments or a model that cannot be
loaded."""

BRAILLE_EPILOG = """\
Lines holding Japanese characters are read by the predictor and written as Japanese braille;
all other lines as Unified English Braille grade 2. Usual page widths: 32 cells for Japanese,
40 for English."""


def _positive(text: str) -> int:
    value = int(text)
    if value < 1:
        raise argparse.ArgumentTypeError(f"must be at least 1, got {value}")
    return value


def _jobs(text: str) -> int:
    value = int(text)
    if value < 0:
        raise argparse.ArgumentTypeError(f"must be 0 (one per CPU) or more, got {value}")
    return value or os.cpu_count() or 1


def _fraction(text: str) -> float:
    value = float(text)
    if not 0.0 <= value <= 1.0:
        raise argparse.ArgumentTypeError(f"must lie between 0 and 1, got {text}")
    return value


def _add_common(parser: argparse.ArgumentParser) -> None:
    parser.add_argument("files", nargs="*", metavar="FILE", help="input files (default: stdin)")
    parser.add_argument("-o", "--output", metavar="FILE", help="write here instead of stdout")
    parser.add_argument("-j", "--jobs", type=_jobs, default=1, metavar="N",
                        help="spread the lines over N processes (0: one per CPU; default 1)")
    model = parser.add_argument_group("reading model")
    model.add_argument("--window", type=int, choices=(4, 5, 7), default=None,
                       help=f"context window of the bundled model (default {DEFAULT_WINDOW})")
    model.add_argument("--model", metavar="PATH", help="a .kbm model file instead of the bundled one")
    model.add_argument("--single-char-dict", metavar="PATH",
                       help="single-character dictionary TSV replacing the model's own table")
    model.add_argument("--numeric-threshold", type=_fraction, default=0.5, metavar="P",
                       help="confidence below which numerals are read by rule (default 0.5)")
    parser.add_argument("--no-progress", action="store_true",
                        help="no progress bar (shown on a terminal for long inputs)")


def build_parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(prog="kotori", description=DESCRIPTION)
    parser.add_argument("--version", action="version", version=f"%(prog)s {__version__}")
    commands = parser.add_subparsers(dest="command", required=True, metavar="COMMAND")

    read = commands.add_parser("read", help="the katakana reading of each line",
                               description="The katakana reading of each line, words separated "
                               "by blanks.")
    _add_common(read)
    read.set_defaults(parser=read)
    read.add_argument("--segmented", action="store_true",
                      help='the segmented form, "/" between segments')
    read.add_argument("--confidence", action="store_true",
                      help="put [brackets] around characters read with low confidence")
    read.add_argument("--threshold", type=_fraction, default=0.5, metavar="P",
                      help="with --confidence: mark characters below this confidence (default 0.5)")

    braille = commands.add_parser("braille", help="Unicode braille or braille ASCII of each line",
                                  description="The braille of each line.", epilog=BRAILLE_EPILOG)
    _add_common(braille)
    braille.set_defaults(parser=braille)
    braille.add_argument("--format", choices=("unicode", "brf"), default="unicode",
                         help="unicode braille cells, or brf: North American braille ASCII "
                         "(default unicode)")
    braille.add_argument("--width", type=_positive, metavar="N",
                         help="wrap at blank cells to at most N cells per line (default: no wrap)")
    return parser


def _check_readable(parser: argparse.ArgumentParser, option: str, path: str | None) -> None:
    if path is None:
        return
    try:
        with open(path, "rb"):
            pass
    except OSError as error:
        parser.error(f"{option} {path}: {error.strerror or error}")


def settings_from(parser: argparse.ArgumentParser, args: argparse.Namespace) -> Settings:
    if args.model is not None and args.window is not None:
        parser.error("--window chooses a bundled model; it cannot be combined with --model")
    _check_readable(parser, "--model", args.model)
    _check_readable(parser, "--single-char-dict", args.single_char_dict)
    reading = args.command == "read"
    return Settings(
        command=args.command,
        model=args.model,
        window=args.window or DEFAULT_WINDOW,
        single_char_dict=args.single_char_dict,
        numeric_threshold=args.numeric_threshold,
        segmented=reading and args.segmented,
        mark_below=args.threshold if reading and args.confidence else None,
        brf=not reading and args.format == "brf",
        width=None if reading else args.width,
    )


class _Session:
    """Writes results in order, reports problems on stderr and remembers whether any occurred."""

    def __init__(self, output: Output, progress: Progress | None):
        self.output = output
        self.progress = progress
        self.skipped = False

    def report(self, message: str) -> None:
        if self.progress is not None:
            self.progress.close()
        print(f"kotori: {message}", file=sys.stderr, flush=True)

    def report_skip(self, message: str) -> None:
        self.skipped = True
        self.report(message)

    def emit(self, line: Line, output: str, problem: str | None) -> None:
        problem = line.problem or problem
        if problem is not None:
            self.report_skip(f"{line.name}:{line.number}: {problem}; line left empty")
        ending = line.ending or "\n"
        if "\n" in output and ending != "\n":
            output = output.replace("\n", ending)
        self.output.write(output + ending)
        if self.progress is not None:
            self.progress.advance(1)


def main(argv: list[str] | None = None) -> int:
    parser = build_parser()
    args = parser.parse_args(argv)
    settings = settings_from(args.parser, args)

    progress = None
    if not args.no_progress and sys.stderr.isatty():
        progress = Progress(sys.stderr, count_lines(args.files))
    try:
        output = Output(args.output)
    except OSError as error:
        print(f"kotori: {args.output}: cannot write: {error.strerror or error}", file=sys.stderr)
        return EXIT_FATAL
    session = _Session(output, progress)
    try:
        run(read_inputs(args.files, session.report_skip), settings, args.jobs, session.emit)
        output.finish()
    except SetupError as error:
        output.discard()
        session.report(str(error))
        return EXIT_FATAL
    except BrokenPipeError:
        # Keep the interpreter from complaining again when it flushes stdout at exit.
        devnull = os.open(os.devnull, os.O_WRONLY)
        os.dup2(devnull, sys.stdout.fileno())
        return EXIT_BROKEN_PIPE
    except BrokenProcessPool:
        output.discard()
        session.report("a worker process died; the output is incomplete")
        return EXIT_FATAL
    except KeyboardInterrupt:
        output.discard()
        return EXIT_INTERRUPTED
    except OSError as error:
        output.discard()
        session.report(f"{args.output or 'standard output'}: cannot write: {error.strerror or error}")
        return EXIT_FATAL
    finally:
        if progress is not None:
            progress.close()
    return EXIT_SKIPPED if session.skipped else EXIT_OK
