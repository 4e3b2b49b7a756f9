"""The kotori command, run as the installed program: files and stdin, line structure, braille
ASCII, wrapping, undecodable lines, errors and worker processes."""
import io
import os
import subprocess
import sys
from pathlib import Path
from types import SimpleNamespace

import pytest

kotori_py = pytest.importorskip("kotori_py")

from kotori.brf import DOTS_BY_CHARACTER, BrfError, cells_to_brf  # noqa: E402
from kotori.progress import Progress  # noqa: E402
from kotori.transcribe import marked_reading  # noqa: E402
from kotori.wrap import wrap_cells  # noqa: E402

REPO = Path(__file__).resolve().parents[2]
BLANK = "\u2800"


def kotori(*args, stdin=b"", cwd=None):
    return subprocess.run(
        [sys.executable, "-m", "kotori", *map(str, args)],
        input=stdin, capture_output=True, cwd=cwd, timeout=600,
    )


def out_lines(done):
    return done.stdout.decode("utf-8").split("\n")[:-1]


@pytest.fixture
def model(kbm_factory):
    return str(kbm_factory())


@pytest.fixture
def ref(model):
    """The module used directly: what each line must come out as."""
    predictor = kotori_py.Predictor(model)
    translator = kotori_py.BrailleTranslator()

    def braille(line):
        judged = translator.translate(line)
        if judged.language == "japanese":
            return translator.translate_japanese(predictor.predict(line).kana).braille
        return judged.braille

    return SimpleNamespace(predictor=predictor, translator=translator, braille=braille)


def write_lines(path, lines):
    path.write_text("".join(line + "\n" for line in lines), encoding="utf-8")
    return path


@pytest.mark.parametrize(
    "lines",
    [
        pytest.param(["吾輩は猫である。", "", "名前はまだ無い。", "　どこで生れたか"], id="japanese"),
        pytest.param(["It is a truth universally acknowledged.", "", "you should be here today"],
                     id="english"),
        pytest.param(["ねこ", "cat", "ABCとは", "   ", "１２３", "3匹の猫"], id="mixed"),
    ],
)
def test_braille_of_a_file_line_by_line(tmp_path, model, ref, lines):
    done = kotori("braille", "--model", model, write_lines(tmp_path / "in.txt", lines))
    assert done.returncode == 0, done.stderr
    assert done.stderr == b""
    assert out_lines(done) == [ref.braille(line) for line in lines]


def test_stdin_and_dash_give_what_the_file_gives(tmp_path, model):
    lines = ["吾輩は猫である。", "", "the cat sat"]
    path = write_lines(tmp_path / "in.txt", lines)
    from_file = kotori("braille", "--model", model, path)
    assert kotori("braille", "--model", model, stdin=path.read_bytes()).stdout == from_file.stdout
    assert kotori("braille", "--model", model, "-", stdin=path.read_bytes()).stdout == from_file.stdout


@pytest.mark.parametrize(
    "data, expected",
    [
        (b"a\r\nb\n", "{a}\r\n{b}\n"),
        (b"a", "{a}\n"),
        (b"\xef\xbb\xbfa\nb", "{a}\n{b}\n"),
        (b"\n\n", "\n\n"),
        (b"", ""),
    ],
    ids=["crlf-kept", "last-line-ended", "bom-dropped", "empty-lines", "empty-input"],
)
def test_line_structure_is_kept(ref, data, expected):
    done = kotori("braille", stdin=data)
    assert done.returncode == 0
    cells = {"a": ref.braille("a"), "b": ref.braille("b")}
    assert done.stdout.decode("utf-8") == expected.format(**cells)


def test_read_gives_the_reading_or_its_segmented_form(tmp_path, model, ref):
    lines = ["吾輩は猫である。", "", "3匹の猫がいる"]
    path = write_lines(tmp_path / "in.txt", lines)
    for option, field in [(None, "kana"), ("--segmented", "segmented")]:
        done = kotori("read", "--model", model, *([option] if option else []), path)
        assert done.returncode == 0, done.stderr
        expected = [getattr(ref.predictor.predict(line), field) if line else "" for line in lines]
        assert out_lines(done) == expected


@pytest.mark.parametrize("segmented", [False, True])
def test_confidence_with_threshold_zero_marks_nothing(tmp_path, model, segmented):
    path = write_lines(tmp_path / "in.txt", ["吾輩は猫である。", "名前はまだ無い。"])
    extra = ["--segmented"] if segmented else []
    plain = kotori("read", "--model", model, *extra, path)
    marked = kotori("read", "--model", model, *extra, "--confidence", "--threshold", "0", path)
    assert marked.stdout == plain.stdout


