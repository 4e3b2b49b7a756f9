#pragma once
// Per-module state: the module's heap types, created in its exec slot.
#include "python/py_ref.h"

namespace kotori::python {

struct ModuleState {
  PyTypeObject* predictor_type = nullptr;
  PyTypeObject* prediction_result_type = nullptr;
  PyTypeObject* braille_translator_type = nullptr;
  PyTypeObject* braille_result_type = nullptr;
};

// The state of the module that created `type` (one of the module's own types).
inline ModuleState* state_of(PyTypeObject* type) {
  return static_cast<ModuleState*>(PyType_GetModuleState(type));
}

// Type creators, one per class; each returns a new reference or nullptr.
PyObject* create_predictor_type(PyObject* module);
PyObject* create_prediction_result_type(PyObject* module);
PyObject* create_braille_translator_type(PyObject* module);
PyObject* create_braille_result_type(PyObject* module);

}  // namespace kotori::python
