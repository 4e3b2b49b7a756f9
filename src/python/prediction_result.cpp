// PredictionResult: seven read-only values; every getter builds a fresh object.
#include "python/prediction_result.h"

#include "common/debug_repr.h"
#include "python/module_state.h"

namespace kotori::python {
namespace {

struct PredictionResultObject {
  PyObject_HEAD
  core::PredictionOutput* values;
};

const core::PredictionOutput& values_of(PyObject* self) {
  return *reinterpret_cast<PredictionResultObject*>(self)->values;
}

PyObject* get_source(PyObject* self, void*) { return new_str(values_of(self).source); }
PyObject* get_kana(PyObject* self, void*) { return new_str(values_of(self).kana); }
PyObject* get_confidences(PyObject* self, void*) {
  return new_float_list(values_of(self).confidences);
}
PyObject* get_segmented(PyObject* self, void*) { return new_str(values_of(self).segmented); }
PyObject* get_source_segmented(PyObject* self, void*) {
  return new_str(values_of(self).source_segmented);
}
PyObject* get_kana_to_source(PyObject* self, void*) {
  return new_int_list(values_of(self).kana_to_source);
}
PyObject* get_source_to_kana(PyObject* self, void*) {
  return new_int_list_list(values_of(self).source_to_kana);
}

PyObject* result_repr(PyObject* self) {
  const auto& values = values_of(self);
  return new_str("PredictionResult(source=" + debug_quote(values.source) +
                 ", kana=" + debug_quote(values.kana) + ")");
}

void result_dealloc(PyObject* self) {
  delete reinterpret_cast<PredictionResultObject*>(self)->values;
  free_instance(self);
}

PyGetSetDef result_getters[] = {
    {"source", get_source, nullptr, "入力文字列（原文）", nullptr},
    {"kana", get_kana, nullptr, "変換後のカナ文字列", nullptr},
    {"confidences", get_confidences, nullptr, "各カナ文字の自信度（0.0〜1.0）", nullptr},
    {"segmented", get_segmented, nullptr,
     "分かち書きされたカナ（`ワガハイ/ワ/ネコ/デ/アル` 形式）", nullptr},
    {"source_segmented", get_source_segmented, nullptr,
     "分かち書きされた原文（`吾輩/は/猫/で/ある` 形式）", nullptr},
    {"kana_to_source", get_kana_to_source, nullptr, "かな文字インデックス → 原文文字インデックス",
     nullptr},
    {"source_to_kana", get_source_to_kana, nullptr,
     "原文文字インデックス → かな文字インデックスのリスト", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot result_slots[] = {
    {Py_tp_doc, const_cast<char*>("予測結果。`Predictor.predict()` の戻り値。")},
    {Py_tp_dealloc, reinterpret_cast<void*>(result_dealloc)},
    {Py_tp_repr, reinterpret_cast<void*>(result_repr)},
    {Py_tp_getset, result_getters},
    {0, nullptr},
};

PyType_Spec result_spec = {
    "kotori_py.PredictionResult",
    sizeof(PredictionResultObject),
    0,
    Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE | Py_TPFLAGS_DISALLOW_INSTANTIATION,
    result_slots,
};

}  // namespace

PyObject* new_prediction_result(PyTypeObject* type, core::PredictionOutput values) {
  auto* payload = new core::PredictionOutput(std::move(values));
  auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc));
  PyObject* self = alloc(type, 0);
  if (self == nullptr) {
    delete payload;
    return nullptr;
  }
  reinterpret_cast<PredictionResultObject*>(self)->values = payload;
  return self;
}

PyObject* create_prediction_result_type(PyObject* module) {
  return PyType_FromModuleAndSpec(module, &result_spec, nullptr);
}

}  // namespace kotori::python
