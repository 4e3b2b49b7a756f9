"""Predictor construction, from_bundled, argument conversion, errors and repr."""
import os
import shutil

import pytest

import kotori_py


@pytest.fixture
def model_path(kbm_factory):
    return str(kbm_factory())


def test_constructs_from_a_model_file(model_path):
    p = kotori_py.Predictor(model_path)
    assert repr(p) == f'Predictor(model="{model_path}")'
    assert isinstance(kotori_py.Predictor(model_path=model_path, numeric_threshold=1), kotori_py.Predictor)


@pytest.mark.parametrize(
    "path, shown",
    [
        ("C:\\m\\a.kbm", '"C:\\\\m\\\\a.kbm"'),
        ('say "hi".kbm', '"say \\"hi\\".kbm"'),
        ("tab\there\n.kbm", '"tab\\there\\n.kbm"'),
        ("カナ'.kbm", "\"カナ'.kbm\""),
        ("e\u0301.kbm", '"e\\u{301}.kbm"'),
    ],
)
def test_repr_renders_the_path_for_debugging(tmp_path, model_path, path, shown):
    if os.sep != "/" and ("\\" in path or '"' in path):
        pytest.skip("not a valid file name here")
    target = tmp_path / path
    shutil.copy(model_path, target)
    p = kotori_py.Predictor(str(target))
    prefix = str(tmp_path) + "/"
    assert repr(p) == f'Predictor(model="{prefix}' + shown[1:] + ")"


@pytest.mark.parametrize(
    "args, kwargs, error",
    [
        ((), {}, TypeError),
        ((1,), {}, TypeError),
        (("a.kbm", "b.tsv"), {}, TypeError),
        (("a.kbm",), {"single_char_dict": 3}, TypeError),
        (("a.kbm",), {"numeric_threshold": "high"}, TypeError),
        (("a.kbm",), {"unknown": 1}, TypeError),
        (("a\0b.kbm",), {}, ValueError),
    ],
)
def test_argument_errors(args, kwargs, error):
    with pytest.raises(error):
        kotori_py.Predictor(*args, **kwargs)


def runtime_message(call):
    with pytest.raises(RuntimeError) as info:
        call()
    assert len(info.value.args) == 1
    return info.value.args[0]


def test_missing_model_file_is_a_runtime_error(tmp_path):
    message = runtime_message(lambda: kotori_py.Predictor(str(tmp_path / "none.kbm")))
    assert str(tmp_path / "none.kbm") in message


def test_directory_as_model_path_is_a_runtime_error(tmp_path):
    runtime_message(lambda: kotori_py.Predictor(str(tmp_path)))


def test_junk_file_is_reported_as_damaged_or_foreign(tmp_path):
    junk = tmp_path / "junk.kbm"
    junk.write_bytes(b"NOPE" + bytes(100))
    assert runtime_message(lambda: kotori_py.Predictor(str(junk)))


def test_single_char_dict_replaces_the_model_table(tmp_path, model_path):
    tsv = tmp_path / "single.tsv"
    tsv.write_text("# comment\n日\tニチ\tヒ\n", encoding="utf-8")
    kotori_py.Predictor(model_path, single_char_dict=str(tsv))
    missing = tmp_path / "missing.tsv"
    message = runtime_message(lambda: kotori_py.Predictor(model_path, single_char_dict=str(missing)))
    assert str(missing) in message


class TestFromBundled:
    @pytest.fixture
    def module_dir(self, monkeypatch, tmp_path):
        """Pretends the module lives in tmp_path."""
        monkeypatch.setattr(kotori_py, "__file__", str(tmp_path / "kotori_py.abi3.so"))
        return tmp_path

    @pytest.mark.parametrize("window", [0, 3, 6, 8, 2**32 - 1])
    def test_bad_window_is_value_error_before_any_file_is_looked_at(self, monkeypatch, window):
        monkeypatch.delattr(kotori_py, "__file__")
        with pytest.raises(ValueError) as info:
            kotori_py.Predictor.from_bundled(window)
        assert str(info.value) == f"window must be 4, 5, or 7, got {window}"

    @pytest.mark.parametrize("window, error", [(-1, OverflowError), (2**32, OverflowError),
                                               ("7", TypeError), (7.0, TypeError)])
    def test_window_conversion_errors(self, window, error):
        with pytest.raises(error):
            kotori_py.Predictor.from_bundled(window)

    def test_window_is_converted_before_the_other_arguments(self):
        with pytest.raises(OverflowError):
            kotori_py.Predictor.from_bundled(-1, single_char_dict=5)

    def test_missing_bundled_model(self, module_dir):
        message = runtime_message(lambda: kotori_py.Predictor.from_bundled(5))
        assert message == f"Bundled model not found: {module_dir}/basic_data_5.kbm"

    def test_loads_the_model_beside_the_module(self, module_dir, model_path):
        shutil.copy(model_path, module_dir / "basic_data_4.kbm")
        p = kotori_py.Predictor.from_bundled(window=4, numeric_threshold=0.25)
        assert repr(p) == f'Predictor(model="{module_dir}/basic_data_4.kbm")'

    @pytest.mark.parametrize("file", ["", "/"])
    def test_module_without_directory(self, monkeypatch, file):
        monkeypatch.setattr(kotori_py, "__file__", file)
        assert runtime_message(kotori_py.Predictor.from_bundled) == "Cannot determine module directory"

    def test_bare_file_name_looks_in_the_current_directory(self, monkeypatch, tmp_path, model_path):
        monkeypatch.setattr(kotori_py, "__file__", "kotori_py.abi3.so")
        monkeypatch.chdir(tmp_path)
        assert runtime_message(kotori_py.Predictor.from_bundled) == "Bundled model not found: basic_data_7.kbm"
        shutil.copy(model_path, tmp_path / "basic_data_7.kbm")
        assert repr(kotori_py.Predictor.from_bundled()) == 'Predictor(model="basic_data_7.kbm")'

    def test_missing_file_attribute_propagates(self, monkeypatch):
        monkeypatch.delattr(kotori_py, "__file__")
        with pytest.raises(AttributeError):
            kotori_py.Predictor.from_bundled()
