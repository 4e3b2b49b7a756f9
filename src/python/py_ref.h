#pragma once
// A thin RAII layer over the CPython limited API: an owning reference and one
// small helper per conversion between Python objects and C++ values.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kotori::python {

// Owns one strong reference; releases it on destruction.
class PyRef {
 public:
  PyRef() = default;
  explicit PyRef(PyObject* owned) : ptr_(owned) {}
  PyRef(const PyRef&) = delete;
  PyRef& operator=(const PyRef&) = delete;
  PyRef(PyRef&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  PyRef& operator=(PyRef&& other) noexcept {
    if (this != &other) {
      Py_XDECREF(ptr_);
      ptr_ = std::exchange(other.ptr_, nullptr);
    }
    return *this;
  }
  ~PyRef() { Py_XDECREF(ptr_); }

  PyObject* get() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  // Hands the reference to the caller.
  PyObject* release() { return std::exchange(ptr_, nullptr); }

 private:
  PyObject* ptr_ = nullptr;
};

// The UTF-8 form of a str, borrowed from the object (valid while it lives).
// Sets a Python error and returns nullopt when the object cannot be encoded.
inline std::optional<std::string_view> utf8_view(PyObject* str) {
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(str, &size);
  if (data == nullptr) return std::nullopt;
  return std::string_view(data, static_cast<std::size_t>(size));
}

inline PyObject* new_str(std::string_view utf8) {
  return PyUnicode_DecodeUTF8(utf8.data(), static_cast<Py_ssize_t>(utf8.size()), "strict");
}

template <typename Int>
PyObject* new_int_list(const std::vector<Int>& values) {
  PyRef list(PyList_New(static_cast<Py_ssize_t>(values.size())));
  if (!list) return nullptr;
  for (std::size_t i = 0; i < values.size(); ++i) {
    PyObject* item = PyLong_FromUnsignedLongLong(static_cast<unsigned long long>(values[i]));
    if (item == nullptr) return nullptr;
    PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), item);  // steals item
  }
  return list.release();
}

inline PyObject* new_float_list(const std::vector<float>& values) {
  PyRef list(PyList_New(static_cast<Py_ssize_t>(values.size())));
  if (!list) return nullptr;
  for (std::size_t i = 0; i < values.size(); ++i) {
    PyObject* item = PyFloat_FromDouble(static_cast<double>(values[i]));
    if (item == nullptr) return nullptr;
    PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), item);
  }
  return list.release();
}

template <typename Int>
PyObject* new_int_list_list(const std::vector<std::vector<Int>>& values) {
  PyRef list(PyList_New(static_cast<Py_ssize_t>(values.size())));
  if (!list) return nullptr;
  for (std::size_t i = 0; i < values.size(); ++i) {
    PyObject* item = new_int_list(values[i]);
    if (item == nullptr) return nullptr;
    PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), item);
  }
  return list.release();
}

// Raises RuntimeError whose single argument is `message`.
inline void raise_runtime_error(std::string_view message) {
  PyRef text(new_str(message));
  if (text) PyErr_SetObject(PyExc_RuntimeError, text.get());
}

// A METH_VARARGS | METH_KEYWORDS function as the PyCFunction a PyMethodDef stores.
inline PyCFunction as_cfunction(PyObject* (*f)(PyObject*, PyObject*, PyObject*)) {
  return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(f));
}

// Frees a heap-type instance whose C++ payload has already been destroyed.
inline void free_instance(PyObject* self) {
  PyTypeObject* type = Py_TYPE(self);
  auto free_fn = reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free));
  free_fn(self);
  Py_DECREF(type);
}

}  // namespace kotori::python
