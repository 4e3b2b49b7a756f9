// Module initialisation: multi-phase, per-module state, exactly four classes.
#include "python/module_state.h"

namespace kotori::python {
namespace {

int add_type(PyObject* module, PyObject* (*create)(PyObject*), PyTypeObject** slot) {
  PyObject* type = create(module);
  if (type == nullptr) return -1;
  *slot = reinterpret_cast<PyTypeObject*>(type);  // the state keeps this reference
  return PyModule_AddType(module, *slot);
}

int module_exec(PyObject* module) {
  auto* state = static_cast<ModuleState*>(PyModule_GetState(module));
  if (add_type(module, create_predictor_type, &state->predictor_type) < 0) return -1;
  if (add_type(module, create_prediction_result_type, &state->prediction_result_type) < 0) {
    return -1;
  }
  if (add_type(module, create_braille_translator_type, &state->braille_translator_type) < 0) {
    return -1;
  }
  if (add_type(module, create_braille_result_type, &state->braille_result_type) < 0) return -1;
  return 0;
}

template <typename Visit>
int for_each_type(ModuleState* state, Visit visit) {
  for (PyTypeObject** slot : {&state->predictor_type, &state->prediction_result_type,
                              &state->braille_translator_type, &state->braille_result_type}) {
    if (int rc = visit(slot)) return rc;
  }
  return 0;
}

int module_traverse(PyObject* module, visitproc visit, void* arg) {
  auto* state = static_cast<ModuleState*>(PyModule_GetState(module));
  if (state == nullptr) return 0;
  return for_each_type(state, [&](PyTypeObject** slot) {
    Py_VISIT(reinterpret_cast<PyObject*>(*slot));
    return 0;
  });
}

int module_clear(PyObject* module) {
  auto* state = static_cast<ModuleState*>(PyModule_GetState(module));
  if (state == nullptr) return 0;
  return for_each_type(state, [](PyTypeObject** slot) {
    Py_CLEAR(*slot);
    return 0;
  });
}

void module_free(void* module) { module_clear(static_cast<PyObject*>(module)); }

PyModuleDef_Slot module_slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(module_exec)},
    {0, nullptr},
};

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT,
    "kotori_py",
    "",
    sizeof(ModuleState),
    nullptr,
    module_slots,
    module_traverse,
    module_clear,
    module_free,
};

}  // namespace
}  // namespace kotori::python

PyMODINIT_FUNC PyInit_kotori_py(void) { return PyModuleDef_Init(&kotori::python::module_def); }
