"""One Predictor and one BrailleTranslator shared by many threads give exactly the results
of a single thread."""
import subprocess
import sys
import textwrap
import threading

import pytest

import kotori_py
from _hostile_models import small_model

THREADS = 8
ROUNDS = 20

TEXTS = [
    "吾輩は猫である。名前はまだ無い。",
    "（吾輩（猫））は「名前」",
    "山田さん 2024年3月5日 三百二十一",
    "ワガハイワ ネコデ アル",
    "ｶﾞｯｺｳ ＡＢＣ ①",
    "you should be here today, and the knowledge of the child!",
    "NASA's 42nd launch: 3.14 \"quoted\"",
    "",
]


def prediction_values(r):
    return (r.source, r.kana, r.confidences, r.segmented, r.source_segmented,
            r.kana_to_source, r.source_to_kana)


def braille_values(r):
    return (r.language, r.text, r.braille, r.text_to_braille, r.braille_to_text)


def run_all(predictor, translator):
    out = []
    for text in TEXTS:
        out.append(prediction_values(predictor.predict(text)))
        for method in (translator.translate, translator.translate_japanese,
                       translator.translate_english):
            out.append(braille_values(method(text)))
    return out


@pytest.fixture
def short_switch_interval():
    # Switch threads as often as the interpreter allows, to interleave the calls.
    previous = sys.getswitchinterval()
    sys.setswitchinterval(1e-6)
    yield
    sys.setswitchinterval(previous)


def test_shared_objects_give_single_thread_results(tmp_path, short_switch_interval):
    predictor = kotori_py.Predictor(str(small_model(tmp_path / "small.kbm")))
    translator = kotori_py.BrailleTranslator()
    expected = run_all(predictor, translator)
    start = threading.Barrier(THREADS)
    results = [None] * THREADS
    errors = []

    def work(i):
        try:
            start.wait()
            results[i] = [run_all(predictor, translator) for _ in range(ROUNDS)]
        except BaseException as e:  # reported below, with the thread that raised it
            errors.append((i, e))

    threads = [threading.Thread(target=work, args=(i,)) for i in range(THREADS)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert not errors
    for per_thread in results:
        assert all(run == expected for run in per_thread)


def test_first_translators_built_at_once_agree():
    # A fresh interpreter, so that the table registry is built by the racing constructors.
    script = textwrap.dedent(f"""
        import threading, kotori_py
        start = threading.Barrier({THREADS})
        out = []
        def work():
            start.wait()
            t = kotori_py.BrailleTranslator()
            out.append(t.translate("ワガハイワ ネコデ アル").braille + t.translate("today").braille)
        threads = [threading.Thread(target=work) for _ in range({THREADS})]
        for t in threads: t.start()
        for t in threads: t.join()
        print(len(out), len(set(out)))
    """)
    run = subprocess.run([sys.executable, "-c", script], check=True, capture_output=True,
                         text=True)
    assert run.stdout.split() == [str(THREADS), "1"]
