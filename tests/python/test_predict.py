"""Predictor.predict and PredictionResult from Python, on a small fixture model."""
import pytest

import kotori_py


@pytest.fixture
def predictor(kbm_factory):
    return kotori_py.Predictor(str(kbm_factory()))


def check_maps(r):
    assert len(r.confidences) == len(r.kana) == len(r.kana_to_source)
    assert len(r.source_to_kana) == len(r.source)
    assert all(0.0 <= c <= 1.0 for c in r.confidences)
    for k, s in enumerate(r.kana_to_source):
        assert 0 <= s < len(r.source)
        if r.kana[k] != " ":
            assert k in r.source_to_kana[s]
    assert r.segmented.replace("/", "") == r.kana
    assert r.source_segmented.replace("/", "") == r.source


def test_fixture_model_reads_its_characters(predictor):
    r = predictor.predict("吾輩は猫")
    assert r.source == "吾輩は猫"
    assert r.kana == "ワガハイワ ネコ"
    assert r.source_segmented == "吾輩は/猫"
    check_maps(r)


def test_empty_text(predictor):
    r = predictor.predict("")
    assert (r.source, r.kana, r.segmented, r.source_segmented) == ("", "", "", "")
    assert (r.confidences, r.kana_to_source, r.source_to_kana) == ([], [], [])


@pytest.mark.parametrize(
    "text",
    ["吾輩は猫\nである", "３匹の猫", "「猫」は", "ＡＢＣ１２３", "㈱山田", "\x00\t\U0001F600", "ｶﾞｷﾞ", "々ゝ"],
)
def test_maps_are_consistent_and_source_is_the_callers_text(predictor, text):
    r = predictor.predict(text)
    assert r.source == text
    check_maps(r)


def test_repr_shows_line_breaks_escaped(predictor):
    r = predictor.predict("猫\n")
    assert repr(r).startswith('PredictionResult(source="猫\\n", kana="')


def test_getters_return_fresh_lists(predictor):
    r = predictor.predict("吾輩は猫")
    first = r.source_to_kana
    first[0].append(99)
    assert r.source_to_kana != first
    assert r.confidences is not r.confidences


@pytest.mark.parametrize("call", [lambda p: p.predict(), lambda p: p.predict(b"x"),
                                  lambda p: p.predict("a", "b"), lambda p: p.predict(None)])
def test_argument_errors(predictor, call):
    with pytest.raises(TypeError):
        call(predictor)


def test_keyword_argument(predictor):
    assert predictor.predict(text="猫").kana == "ネコ"
