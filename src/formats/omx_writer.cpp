// Writing an OpenMatrix file: the layout is built in memory, then written
// like every other output (output/file_replace.h).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "formats/hdf5_handle.h"
#include "formats/omx_file.h"
#include "output/file_replace.h"
#include "veldmark/file_name.h"

namespace veldmark {
namespace {

constexpr const char* kOmxVersion = "0.2";
constexpr hsize_t kChunkValues = 8192;            // values per chunk of /data/trips (64 KiB)
constexpr std::size_t kImageIncrement = 1 << 20;  // bytes the in-memory file grows by
constexpr const char* kImageName = "veldmark-omx-image";  // HDF5's name for it; never on disk

Status cannotWrite(const std::string& path, const std::string& reason) {
  return Status{displayName(path) + ": cannot write: " + reason};
}

// Returns the HDF5 error text of the failed step `what` as a write failure.
Status hdf5Failure(const std::string& path, const char* what) {
  return cannotWrite(path, hdf5ErrorText(std::string("HDF5 could not ") + what));
}

// Writes the root attributes OMX_VERSION and SHAPE.
bool writeRootAttributes(hid_t file, int zoneCount) {
  Hdf5Handle text(H5Tcopy(H5T_C_S1));
  if (!text.ok() || H5Tset_size(text.id, std::strlen(kOmxVersion)) < 0) return false;
  if (H5Tset_strpad(text.id, H5T_STR_NULLTERM) < 0) return false;
  Hdf5Handle scalar(H5Screate(H5S_SCALAR));
  Hdf5Handle version(H5Acreate2(file, "OMX_VERSION", text.id, scalar.id, H5P_DEFAULT, H5P_DEFAULT));
  if (!version.ok() || H5Awrite(version.id, text.id, kOmxVersion) < 0) return false;

  const hsize_t two = 2;
  const std::int32_t shape[2] = {zoneCount, zoneCount};
  Hdf5Handle pair(H5Screate_simple(1, &two, nullptr));
  Hdf5Handle attribute(H5Acreate2(file, "SHAPE", H5T_STD_I32LE, pair.id, H5P_DEFAULT, H5P_DEFAULT));
  return attribute.ok() && H5Awrite(attribute.id, H5T_NATIVE_INT32, shape) >= 0;
}

// Writes /data/trips: N x N doubles in chunks of whole rows (about
// kChunkValues values each), shuffled and deflated at level 1.
bool writeMatrix(hid_t file, const ZoneTable& table) {
  const hsize_t n = table.zones.size();
  const hsize_t dims[2] = {n, n};
  Hdf5Handle space(H5Screate_simple(2, dims, nullptr));
  Hdf5Handle layout(H5Pcreate(H5P_DATASET_CREATE));
  if (!space.ok() || !layout.ok()) return false;
  if (n > 0) {
    const hsize_t chunk[2] = {std::clamp<hsize_t>(kChunkValues / n, 1, n), n};
    if (H5Pset_chunk(layout.id, 2, chunk) < 0 || H5Pset_shuffle(layout.id) < 0 ||
        H5Pset_deflate(layout.id, 1) < 0) {
      return false;
    }
  }
  Hdf5Handle group(H5Gcreate2(file, "/data", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
  Hdf5Handle trips(
      H5Dcreate2(group.id, "trips", H5T_IEEE_F64LE, space.id, H5P_DEFAULT, layout.id, H5P_DEFAULT));
  if (!trips.ok()) return false;
  return n == 0 || H5Dwrite(trips.id, H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT,
                            table.values.data()) >= 0;
}

// Writes /lookup/zone_number: the N zone numbers as 32-bit integers.
bool writeLookup(hid_t file, const ZoneTable& table) {
  const hsize_t n = table.zones.size();
  Hdf5Handle space(H5Screate_simple(1, &n, nullptr));
  Hdf5Handle group(H5Gcreate2(file, "/lookup", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
  Hdf5Handle zones(H5Dcreate2(group.id, "zone_number", H5T_STD_I32LE, space.id, H5P_DEFAULT,
                              H5P_DEFAULT, H5P_DEFAULT));
  if (!zones.ok()) return false;
  return n == 0 || H5Dwrite(zones.id, H5T_NATIVE_INT32, H5S_ALL, H5S_ALL, H5P_DEFAULT,
                            table.zones.data()) >= 0;
}

// Builds the whole file in memory (HDF5's core driver, no backing store) and
// returns its bytes in `image`. Every identifier is released on every path,
// so that a failure leaves HDF5's library state sound.
Status buildImage(const std::string& path, const ZoneTable& table, std::string& image) {
  Hdf5Handle access(H5Pcreate(H5P_FILE_ACCESS));
  if (!access.ok() || H5Pset_fapl_core(access.id, kImageIncrement, 0) < 0) {
    return hdf5Failure(path, "set up the file in memory");
  }
  Hdf5Handle file(H5Fcreate(kImageName, H5F_ACC_TRUNC, H5P_DEFAULT, access.id));
  if (!file.ok()) return hdf5Failure(path, "create the file");
  if (!writeRootAttributes(file.id, table.zoneCount()) || !writeMatrix(file.id, table) ||
      !writeLookup(file.id, table) || H5Fflush(file.id, H5F_SCOPE_LOCAL) < 0) {
    return hdf5Failure(path, "write the matrix");
  }
  const ssize_t size = H5Fget_file_image(file.id, nullptr, 0);
  if (size < 0) return hdf5Failure(path, "take the file's image");
  image.resize(static_cast<std::size_t>(size));
  if (H5Fget_file_image(file.id, image.data(), image.size()) != size) {
    return hdf5Failure(path, "take the file's image");
  }
  return Status{};
}

}  // namespace

Status writeOmxTable(const std::string& path, const ZoneTable& table) {
  silenceHdf5Errors();
  if (table.values.size() != table.zones.size() * table.zones.size()) {
    return cannotWrite(path, "the table is not square");
  }
  std::string image;
  if (Status status = buildImage(path, table, image); !status.ok()) return status;
  return replaceFileContents(path, image);
}

}  // namespace veldmark
