#pragma once
#include "braille/dispatch.h"
#include "python/py_ref.h"

namespace kotori::python {

// A new BrailleResult holding `output`.
PyObject* new_braille_result(PyTypeObject* type, braille::BrailleOutput output);

}  // namespace kotori::python
