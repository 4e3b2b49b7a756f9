"""Hostile texts, models and dictionary files: the module must answer every one of them with a
complete result or a clear error, in bounded memory."""
import os
import subprocess
import sys
import textwrap
from collections import Counter

import pytest

import kotori_py
from _hostile_models import deep_tree_model, small_model, widest_model

LARGE = os.environ.get("KOTORI_LARGE_TESTS") == "1"


def every_code_point():
    return "".join(chr(c) for c in range(0x110000) if not 0xD800 <= c <= 0xDFFF)


HOSTILE_TEXTS = {
    "nested_round": "(" * 10000 + "猫" + ")" * 10000,
    "nested_mixed": "（「(｛『" * 2000 + "吾輩" + "』｝)」）" * 2000,
    "unbalanced": ")）｝" * 5000 + "(（｛" * 5000,
    # Ten megabytes with KOTORI_LARGE_TESTS=1 (the C++ tests always read a line that long).
    "long_line": "吾輩は猫である。名前は（まだ）無い。2024年 ABC ｱｲｳ, you'd know! "
                 * (150000 if LARGE else 15000),
    "million_blanks": " " * 1_000_000,
    "every_code_point": every_code_point(),
}


@pytest.fixture(scope="module")
def predictor(tmp_path_factory):
    return kotori_py.Predictor(str(small_model(tmp_path_factory.mktemp("m") / "small.kbm")))


@pytest.fixture(scope="module")
def translator():
    return kotori_py.BrailleTranslator()


def check_prediction(r, text):
    assert r.source == text
    kana = r.kana
    assert len(r.confidences) == len(kana)
    assert all(0.0 <= c <= 1.0 for c in r.confidences)
    kana_to_source = r.kana_to_source
    assert len(kana_to_source) == len(kana)
    assert all(0 <= i < len(text) for i in kana_to_source)
    source_to_kana = r.source_to_kana
    assert len(source_to_kana) == len(text)
    assert all(0 <= k < len(kana) for ks in source_to_kana for k in ks)
    # Every kana character lies in one source character's list, so the segments hold the
    # reading's characters (its blanks as segments of their own, "/" between them).
    def chars(s):
        return Counter(c for c in s if c not in "/ ")
    assert chars(r.segmented) == chars(kana)


def check_braille(r, text, language):
    assert r.text == text
    braille = r.braille
    assert all("\u2800" <= c <= "\u28ff" for c in braille)
    assert len(r.text_to_braille) == len(text)
    assert all(0 <= i <= len(braille) for i in r.text_to_braille)
    assert len(r.braille_to_text) == len(braille)
    assert all(0 <= i < len(text) for i in r.braille_to_text)
    if language:
        assert r.language == language


@pytest.mark.parametrize("name", HOSTILE_TEXTS)
def test_predict_hostile_text(predictor, name):
    text = HOSTILE_TEXTS[name]
    check_prediction(predictor.predict(text), text)


def test_deep_nesting_keeps_every_bracket(predictor):
    r = predictor.predict(HOSTILE_TEXTS["nested_round"])
    assert r.kana == "(" * 10000 + "ネコ" + ")" * 10000


@pytest.mark.parametrize("name", HOSTILE_TEXTS)
@pytest.mark.parametrize("method, language", [
    ("translate", None), ("translate_japanese", "japanese"), ("translate_english", "english"),
])
def test_translate_hostile_text(translator, name, method, language):
    text = HOSTILE_TEXTS[name]
    check_braille(getattr(translator, method)(text), text, language)


def test_widest_model_reads_its_longest_label(tmp_path):
    longest = "ア" * 85
    assert len(longest.encode()) == 255
    p = kotori_py.Predictor(str(widest_model(tmp_path / "wide.kbm", longest)))
    assert p.predict("猫").kana == longest
    assert p.predict("犬猫").kana.replace(" ", "") == "イ" + longest


def test_deepest_boundary_tree_is_walked_at_every_position(tmp_path):
    p = kotori_py.Predictor(str(deep_tree_model(tmp_path / "deep.kbm", 256)))
    text = "猫漢" * 5000
    r = p.predict(text)
    check_prediction(r, text)
    assert r.source_segmented.startswith("猫/漢猫/漢猫/")


def test_boundary_tree_past_the_limit_is_refused(tmp_path):
    path = deep_tree_model(tmp_path / "too_deep.kbm", 257)
    with pytest.raises(RuntimeError) as info:
        kotori_py.Predictor(str(path))
    assert info.value.args == (
        "モデルファイルが壊れています: 境界モデルの木が深すぎます（上限 256）。"
        "壊れたファイルの可能性があります。",
    )


# A child process loads the dictionary and reports its own peak memory, so that nothing this
# test process holds is counted.
PEAK_SCRIPT = textwrap.dedent("""
    import resource, sys, kotori_py
    p = kotori_py.Predictor(sys.argv[1], single_char_dict=sys.argv[2])
    p.predict("山")
    print(resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024)
""")


def write_one_line(path, head, body, size):
    """`head` then `body` repeated to about `size` bytes, with no line break."""
    with open(path, "wb") as f:
        f.write(head)
        block = body * ((1 << 20) // len(body) + 1)
        written = len(head)
        while written < size:
            f.write(block)
            written += len(block)
    return written


def baseline_peak(model):
    out = subprocess.run([sys.executable, "-c", "import resource, kotori_py\n"
                          f"kotori_py.Predictor({str(model)!r})\n"
                          "print(resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024)"],
                         check=True, capture_output=True, text=True)
    return int(out.stdout)


@pytest.mark.parametrize("shape, head, body", [
    ("one_reading", "山\t".encode(), "ア".encode()),
    ("no_tab", "山".encode(), "ア".encode()),
    ("comment", b"#", "ア".encode()),
])
@pytest.mark.parametrize("size", [
    64 << 20,
    pytest.param(1 << 30, marks=pytest.mark.skipif(not LARGE, reason="KOTORI_LARGE_TESTS=1")),
])
def test_single_char_file_of_one_huge_line(tmp_path, shape, head, body, size):
    model = small_model(tmp_path / "small.kbm")
    tsv = tmp_path / f"{shape}.tsv"
    written = write_one_line(tsv, head, body, size)
    out = subprocess.run([sys.executable, "-c", PEAK_SCRIPT, str(model), str(tsv)],
                         check=True, capture_output=True, text=True)
    grown = int(out.stdout) - baseline_peak(model)
    # The text is held once, with room for the parse: never a second whole copy.
    assert grown < written * 1.5 + (32 << 20), f"peak grew by {grown} for {written} bytes"


def test_single_char_file_of_many_readings(tmp_path):
    path = tmp_path / "many.tsv"
    write_one_line(path, "山".encode(), "\tヤマ".encode(), 4 << 20)
    p = kotori_py.Predictor(str(small_model(tmp_path / "small.kbm")), single_char_dict=str(path))
    check_prediction(p.predict("山田山"), "山田山")
