"""Word readings become unit labels the predictor can reproduce."""
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "training"))

from kotori_train import kanjidic, labels  # noqa: E402
from kotori_train.corpora import Morpheme, blank_flags, label_sentence  # noqa: E402
from kotori_train.text import text_units  # noqa: E402

needs_kanjidic = pytest.mark.skipif(not kanjidic.DEFAULT_PATH.exists(), reason="no KANJIDIC")


@pytest.fixture(scope="module", autouse=True)
def kanji_readings():
    if kanjidic.DEFAULT_PATH.exists():
        labels.use_kanjidic(kanjidic.load())


@pytest.mark.parametrize("reading,verb,expected", [
    ("トウキョウ", False, "トーキョー"), ("センセイ", False, "センセイ"), ("オモウ", True, "オモウ"),
    ("イオウ", False, "イオー"), ("ネエサン", False, "ネーサン"), ("クウキ", False, "クーキ"),
])
def test_long_vowels(reading, verb, expected):
    assert labels.convention(reading, keep_final_u=verb) == expected


def morphs(*items):
    out, pos = [], 0
    for surface, reading, pos2 in items:
        out.append(Morpheme(pos, surface, reading, "名詞", pos2, "*"))
        pos += len(surface)
    return out


@needs_kanjidic
@pytest.mark.parametrize("items,expected", [
    ([("東京", "トウキョウ", "地名")], ["トー", "キョー"]),
    ([("大人", "オトナ", "普通名詞")], ["オトナ", "---"]),
    ([("学校", "ガッコウ", "普通名詞")], ["ガッ", "コー"]),
    ([("人々", "ヒトビト", "普通名詞")], ["ヒト", "ビト"]),
    # Numbers written in kanji take what the numeral rule writes.
    ([("三百五十", "サンビャクゴジュウ", "数詞")], ["3", "_", "5", "0"]),
    ([("二十", "ニジュウ", "数詞"), ("日", "カ", "接尾辞")], ["2", "0", "カ"]),
    # A word reading starting on a numeral kanji has nothing to continue: it moves to the end.
    ([("二十日", "ハツカ", "時相名詞")], ["_", "ハツ", "カ"]),
    ([("二十", "ハツ", "数詞"), ("日", "カ", "接尾辞")], ["_", "ハツ", "カ"]),
    ([("二十四", "ニジュウヨッ", "数詞"), ("日", "カ", "接尾辞")], ["2", "_", "4", "カ"]),
    ([("一", "ヒト", "数詞"), ("つ", "ツ", "接尾辞")], ["ヒト", "ツ"]),
    ([("３", "サン", "数詞"), ("匹", "ビキ", "接尾辞")], ["3", "ビキ"]),
    ([("１", "ヒト", "数詞"), ("人", "リ", "接尾辞")], ["ヒト", "リ"]),
    ([("は", "ワ", "副助詞")], ["ワ"]),
])
def test_unit_labels(items, expected):
    text = "".join(s for s, _, _ in items)
    _, units, got = label_sentence(text, morphs(*items))
    assert got == expected


@needs_kanjidic
def test_day_words_can_stay_unlabelled():
    # A window-4 model sees only 十 before 日: taught ハツ on 十 and カ on 日, it read ハツニチ.
    day_word = morphs(("二十", "ハツ", "数詞"), ("日", "カ", "接尾辞"), ("に", "ニ", "格助詞"))
    _, _, got = label_sentence("二十日に", day_word, day_words=False)
    assert got == [None, None, None, "ニ"]
    number = morphs(("二十四", "ニジュウヨッ", "数詞"), ("日", "カ", "接尾辞"))
    assert label_sentence("二十四日", number, day_words=False)[2] == ["2", "_", "4", "カ"]


def test_unalignable_kana_leaves_no_label():
    _, _, got = label_sentence("ねこ", morphs(("ねこ", "イヌ", "普通名詞")))
    assert got == [None, None]


def test_blank_flags_skip_punctuation():
    text = "猫が、犬を見た"
    flags = blank_flags(text, text, text_units(text), [0, 3, 5])
    assert flags == [0, 0, 0, 0, 1, 0, 0]


def test_mecab_fields_with_quoted_commas_keep_the_kana_field():
    # UniDic quotes conjugation-type fields that hold commas; a plain split shifted the kana
    # field by one and read the word-type column (体) as the reading of frequent nouns.
    from kotori_train.corpora import mecab_morphemes
    parsed = ('都\t名詞,普通名詞,一般,,,,ト,都,都,ト,都,ト,漢,"","","","","","B1SjS,B1S8SjS",'
              '体,ト,ト,ト,ト,"1","C3","",7100654715806208,25832\n'
              'ぐぐ\t名詞,普通名詞,一般,,,\nEOS\n')
    ms = mecab_morphemes(parsed)
    assert [m.reading for m in ms] == ["ト", ""]  # an unknown word has no reading, not its surface


@needs_kanjidic
@pytest.mark.parametrize("date,expected", [
    ("四月一日", ["4", "ガツ", "_", "ツイタチ"]),  # one word, as the annotator gives it
    ("四月十日", ["4", "ガツ", "トオ", "カ"]),
    ("四月十四日", ["4", "ガツ", "1", "4", "カ"]),
    ("四月二十日", ["4", "ガツ", "_", "ハツ", "カ"]),
    ("四月二十四日", ["4", "ガツ", "2", "_", "4", "カ"]),
    ("十二月三十一日", ["1", "2", "ガツ", "3", "_", "1", "ニチ"]),
])
def test_generated_dates_read_day_words_as_words(date, expected):
    from kotori_train.corpora import calendar_sentences
    found = {}
    for s in calendar_sentences():
        for head in range(len(s.text)):
            found.setdefault(s.text[head:head + len(date)], s.labels[head:head + len(date)])
    assert found[date] == expected
