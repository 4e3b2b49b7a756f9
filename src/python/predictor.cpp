// Predictor: construction from a model file or the model beside the module, repr, predict.
#include <sys/stat.h>

#include <memory>
#include <optional>
#include <string>

#include "common/debug_repr.h"
#include "core/model/model.h"
#include "core/model/single_char_dictionary.h"
#include "python/bundled_path.h"
#include "python/module_state.h"
#include "python/prediction_result.h"

namespace kotori::python {
namespace {

struct PredictorData {
  std::string model_path;
  std::optional<std::string> single_char_dict_path;
  float numeric_threshold = 0.5f;
  core::Model model;
  core::SingleCharDictionary single_char_dict;
};

struct PredictorObject {
  PyObject_HEAD
  PredictorData* data;
};

PredictorData* data_of(PyObject* self) { return reinterpret_cast<PredictorObject*>(self)->data; }

// Loads everything first, then allocates the object: on any failure nothing exists.
PyObject* construct(PyTypeObject* type, const char* model_path, const char* single_char_dict,
                    float numeric_threshold) {
  auto data = std::make_unique<PredictorData>();
  data->model_path = model_path;
  data->numeric_threshold = numeric_threshold;
  auto model = core::load_model(data->model_path);
  if (!model) {
    raise_runtime_error(model.error().display());
    return nullptr;
  }
  data->model = std::move(*model);
  if (single_char_dict != nullptr) {
    data->single_char_dict_path = single_char_dict;
    auto dict = core::load_single_char_file(*data->single_char_dict_path);
    if (!dict) {
      raise_runtime_error(dict.error().display());
      return nullptr;
    }
    data->single_char_dict = std::move(*dict);
  } else {
    data->single_char_dict = std::move(data->model.single_char_table);
  }
  auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc));
  PyObject* self = alloc(type, 0);
  if (self == nullptr) return nullptr;
  reinterpret_cast<PredictorObject*>(self)->data = data.release();
  return self;
}

PyObject* predictor_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
  static const char* keywords[] = {"model_path", "single_char_dict", "numeric_threshold",
                                   nullptr};
  const char* model_path = nullptr;
  const char* single_char_dict = nullptr;
  float numeric_threshold = 0.5f;
  if (!PyArg_ParseTupleAndKeywords(args, kwargs, "s|$zf:Predictor", const_cast<char**>(keywords),
                                   &model_path, &single_char_dict, &numeric_threshold)) {
    return nullptr;
  }
  return construct(type, model_path, single_char_dict, numeric_threshold);
}

// `window`: a non-negative integer that fits in 32 bits unsigned.
int convert_window(PyObject* object, void* out) {
  PyRef index(PyNumber_Index(object));
  if (!index) return 0;
  const unsigned long long value = PyLong_AsUnsignedLongLong(index.get());
  if (value == static_cast<unsigned long long>(-1) && PyErr_Occurred()) return 0;
  if (value > 0xFFFFFFFFull) {
    PyErr_SetString(PyExc_OverflowError, "window does not fit in 32 bits unsigned");
    return 0;
  }
  *static_cast<std::uint32_t*>(out) = static_cast<std::uint32_t>(value);
  return 1;
}

PyObject* predictor_from_bundled(PyObject* cls, PyObject* args, PyObject* kwargs) {
  static const char* keywords[] = {"window", "single_char_dict", "numeric_threshold", nullptr};
  std::uint32_t window = 7;
  const char* single_char_dict = nullptr;
  float numeric_threshold = 0.5f;
  if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|O&$zf:from_bundled",
                                   const_cast<char**>(keywords), convert_window, &window,
                                   &single_char_dict, &numeric_threshold)) {
    return nullptr;
  }
  if (window != 4 && window != 5 && window != 7) {
    PyErr_Format(PyExc_ValueError, "window must be 4, 5, or 7, got %lu",
                 static_cast<unsigned long>(window));
    return nullptr;
  }
  PyRef module(PyImport_ImportModule("kotori_py"));
  if (!module) return nullptr;
  PyRef file(PyObject_GetAttrString(module.get(), "__file__"));
  if (!file) return nullptr;
  PyRef file_str(PyObject_Str(file.get()));
  if (!file_str) return nullptr;
  auto file_path = utf8_view(file_str.get());
  if (!file_path) return nullptr;
  auto directory = parent_directory(*file_path);
  if (!directory) {
    raise_runtime_error("Cannot determine module directory");
    return nullptr;
  }
  const std::string path = bundled_model_path(*directory, window);
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) {
    raise_runtime_error("Bundled model not found: " + path);
    return nullptr;
  }
  return construct(reinterpret_cast<PyTypeObject*>(cls), path.c_str(), single_char_dict,
                   numeric_threshold);
}

