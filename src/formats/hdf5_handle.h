// Small helpers over HDF5's C API shared by the OpenMatrix reader and writer.
#pragma once

#include <hdf5.h>

#include <string>

namespace veldmark {

// Owns one HDF5 identifier (file, group, dataset, dataspace, datatype,
// attribute or property list) and releases it when it goes out of scope.
// An identifier below 0 is a failed call's result and is never released.
struct Hdf5Handle {
  explicit Hdf5Handle(hid_t value) : id(value) {}
  ~Hdf5Handle() {
    if (id >= 0) H5Idec_ref(id);
  }
  Hdf5Handle(const Hdf5Handle&) = delete;
  Hdf5Handle& operator=(const Hdf5Handle&) = delete;
  bool ok() const { return id >= 0; }

  hid_t id;
};

/// Turns off HDF5's own printing of its error stack to standard error for
/// the whole process, so that failures reach the caller only as values.
/// Writes HDF5's global error settings; prints nothing.
void silenceHdf5Errors();

/// Returns the description of the innermost error on HDF5's default error
/// stack ("unable to open file", ...), or `fallback` when the stack is empty.
/// Reads the stack only; prints nothing.
std::string hdf5ErrorText(const std::string& fallback);

}  // namespace veldmark