@pytest.mark.parametrize(
    "kana, confidences, source_to_kana, segmented, expected",
    [
        ("ワガ ハイ", [0.2, 0.9, 0.1, 0.3, 0.4], None, False, "[ワ]ガ [ハイ]"),
        ("ネコ", [0.1, 0.2], None, False, "[ネコ]"),
        ("ネコ", [0.9, 0.9], None, False, "ネコ"),
        ("ネコ デ", [0.1, 0.2, 0.1, 0.9], [[0, 1, 2], [3]], True, "[ネコ]/ /デ"),
        ("ワガハイ", [0.1, 0.9, 0.1, 0.1], [[0, 1], [2, 3]], True, "[ワ]ガ/[ハイ]"),
    ],
)
def test_doubtful_characters_are_bracketed(kana, confidences, source_to_kana, segmented, expected):
    result = SimpleNamespace(kana=kana, confidences=confidences, source_to_kana=source_to_kana)
    assert marked_reading(result, 0.5, segmented) == expected


def test_the_braille_ascii_table_covers_each_six_dot_pattern_once():
    assert sorted(DOTS_BY_CHARACTER) == [chr(c) for c in range(0x20, 0x60)]
    patterns = {chr(0x2800 + sum(1 << int(d) - 1 for d in dots)) for dots in DOTS_BY_CHARACTER.values()}
    assert patterns == {chr(c) for c in range(0x2800, 0x2840)}
    all_cells = "".join(chr(c) for c in range(0x2800, 0x2840))
    assert cells_to_brf(all_cells) == (
        " A1B'K2L@CIF/MSP\"E3H9O6R^DJG>NTQ,*5<-U8V.%[$+X!&;:4\\0Z7(_?W]#Y)="
    )


@pytest.mark.parametrize("cells", ["\u2841", "\u2880", "a"], ids=["dot7", "dot8", "not-braille"])
def test_cells_braille_ascii_cannot_write_are_errors(cells):
    with pytest.raises(BrfError):
        cells_to_brf(cells)


@pytest.mark.parametrize(
    "line, expected",
    [("you should be here today", 'Y %D 2 "H TD'), ("ア", "A"), ("", "")],
)
def test_brf_output_of_a_known_line(model, line, expected):
    done = kotori("braille", "--model", model, "--format", "brf", stdin=(line + "\n").encode())
    assert done.returncode == 0, done.stderr
    assert done.stdout == (expected + "\n").encode("ascii")


def cells(text):
    """Readable cells for wrapping cases: a letter is some non-blank cell, a space the blank."""
    return "".join(BLANK if ch == " " else chr(0x2800 + ord(ch) - 0x60) for ch in text)


@pytest.mark.parametrize(
    "line, width, expected",
    [
        ("ab cd ef", 5, ["ab cd", "ef"]),
        ("ab cd ef", 8, ["ab cd ef"]),
        ("ab   cd", 3, ["ab", "cd"]),
        ("abcdefg", 3, ["abc", "def", "g"]),
        ("  abc de", 5, ["  abc", "de"]),
        ("      a", 3, ["a"]),
        ("ab  ", 2, ["ab"]),
        ("    ", 2, [""]),
        ("", 4, [""]),
    ],
)
def test_wrapping_breaks_at_blank_cells(line, width, expected):
    assert wrap_cells(cells(line), width) == [cells(part) for part in expected]


@pytest.mark.parametrize("fmt", ["unicode", "brf"])
def test_width_wraps_long_lines_and_keeps_the_others(model, ref, fmt):
    long_line = ("It is a truth universally acknowledged, that a single man in possession of a "
                 "good fortune, must be in want of a wife.")
    unwrapped = ref.braille(long_line)
    width = max(12, *map(len, unwrapped.split(BLANK)))  # every word fits: no word is cut
    done = kotori("braille", "--model", model, "--width", width, "--format", fmt,
                  stdin=f"{long_line}\n\nab\n".encode())
    assert done.returncode == 0, done.stderr
    *wrapped, empty, short = out_lines(done)
    blank = " " if fmt == "brf" else BLANK
    assert len(wrapped) > 1 and all(0 < len(part) <= width for part in wrapped)
    if fmt == "brf":
        unwrapped = cells_to_brf(unwrapped)
    assert blank.join(wrapped) == unwrapped
    assert (empty, short) == ("", cells_to_brf(ref.braille("ab")) if fmt == "brf" else ref.braille("ab"))


@pytest.mark.parametrize("jobs", [1, 2])
def test_an_undecodable_line_is_reported_and_the_rest_goes_on(tmp_path, model, ref, jobs):
    path = tmp_path / "in.txt"
    path.write_bytes("吾輩は猫である。\n".encode() + b"bad \xff\xfe here\n" + b"third line\n")
    done = kotori("braille", "--model", model, "--jobs", jobs, path)
    assert done.returncode == 1
    assert out_lines(done) == [ref.braille("吾輩は猫である。"), "", ref.braille("third line")]
    message = done.stderr.decode()
    assert f"{path}:2: " in message and "UTF-8" in message
    assert message.count("\n") == 1