PyObject* predictor_predict(PyObject* self, PyObject* args, PyObject* kwargs) {
  static const char* keywords[] = {"text", nullptr};
  PyObject* text = nullptr;
  if (!PyArg_ParseTupleAndKeywords(args, kwargs, "U:predict", const_cast<char**>(keywords),
                                   &text)) {
    return nullptr;
  }
  auto utf8 = utf8_view(text);
  if (!utf8) return nullptr;
  // Source offsets inside the reading are 32-bit: a longer text cannot be mapped faithfully.
  if (utf8->size() > 0xFFFFFFFFu) {
    PyErr_SetString(PyExc_ValueError, "text too long: its UTF-8 form exceeds 4294967295 bytes");
    return nullptr;
  }
  const PredictorData& data = *data_of(self);
  ModuleState* state = state_of(Py_TYPE(self));
  return new_prediction_result(
      state->prediction_result_type,
      core::predict(data.model, data.single_char_dict, data.numeric_threshold, *utf8));
}

PyObject* predictor_repr(PyObject* self) {
  return new_str("Predictor(model=" + debug_quote(data_of(self)->model_path) + ")");
}

void predictor_dealloc(PyObject* self) {
  delete data_of(self);
  free_instance(self);
}

PyMethodDef predictor_methods[] = {
    {"from_bundled", as_cfunction(predictor_from_bundled),
     METH_VARARGS | METH_KEYWORDS | METH_CLASS,
     "from_bundled($cls, window=7, *, single_char_dict=None, numeric_threshold=0.5)\n--\n\n"
     "同梱モデルから予測器を作成する。\n\n"
     "Args:\n"
     "    window: コンテキストウィンドウサイズ（4, 5, 7）。デフォルトは 7。\n"
     "    single_char_dict: 単一文字辞書 TSV のパス（省略可）\n"
     "    numeric_threshold: 数字ルールベース変換を発動させる自信度の上限"},
    {"predict", as_cfunction(predictor_predict),
     METH_VARARGS | METH_KEYWORDS,
     "predict($self, text)\n--\n\nテキストをカナに変換する。"},
    {nullptr, nullptr, 0, nullptr},
};

const char predictor_doc[] =
    "Predictor(model_path, *, single_char_dict=None, numeric_threshold=0.5)\n--\n\n"
    "日本語テキスト → カナ変換器。\n\n"
    "```python\n"
    "import kotori_py\n"
    "p = kotori_py.Predictor(\"basic_data_5.kbm\")\n"
    "r = p.predict(\"吾輩は猫である\")\n"
    "print(r.kana)           # カタカナ読み\n"
    "print(r.source_segmented)  # 分かち書き原文\n"
    "```";

PyType_Slot predictor_slots[] = {
    {Py_tp_doc, const_cast<char*>(predictor_doc)},
    {Py_tp_new, reinterpret_cast<void*>(predictor_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(predictor_dealloc)},
    {Py_tp_repr, reinterpret_cast<void*>(predictor_repr)},
    {Py_tp_methods, predictor_methods},
    {0, nullptr},
};

PyType_Spec predictor_spec = {
    "kotori_py.Predictor",
    sizeof(PredictorObject),
    0,
    Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE,
    predictor_slots,
};

}  // namespace

PyObject* create_predictor_type(PyObject* module) {
  return PyType_FromModuleAndSpec(module, &predictor_spec, nullptr);
}

}  // namespace kotori::python
