"""The training tool's unit cutting and feature keys must match the predictor's."""
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "training"))

from kotori_train.features import unit_features, window_kinds  # noqa: E402
from kotori_train.text import normalise, numeral_replacement, text_units  # noqa: E402


def kinds(text, i):
    return [k[0] for k in unit_features(text_units(text))[i]]


def key(keys, kind):
    found = [k for k in keys if k[0] == kind]
    assert len(found) == 1, (hex(kind), keys)
    return found[0]


def test_single_kanji_unit_has_only_own_keys_and_run_marks():
    assert kinds("猫", 0) == [0x00, 0x90, 0x50, 0xC0, 0x01]
    assert kinds("ね", 0) == [0x00, 0x90, 0x50]
    assert kinds("三", 0) == [0x00, 0x90, 0x50, 0xC1]


def test_template_order_for_a_middle_unit():
    assert kinds("あいうえおかき", 3) == [
        0x00, 0x90, 0x50, 0x91, 0x51, 0xA0, 0x60, 0x92, 0x52, 0xA1, 0xB0, 0x70,
        0x95, 0x55, 0xA4, 0xB3, 0x73, 0x93, 0x53, 0xA2, 0x94, 0x54, 0xA3, 0xB2, 0x72,
        0x96, 0x56, 0xA5, 0xB4, 0x74, 0xB1, 0x71]


def test_third_unit_lacks_the_far_back_rows_and_last_unit_the_forward_rows():
    assert not {0x95, 0x55, 0xA4, 0xB3, 0x73} & set(kinds("あいうえ", 2))
    assert not {0x93, 0x94, 0x96, 0xB1, 0x71} & set(kinds("あいうえ", 3))


def test_key_arguments_carry_code_points_and_types():
    keys = unit_features(text_units("きゃく"))[1]
    assert key(keys, 0x90)[5] == ord("く")
    assert key(keys, 0x91)[5] == ord("き")  # the first character of the unit before
    assert key(keys, 0x51)[2] == 0x40
    first = unit_features(text_units("きゃく"))[0]
    assert key(first, 0xA6)[5:7] == (ord("き"), ord("ゃ"))


def test_kanji_run_lengths_are_capped_and_only_the_first_unit_is_marked():
    feats = unit_features(text_units("国際連合安全保障"))
    assert [key(k, 0xC0)[1] for k in feats] == [5] * 8
    assert [0x01 in [x[0] for x in k] for k in feats] == [True] + [False] * 7


def test_kanji_after_numerals_counts_them():
    keys = unit_features(text_units("三十人"))[2]
    assert key(keys, 0xC2)[1] == 2
    assert key(unit_features(text_units("三十人"))[0], 0xC1)[1] == 2


def test_placeholder_neighbour_is_seen_with_its_type():
    keys = unit_features(text_units("\ue000猫"))[1]
    assert key(keys, 0x91)[5] == 0xE000 and key(keys, 0x51)[2] == 0x32


def test_name_marks():
    keys = unit_features(text_units("山田さん"), [1, 2, 0, 0])
    assert key(keys[1], 0xC3)[1] == 2 and key(keys[1], 0xC4)[1] == 1
    assert key(keys[0], 0xC5)[1] == 2
    assert 0xC4 not in [k[0] for k in keys[3]]


@pytest.mark.parametrize("window,absent,present", [
    (4, {0x92, 0x95, 0x96, 0xB0, 0xB3}, {0x91, 0x94, 0xB2}),
    (5, {0x95, 0x96, 0xB3, 0xB4}, {0x92, 0xB0, 0x94}),
    (7, set(), {0x95, 0x96, 0xB3, 0xB4}),
])
def test_window_templates(window, absent, present):
    k = window_kinds(window)
    assert not absent & k and present <= k


@pytest.mark.parametrize("text,types", [
    ("三百", [0x43, 0x43]), ("百", [0x42]), ("三百万", [0x43] * 3), ("十万", [0x42, 0x42]),
    ("ー", [0x41]), ("・", [0x34]), ("「", [0x32]), ("\u3000", [0x00]), ("\u200b", [0x50]),
    ("[", [0x30]), ("ｱ", [0xFF]), ("Ｗ", [0x10]), ("５", [0x11]), ("\U00020000", [0x42]),
])
def test_char_types_after_promotion(text, types):
    assert [u.type for u in text_units(text)] == types


def test_small_kana_join_only_after_a_full_kana():
    assert [u.text for u in text_units("きゃゃっき")] == ["きゃ", "ゃ", "っ", "き"]


# The same cases as the predictor's own numeral test: labels must be what the rule writes.
@pytest.mark.parametrize("text,expected", [
    ("十", "10"), ("十五", "15"), ("五十", "50"), ("五十五", "5|5"), ("百", "100"),
    ("三百", "300"), ("百二十", "120"), ("三百五", "305"), ("百五", "105"), ("千", "セン"),
    ("三千", "3ゼン"), ("二千", "2セン"), ("二千五", "2005"), ("千五百", "1500"),
    ("二千五百", "2|500"), ("三千百", "3|100"), ("三百五十", "3|50"), ("五万", "5マン"),
    ("三百万", "300マン"), ("二千五百万", "2|500マン"), ("三千万", "3ゼンマン"),
    ("一億二千万", "1オク2センマン"), ("一兆", "1チョー"), ("〇一二三四五六七八九", "0123456789"),
    ("千百十", "1110"), ("九千九百九十九", "9|9|9|9"),
])
def test_numeral_replacement(text, expected):
    units = text_units(text)
    assert "".join(numeral_replacement(units, i) or "|" for i in range(len(units))) == expected


@pytest.mark.parametrize("text,out,src", [
    ("Ａ１", "A1", [0, 1]), ("こゝろ", "こころ", [0, 1, 2]), ("たゞ", "ただ", [0, 1]),
    ("ﬁ", "fi", [0, 0]), ("⺟", "母", [0]), ("ゝ", "ゝ", [0]),
])
def test_normalise(text, out, src):
    assert normalise(text) == (out, src)
