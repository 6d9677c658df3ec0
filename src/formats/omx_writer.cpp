// Writing an OpenMatrix file: the layout is built under a temporary name and
// renamed into place once HDF5 has closed it.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "formats/hdf5_handle.h"
#include "formats/omx_file.h"
#include "output/file_replace.h"
#include "output/temporary_file_registry.h"

namespace veldmark {
namespace {

constexpr const char* kOmxVersion = "0.2";
constexpr hsize_t kChunkValues = 8192;  // values per chunk of /data/trips (64 KiB)

Status cannotWrite(const std::string& path, const std::string& reason) {
  return Status{path + ": cannot write: " + reason};
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

// Builds the whole file at `temporary` and closes it.
Status writeLayout(const std::string& path, const std::string& temporary, const ZoneTable& table) {
  const hid_t file = H5Fcreate(temporary.c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT);
  if (file < 0) return hdf5Failure(path, "create the file");
  const bool written = writeRootAttributes(file, table.zoneCount()) && writeMatrix(file, table) &&
                       writeLookup(file, table);
  if (!written) {
    const Status failure = hdf5Failure(path, "write the matrix");
    H5Fclose(file);
    return failure;
  }
  if (H5Fclose(file) < 0) return hdf5Failure(path, "close the file");
  return Status{};
}

// The permission bits of the file at `path`, or 0666 less the umask.
mode_t targetMode(const std::string& path) {
  struct stat existing;
  if (::stat(path.c_str(), &existing) == 0) return existing.st_mode & 0777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

Status writeOmxTable(const std::string& path, const ZoneTable& table) {
  silenceHdf5Errors();
  if (table.values.size() != table.zones.size() * table.zones.size()) {
    return cannotWrite(path, "the table is not square");
  }
  std::string temporary;
  const int fd = createTemporaryBeside(path, temporary);
  if (fd < 0) return cannotWrite(path, std::strerror(errno));
  ::close(fd);
  Status status = writeLayout(path, temporary, table);
  if (status.ok() && ::chmod(temporary.c_str(), targetMode(path)) != 0) {
    status = cannotWrite(path, std::strerror(errno));
  }
  if (status.ok() && ::rename(temporary.c_str(), path.c_str()) != 0) {
    status = cannotWrite(path, std::strerror(errno));
  }
  if (!status.ok()) ::unlink(temporary.c_str());
  forgetTemporaryFile();
  return status;
}

}  // namespace veldmark
