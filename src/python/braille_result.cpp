// BrailleResult: five read-only values; every getter builds a fresh object.
#include "python/braille_result.h"

#include <string_view>

#include "common/debug_repr.h"
#include "python/module_state.h"

namespace kotori::python {
namespace {

struct BrailleResultObject {
  PyObject_HEAD
  braille::BrailleOutput* output;
};

const braille::BrailleOutput& output_of(PyObject* self) {
  return *reinterpret_cast<BrailleResultObject*>(self)->output;
}

std::string_view language_of(const braille::BrailleOutput& output) {
  return output.is_english ? "english" : "japanese";
}

PyObject* get_language(PyObject* self, void*) { return new_str(language_of(output_of(self))); }
PyObject* get_text(PyObject* self, void*) { return new_str(output_of(self).text); }
PyObject* get_braille(PyObject* self, void*) { return new_str(output_of(self).braille); }
PyObject* get_text_to_braille(PyObject* self, void*) {
  return new_int_list(output_of(self).text_to_braille);
}
PyObject* get_braille_to_text(PyObject* self, void*) {
  return new_int_list(output_of(self).braille_to_text);
}

PyObject* result_repr(PyObject* self) {
  const auto& output = output_of(self);
  return new_str("BrailleResult(language=" + debug_quote(language_of(output)) +
                 ", braille=" + debug_quote(output.braille) + ")");
}

void result_dealloc(PyObject* self) {
  delete reinterpret_cast<BrailleResultObject*>(self)->output;
  free_instance(self);
}

PyGetSetDef result_getters[] = {
    {"language", get_language, nullptr, "点訳した経路（`\"japanese\"` / `\"english\"`）", nullptr},
    {"text", get_text, nullptr, "点訳したテキスト（日本語=かな / 英語=英文）", nullptr},
    {"braille", get_braille, nullptr, "変換後の点字文字列", nullptr},
    {"text_to_braille", get_text_to_braille, nullptr,
     "テキスト文字インデックス → 点字先頭セルインデックス", nullptr},
    {"braille_to_text", get_braille_to_text, nullptr,
     "点字セルインデックス → テキスト文字インデックス", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot result_slots[] = {
    {Py_tp_doc, const_cast<char*>("点字変換結果。`BrailleTranslator.translate()` の戻り値。")},
    {Py_tp_dealloc, reinterpret_cast<void*>(result_dealloc)},
    {Py_tp_repr, reinterpret_cast<void*>(result_repr)},
    {Py_tp_getset, result_getters},
    {0, nullptr},
};

PyType_Spec result_spec = {
    "kotori_py.BrailleResult",
    sizeof(BrailleResultObject),
    0,
    Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE | Py_TPFLAGS_DISALLOW_INSTANTIATION,
    result_slots,
};

}  // namespace

PyObject* new_braille_result(PyTypeObject* type, braille::BrailleOutput output) {
  auto* payload = new braille::BrailleOutput(std::move(output));
  auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc));
  PyObject* self = alloc(type, 0);
  if (self == nullptr) {
    delete payload;
    return nullptr;
  }
  reinterpret_cast<BrailleResultObject*>(self)->output = payload;
  return self;
}

PyObject* create_braille_result_type(PyObject* module) {
  return PyType_FromModuleAndSpec(module, &result_spec, nullptr);
}

}  // namespace kotori::python
