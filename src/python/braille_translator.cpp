// BrailleTranslator: one Japanese and one English translator built from the embedded tables.
#include <memory>
#include <string_view>

#include "braille/dispatch.h"
#include "braille/japanese_translator.h"
#include "braille/registry.h"
#include "braille/ueb/ueb_table.h"
#include "python/braille_result.h"
#include "python/module_state.h"

namespace kotori::python {
namespace {

struct TranslatorData {
  braille::JapaneseTranslator japanese;
  braille::ueb::EnglishTranslator english;
};

struct TranslatorObject {
  PyObject_HEAD
  TranslatorData* data;
};

const TranslatorData& data_of(PyObject* self) {
  return *reinterpret_cast<TranslatorObject*>(self)->data;
}

PyObject* translator_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
  static const char* keywords[] = {nullptr};
  if (!PyArg_ParseTupleAndKeywords(args, kwargs, ":BrailleTranslator",
                                   const_cast<char**>(keywords))) {
    return nullptr;
  }
  const braille::TableRegistry& registry = braille::TableRegistry::instance();
  auto japanese = braille::build_japanese_translator(registry.first_table());
  if (!japanese) {
    raise_runtime_error(japanese.error().display());
    return nullptr;
  }
  auto table = registry.load_embedded("english_ueb_grade2");
  if (!table) {
    raise_runtime_error(table.error().display());
    return nullptr;
  }
  auto english = braille::ueb::build_english_translator(*table, "english_ueb_grade2");
  if (!english) {
    raise_runtime_error(english.error().display());
    return nullptr;
  }
  auto data = std::make_unique<TranslatorData>(
      TranslatorData{std::move(*japanese), std::move(*english)});
  auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc));
  PyObject* self = alloc(type, 0);
  if (self == nullptr) return nullptr;
  reinterpret_cast<TranslatorObject*>(self)->data = data.release();
  return self;
}

enum class Route { Judge, Japanese, English };

// Parses the single str argument named `name` and runs the chosen route on it.
PyObject* run(PyObject* self, PyObject* args, PyObject* kwargs, const char* format,
              const char* name, Route route) {
  const char* keywords[] = {name, nullptr};
  PyObject* text = nullptr;
  if (!PyArg_ParseTupleAndKeywords(args, kwargs, format, const_cast<char**>(keywords), &text)) {
    return nullptr;
  }
  auto utf8 = utf8_view(text);
  if (!utf8) return nullptr;
  const TranslatorData& data = data_of(self);
  braille::BrailleOutput output =
      route == Route::Japanese  ? braille::translate_line_japanese(data.japanese, *utf8)
      : route == Route::English ? braille::translate_line_english(data.english, *utf8)
                                : braille::translate_line(data.japanese, data.english, *utf8);
  return new_braille_result(state_of(Py_TYPE(self))->braille_result_type, std::move(output));
}

PyObject* translate(PyObject* self, PyObject* args, PyObject* kwargs) {
  return run(self, args, kwargs, "U:translate", "text", Route::Judge);
}
PyObject* translate_japanese(PyObject* self, PyObject* args, PyObject* kwargs) {
  return run(self, args, kwargs, "U:translate_japanese", "kana", Route::Japanese);
}
PyObject* translate_english(PyObject* self, PyObject* args, PyObject* kwargs) {
  return run(self, args, kwargs, "U:translate_english", "text", Route::English);
}

void translator_dealloc(PyObject* self) {
  delete reinterpret_cast<TranslatorObject*>(self)->data;
  free_instance(self);
}

PyMethodDef translator_methods[] = {
    {"translate", as_cfunction(translate), METH_VARARGS | METH_KEYWORDS,
     "translate($self, text)\n--\n\n1行を言語判定して点字に変換する（日本語=かな / 英語=UEB）。"},
    {"translate_japanese", as_cfunction(translate_japanese), METH_VARARGS | METH_KEYWORDS,
     "translate_japanese($self, kana)\n--\n\n"
     "言語判定せず、必ず日本語として点訳する（英字は外字符 ⠰ ＋無縮約）。"},
    {"translate_english", as_cfunction(translate_english), METH_VARARGS | METH_KEYWORDS,
     "translate_english($self, text)\n--\n\n言語判定せず、必ず英語（UEB）として点訳する。"},
    {nullptr, nullptr, 0, nullptr},
};

const char translator_doc[] =
    "BrailleTranslator()\n--\n\n"
    "点訳器。行の言語を判定して日本語（かな→点字）／英語（UEB）へ振り分ける。\n\n"
    "```python\n"
    "import kotori_py\n"
    "t = kotori_py.BrailleTranslator()\n"
    "print(t.translate(\"ワガハイワネコデアル\").braille)\n"
    "print(t.translate(\"you should be here today\").braille)  # UEB grade 2\n"
    "```";

PyType_Slot translator_slots[] = {
    {Py_tp_doc, const_cast<char*>(translator_doc)},
    {Py_tp_new, reinterpret_cast<void*>(translator_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(translator_dealloc)},
    {Py_tp_methods, translator_methods},
    {0, nullptr},
};

PyType_Spec translator_spec = {
    "kotori_py.BrailleTranslator",
    sizeof(TranslatorObject),
    0,
    Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE,
    translator_slots,
};

}  // namespace

PyObject* create_braille_translator_type(PyObject* module) {
  return PyType_FromModuleAndSpec(module, &translator_spec, nullptr);
}

}  // namespace kotori::python