def test_two_jobs_give_what_one_job_gives(tmp_path, model):
    base = ["吾輩は猫である。名前はまだ無い。".encode(), b"", b"you should be here today",
            "3匹の猫と２０日".encode()]
    data = b"\n".join(base[i % len(base)] for i in range(1500)) + b"\nbad \xc3 line\nend\n"
    path = tmp_path / "big.txt"
    path.write_bytes(data)
    one = kotori("braille", "--model", model, "--jobs", 1, path)
    two = kotori("braille", "--model", model, "--jobs", 2, path)
    assert one.returncode == two.returncode == 1
    assert len(out_lines(one)) == 1502
    assert two.stdout == one.stdout
    assert two.stderr == one.stderr


def test_output_file_may_replace_its_input(tmp_path, model, ref):
    folder = tmp_path / "files"
    folder.mkdir()
    path = write_lines(folder / "in.txt", ["ねこ", "cat"])
    elsewhere = folder / "out.txt"
    done = kotori("braille", "--model", model, "--output", elsewhere, path)
    assert done.returncode == 0 and done.stdout == b""
    assert elsewhere.read_text(encoding="utf-8") == f"{ref.braille('ねこ')}\n{ref.braille('cat')}\n"
    done = kotori("braille", "--model", model, "-o", path, path)
    assert done.returncode == 0
    assert path.read_bytes() == elsewhere.read_bytes()
    assert sorted(os.listdir(folder)) == ["in.txt", "out.txt"]


@pytest.mark.parametrize(
    "args, words",
    [
        (["braille", "--model", "{model}", "--window", "5"], "--window"),
        (["read", "--model", "{missing}"], "--model"),
        (["read", "--single-char-dict", "{missing}"], "--single-char-dict"),
        (["braille", "--width", "0"], "--width"),
        (["read", "--confidence", "--threshold", "1.5"], "--threshold"),
        (["braille", "--format", "pdf"], "--format"),
        (["translate"], "invalid choice"),
        (["read", "--model", "{junk}"], "cannot load the reading model"),
    ],
)
def test_bad_arguments_and_models_stop_with_status_2(tmp_path, model, args, words):
    junk = tmp_path / "junk.kbm"
    junk.write_bytes(b"\x00not a model" * 10)
    names = {"model": model, "missing": tmp_path / "missing", "junk": junk}
    done = kotori(*[arg.format(**names) for arg in args], stdin="猫\n".encode())
    assert done.returncode == 2
    assert words in done.stderr.decode()
    assert done.stdout == b""


def test_a_missing_file_is_reported_and_the_others_are_read(tmp_path, model, ref):
    path = write_lines(tmp_path / "in.txt", ["cat"])
    done = kotori("braille", "--model", model, tmp_path / "missing.txt", path)
    assert done.returncode == 1
    assert out_lines(done) == [ref.braille("cat")]
    assert "missing.txt: cannot read" in done.stderr.decode()


def test_the_sample_file_comes_out_as_braille(model):
    sample = REPO / "examples" / "sample.txt"
    done = kotori("braille", "--model", model, sample)
    assert done.returncode == 0, done.stderr
    lines = out_lines(done)
    assert all(0x2800 <= ord(ch) <= 0x28FF for line in lines for ch in line)
    given = sample.read_text(encoding="utf-8").splitlines()
    assert [bool(line) for line in lines] == [bool(line) for line in given]


def test_the_bundled_model_is_the_default():
    try:
        predictor = kotori_py.Predictor.from_bundled(7)
    except RuntimeError as error:
        pytest.skip(f"no bundled model: {error}")
    done = kotori("read", stdin="吾輩は猫である\n".encode())
    assert done.returncode == 0, done.stderr
    assert out_lines(done) == [predictor.predict("吾輩は猫である").kana]


def test_the_console_script_is_installed():
    script = Path(sys.executable).with_name("kotori")
    if not script.exists():
        pytest.skip("console scripts are installed elsewhere here")
    done = subprocess.run([script, "braille"], input=b"cat\n", capture_output=True, timeout=600)
    assert done.returncode == 0, done.stderr
    assert done.stdout == kotori("braille", stdin=b"cat\n").stdout


class Terminal(io.StringIO):
    def __init__(self, tty):
        super().__init__()
        self.tty = tty

    def isatty(self):
        return self.tty


@pytest.mark.parametrize(
    "tty, total, shown",
    [(True, 10000, True), (True, None, True), (True, 100, False), (False, 10000, False)],
)
def test_progress_shows_only_for_long_inputs_on_a_terminal(tty, total, shown):
    stream = Terminal(tty)
    progress = Progress(stream, total)
    progress.advance(10000)
    drawn = stream.getvalue()
    assert ("10000" in drawn) == shown
    if shown and total:
        assert "100%" in drawn
    progress.close()
    assert stream.getvalue().endswith("\r") == shown


def test_no_progress_bar_when_stderr_is_not_a_terminal(model):
    done = kotori("braille", stdin=b"cat\n" * 6000)
    assert done.returncode == 0 and done.stderr == b""
