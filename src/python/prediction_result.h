#pragma once
#include "core/predict.h"
#include "python/py_ref.h"

namespace kotori::python {

// A new PredictionResult holding `values`.
PyObject* new_prediction_result(PyTypeObject* type, core::PredictionOutput values);

}  // namespace kotori::python
