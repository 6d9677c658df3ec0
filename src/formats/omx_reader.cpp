// Reading an OpenMatrix file: one square matrix and its zone numbers.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_set>
#include <vector>

#include "formats/hdf5_handle.h"
#include "formats/omx_file.h"
#include "formats/text_file.h"

namespace veldmark {
namespace {

constexpr std::size_t kImageIncrement = 1 << 20;  // bytes an in-memory file grows by
constexpr const char* kImageName = "veldmark-omx-image";

Status notReadable(const std::string& path, const std::string& what) {
  return Status{path + ": " + what};
}

// Stores the name of the first dataset the iteration visits and stops it.
herr_t keepFirstDataset(hid_t group, const char* name, const H5L_info_t*, void* data) {
  H5O_info_t info;
  if (H5Oget_info_by_name(group, name, &info, H5P_DEFAULT) < 0) return 0;
  if (info.type != H5O_TYPE_DATASET) return 0;
  *static_cast<std::string*>(data) = name;
  return 1;
}

// Returns the path of the matrix to read: /data/trips, else the first
// dataset under /data in name order, else "".
std::string matrixPath(hid_t file) {
  if (H5Lexists(file, "/data", H5P_DEFAULT) <= 0) return "";
  if (H5Lexists(file, "/data/trips", H5P_DEFAULT) > 0) return "/data/trips";
  Hdf5Handle group(H5Gopen2(file, "/data", H5P_DEFAULT));
  if (!group.ok()) return "";
  std::string name;
  hsize_t index = 0;
  H5Literate(group.id, H5_INDEX_NAME, H5_ITER_INC, &index, keepFirstDataset, &name);
  return name.empty() ? "" : "/data/" + name;
}

// Reads the square matrix at `where` into table.values; sets `n`.
Status readMatrix(const std::string& path, hid_t file, const std::string& where, ZoneTable& table,
                  hsize_t& n) {
  Hdf5Handle matrix(H5Dopen2(file, where.c_str(), H5P_DEFAULT));
  Hdf5Handle space(H5Dget_space(matrix.id));
  hsize_t dims[2] = {0, 0};
  if (!matrix.ok() || !space.ok() || H5Sget_simple_extent_ndims(space.id) != 2 ||
      H5Sget_simple_extent_dims(space.id, dims, nullptr) < 0 || dims[0] != dims[1]) {
    return notReadable(path, where + " is not a square matrix");
  }
  n = dims[0];
  table.values.assign(checkedCellCount(n), 0.0);
  if (n > 0 && H5Dread(matrix.id, H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT,
                       table.values.data()) < 0) {
    return notReadable(path, where + ": " + hdf5ErrorText("cannot read the values"));
  }
  return Status{};
}

// Reads /lookup/zone_number into table.zones, or numbers the zones 1..n.
Status readZones(const std::string& path, hid_t file, hsize_t n, ZoneTable& table) {
  table.zones.resize(n);
  if (H5Lexists(file, "/lookup", H5P_DEFAULT) <= 0 ||
      H5Lexists(file, "/lookup/zone_number", H5P_DEFAULT) <= 0) {
    for (hsize_t i = 0; i < n; ++i) table.zones[i] = static_cast<NodeId>(i + 1);
    return Status{};
  }
  Hdf5Handle lookup(H5Dopen2(file, "/lookup/zone_number", H5P_DEFAULT));
  Hdf5Handle space(H5Dget_space(lookup.id));
  Hdf5Handle type(H5Dget_type(lookup.id));
  hsize_t size = 0;
  if (!lookup.ok() || !space.ok() || H5Sget_simple_extent_ndims(space.id) != 1 ||
      H5Sget_simple_extent_dims(space.id, &size, nullptr) < 0 || size != n) {
    return notReadable(path, "/lookup/zone_number does not hold one number per zone");
  }
  if (!type.ok() || H5Tget_class(type.id) != H5T_INTEGER) {
    return notReadable(path, "/lookup/zone_number does not hold whole numbers");
  }
  std::vector<long long> numbers(n);
  if (n > 0 &&
      H5Dread(lookup.id, H5T_NATIVE_LLONG, H5S_ALL, H5S_ALL, H5P_DEFAULT, numbers.data()) < 0) {
    return notReadable(path, "/lookup/zone_number: " + hdf5ErrorText("cannot read"));
  }
  std::unordered_set<NodeId> seen;
  for (hsize_t i = 0; i < n; ++i) {
    if (numbers[i] < std::numeric_limits<NodeId>::min() ||
        numbers[i] > std::numeric_limits<NodeId>::max()) {
      return notReadable(path, "/lookup/zone_number: zone number " + std::to_string(numbers[i]) +
                                   " outside the 32-bit range");
    }
    table.zones[i] = static_cast<NodeId>(numbers[i]);
    if (!seen.insert(table.zones[i]).second) {
      return notReadable(
          path, "/lookup/zone_number: zone " + std::to_string(table.zones[i]) + " given twice");
    }
  }
  return Status{};
}

// Refuses a cell that is not a finite non-negative number, naming its zones.
Status checkCells(const std::string& path, const std::string& where, const ZoneTable& table) {
  const std::size_t n = table.zones.size();
  for (std::size_t k = 0; k < table.values.size(); ++k) {
    const double value = table.values[k];
    if (std::isfinite(value) && value >= 0.0) continue;
    const std::string cell =
        "cell " + std::to_string(table.zones[k / n]) + " to " + std::to_string(table.zones[k % n]);
    return notReadable(
        path,
        where + ": " + cell + (std::isfinite(value) ? " is negative" : " is not a finite number"));
  }
  return Status{};
}

}  // namespace

bool hasHdf5Signature(std::string_view content) {
  static const char kSignature[8] = {'\211', 'H', 'D', 'F', '\r', '\n', '\032', '\n'};
  return content.size() >= 8 && std::equal(kSignature, kSignature + 8, content.begin());
}

Status readOmxImage(const std::string& path, const std::string& image, ZoneTable& table) {
  silenceHdf5Errors();
  table = ZoneTable{};
  if (!hasHdf5Signature(image)) return notReadable(path, "not an HDF5 file");
  Hdf5Handle access(H5Pcreate(H5P_FILE_ACCESS));
  if (!access.ok() || H5Pset_fapl_core(access.id, kImageIncrement, 0) < 0 ||
      H5Pset_file_image(access.id, const_cast<char*>(image.data()), image.size()) < 0) {
    return notReadable(path, "cannot open: " + hdf5ErrorText("out of memory"));
  }
  // The image is known to HDF5 by a name of its own: the core driver refuses
  // to open an image under the name of a file that exists on disk.
  Hdf5Handle file(H5Fopen(kImageName, H5F_ACC_RDONLY, access.id));
  if (!file.ok()) return notReadable(path, "cannot open: " + hdf5ErrorText("unreadable"));
  const std::string where = matrixPath(file.id);
  if (where.empty()) return notReadable(path, "no matrix under /data");
  hsize_t n = 0;
  if (Status status = readMatrix(path, file.id, where, table, n); !status.ok()) return status;
  if (Status status = readZones(path, file.id, n, table); !status.ok()) return status;
  return checkCells(path, where, table);
}

Status readOmxTable(const std::string& path, ZoneTable& table) {
  std::string image;
  if (Status status = readWholeFile(path, image); !status.ok()) return status;
  return readOmxImage(path, image, table);
}

}  // namespace veldmark
