"""The module's public face: exactly four classes, their docstrings and text signatures."""
import inspect

import pytest

import kotori_py

PREDICTOR_DOC = (
    "日本語テキスト → カナ変換器。\n\n"
    "```python\n"
    "import kotori_py\n"
    'p = kotori_py.Predictor("basic_data_5.kbm")\n'
    'r = p.predict("吾輩は猫である")\n'
    "print(r.kana)           # カタカナ読み\n"
    "print(r.source_segmented)  # 分かち書き原文\n"
    "```"
)
FROM_BUNDLED_DOC = (
    "同梱モデルから予測器を作成する。\n\n"
    "Args:\n"
    "    window: コンテキストウィンドウサイズ（4, 5, 7）。デフォルトは 7。\n"
    "    single_char_dict: 単一文字辞書 TSV のパス（省略可）\n"
    "    numeric_threshold: 数字ルールベース変換を発動させる自信度の上限"
)
TRANSLATOR_DOC = (
    "点訳器。行の言語を判定して日本語（かな→点字）／英語（UEB）へ振り分ける。\n\n"
    "```python\n"
    "import kotori_py\n"
    "t = kotori_py.BrailleTranslator()\n"
    'print(t.translate("ワガハイワネコデアル").braille)\n'
    'print(t.translate("you should be here today").braille)  # UEB grade 2\n'
    "```"
)


def test_module_holds_exactly_the_four_classes_in_order():
    public = [name for name in vars(kotori_py) if not name.startswith("__")]
    assert public == ["Predictor", "PredictionResult", "BrailleTranslator", "BrailleResult"]
    assert kotori_py.__doc__ == ""


@pytest.mark.parametrize(
    "obj, signature, doc",
    [
        (kotori_py.Predictor, "(model_path, *, single_char_dict=None, numeric_threshold=0.5)",
         PREDICTOR_DOC),
        (kotori_py.Predictor.from_bundled,
         "($cls, window=7, *, single_char_dict=None, numeric_threshold=0.5)", FROM_BUNDLED_DOC),
        (kotori_py.Predictor.predict, "($self, text)", "テキストをカナに変換する。"),
        (kotori_py.BrailleTranslator, "()", TRANSLATOR_DOC),
        (kotori_py.BrailleTranslator.translate, "($self, text)",
         "1行を言語判定して点字に変換する（日本語=かな / 英語=UEB）。"),
        (kotori_py.BrailleTranslator.translate_japanese, "($self, kana)",
         "言語判定せず、必ず日本語として点訳する（英字は外字符 ⠰ ＋無縮約）。"),
        (kotori_py.BrailleTranslator.translate_english, "($self, text)",
         "言語判定せず、必ず英語（UEB）として点訳する。"),
        (kotori_py.PredictionResult, None, "予測結果。`Predictor.predict()` の戻り値。"),
        (kotori_py.BrailleResult, None, "点字変換結果。`BrailleTranslator.translate()` の戻り値。"),
    ],
)
def test_docstrings_and_text_signatures(obj, signature, doc):
    assert obj.__doc__ == doc
    assert obj.__text_signature__ == signature


def test_signatures_are_usable_by_inspect():
    params = inspect.signature(kotori_py.Predictor).parameters
    assert list(params) == ["model_path", "single_char_dict", "numeric_threshold"]
    assert params["single_char_dict"].kind is inspect.Parameter.KEYWORD_ONLY


@pytest.mark.parametrize(
    "cls, getters",
    [
        (kotori_py.PredictionResult,
         {"source": "入力文字列（原文）", "kana": "変換後のカナ文字列",
          "confidences": "各カナ文字の自信度（0.0〜1.0）",
          "segmented": "分かち書きされたカナ（`ワガハイ/ワ/ネコ/デ/アル` 形式）",
          "source_segmented": "分かち書きされた原文（`吾輩/は/猫/で/ある` 形式）",
          "kana_to_source": "かな文字インデックス → 原文文字インデックス",
          "source_to_kana": "原文文字インデックス → かな文字インデックスのリスト"}),
        (kotori_py.BrailleResult,
         {"language": '点訳した経路（`"japanese"` / `"english"`）',
          "text": "点訳したテキスト（日本語=かな / 英語=英文）",
          "braille": "変換後の点字文字列",
          "text_to_braille": "テキスト文字インデックス → 点字先頭セルインデックス",
          "braille_to_text": "点字セルインデックス → テキスト文字インデックス"}),
    ],
)
def test_result_getters_in_order_with_docstrings(cls, getters):
    found = {name: value.__doc__ for name, value in vars(cls).items()
             if type(value).__name__ == "getset_descriptor"}
    assert list(found) == list(getters)
    assert found == getters


@pytest.mark.parametrize("cls", [kotori_py.PredictionResult, kotori_py.BrailleResult])
def test_result_classes_have_no_constructor(cls):
    with pytest.raises(TypeError):
        cls()
