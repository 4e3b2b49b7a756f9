"""BrailleTranslator and BrailleResult from Python: routes, index maps, errors, repr."""
import pytest

import kotori_py


@pytest.fixture(scope="module")
def translator():
    return kotori_py.BrailleTranslator()


def is_cells(text):
    return all(0x2800 <= ord(c) <= 0x28FF for c in text)


@pytest.mark.parametrize(
    "method, text, language, braille, text_to_braille",
    [
        ("translate", "", "english", "", []),
        ("translate", "ア", "japanese", "⠁", [0]),
        ("translate_japanese", "ｶﾞ", "japanese", "⠐⠡", [0, 0]),
        ("translate_japanese", "イヴ", "japanese", "⠃⠐⠉", [0, 1]),
    ],
)
def test_worked_examples(translator, method, text, language, braille, text_to_braille):
    result = getattr(translator, method)(text)
    assert (result.language, result.text, result.braille) == (language, text, braille)
    assert result.text_to_braille == text_to_braille


@pytest.mark.parametrize(
    "method, text, language",
    [
        ("translate", "ワガハイワネコデアル", "japanese"),
        ("translate", "you should be here today", "english"),
        ("translate", "ＡＢＣ", "japanese"),
        ("translate", "｡", "english"),
        ("translate_japanese", "abc", "japanese"),
        ("translate_english", "アイウ", "english"),
    ],
)
def test_routes(translator, method, text, language):
    result = getattr(translator, method)(text)
    assert result.language == language
    assert result.text == text
    assert is_cells(result.braille)
    assert len(result.text_to_braille) == len(text)


@pytest.mark.parametrize(
    "text", ["ワガハイワネコデアル", "you should be here today", "ｶﾞｷﾞ 123 ABC", "\x00\t\U0001F600"]
)
def test_inverse_map_points_back_at_each_cells_character(translator, text):
    result = translator.translate(text)
    forward, inverse = result.text_to_braille, result.braille_to_text
    assert len(inverse) == len(result.braille)
    assert forward == sorted(forward)
    assert all(0 <= i <= len(result.braille) for i in forward)
    for cell, index in enumerate(inverse):
        assert 0 <= index < len(text)
        assert forward[index] <= cell


def test_getters_return_fresh_objects(translator):
    result = translator.translate("アイウ")
    first = result.text_to_braille
    first.append(99)
    assert result.text_to_braille != first
    assert result.braille_to_text is not result.braille_to_text


def test_repr(translator):
    assert repr(translator.translate_japanese("ア")) == 'BrailleResult(language="japanese", braille="⠁")'


def test_results_are_read_only(translator):
    result = translator.translate("ア")
    with pytest.raises(AttributeError):
        result.braille = "x"


@pytest.mark.parametrize(
    "call",
    [
        lambda: kotori_py.BrailleTranslator(1),
        lambda: kotori_py.BrailleTranslator(x=1),
        lambda: kotori_py.BrailleTranslator().translate(),
        lambda: kotori_py.BrailleTranslator().translate(b"abc"),
        lambda: kotori_py.BrailleTranslator().translate("a", "b"),
        lambda: kotori_py.BrailleTranslator().translate_japanese(text="ア"),
    ],
)
def test_argument_errors_are_type_errors(call):
    with pytest.raises(TypeError):
        call()


def test_keyword_arguments(translator):
    assert translator.translate(text="ア").braille == "⠁"
    assert translator.translate_japanese(kana="ア").braille == "⠁"
    assert translator.translate_english(text="a").language == "english"


def test_lone_surrogate_is_an_encoding_error_not_a_crash(translator):
    with pytest.raises(UnicodeEncodeError):
        translator.translate("\ud800")
