// HDF5's error stack: kept silent, read back as text.
#include "formats/hdf5_handle.h"

namespace veldmark {
namespace {

// Stores the description of the first (innermost) error the walk visits.
herr_t keepInnermost(unsigned position, const H5E_error2_t* error, void* data) {
  if (position == 0 && error->desc != nullptr) *static_cast<std::string*>(data) = error->desc;
  return 0;
}

}  // namespace

void silenceHdf5Errors() {
  H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
}

std::string hdf5ErrorText(const std::string& fallback) {
  std::string text;
  H5Ewalk2(H5E_DEFAULT, H5E_WALK_UPWARD, keepInnermost, &text);
  return text.empty() ? fallback : text;
}

}  // namespace veldmark
