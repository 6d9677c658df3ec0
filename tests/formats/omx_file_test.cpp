// OpenMatrix files: the layout written is checked through HDF5 itself (and
// through h5dump where it is installed), read back, and foreign files in the
// looser forms the reader accepts.
#include "formats/omx_file.h"

#include <gtest/gtest.h>
#include <hdf5.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "formats/hdf5_handle.h"
#include "support/test_support.h"

namespace veldmark {
namespace {

using testing::readFile;
using testing::ScratchDir;

// A table of n zones numbered 7, 5, 11, 9, ... (not in order) whose values need
// every bit of a double.
ZoneTable sampleTable(int n) {
  ZoneTable table;
  for (int i = 0; i < n; ++i) table.zones.push_back(i % 2 == 0 ? 7 + 2 * i : 3 + 2 * i);
  for (int k = 0; k < n * n; ++k) table.values.push_back(k / 3.0 + 1e-9 * k);
  return table;
}

std::string stringAttribute(hid_t file, const char* name) {
  Hdf5Handle attribute(H5Aopen(file, name, H5P_DEFAULT));
  Hdf5Handle type(H5Aget_type(attribute.id));
  EXPECT_EQ(H5Tget_class(type.id), H5T_STRING);
  std::string text(H5Tget_size(type.id), '\0');
  H5Aread(attribute.id, type.id, text.data());
  return text;
}

TEST(OmxFile, WritesTheOpenMatrixLayoutAndReadsItBack) {
  ScratchDir dir;
  for (const int n : {1, 6, 300}) {
    const ZoneTable table = sampleTable(n);
    const std::string path = dir.file("t.omx");
    ASSERT_TRUE(writeOmxTable(path, table).ok());
    Hdf5Handle file(H5Fopen(path.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT));
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(stringAttribute(file.id, "OMX_VERSION"), "0.2");
    Hdf5Handle shape(H5Aopen(file.id, "SHAPE", H5P_DEFAULT));
    Hdf5Handle shapeType(H5Aget_type(shape.id));
    EXPECT_TRUE(H5Tequal(shapeType.id, H5T_STD_I32LE) > 0);
    std::int32_t dims[2] = {0, 0};
    H5Aread(shape.id, H5T_NATIVE_INT32, dims);
    EXPECT_EQ(dims[0], n);
    EXPECT_EQ(dims[1], n);

    Hdf5Handle trips(H5Dopen2(file.id, "/data/trips", H5P_DEFAULT));
    Hdf5Handle tripsType(H5Dget_type(trips.id));
    EXPECT_TRUE(H5Tequal(tripsType.id, H5T_IEEE_F64LE) > 0);
    Hdf5Handle layout(H5Dget_create_plist(trips.id));
    EXPECT_EQ(H5Pget_layout(layout.id), H5D_CHUNKED);
    EXPECT_GT(H5Pget_filter_by_id2(layout.id, H5Z_FILTER_DEFLATE, nullptr, nullptr, nullptr, 0,
                                   nullptr, nullptr),
              -1);
    std::vector<double> values(table.values.size());
    H5Dread(trips.id, H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data());
    EXPECT_EQ(std::memcmp(values.data(), table.values.data(), values.size() * sizeof(double)), 0);

    Hdf5Handle zones(H5Dopen2(file.id, "/lookup/zone_number", H5P_DEFAULT));
    Hdf5Handle zonesType(H5Dget_type(zones.id));
    EXPECT_TRUE(H5Tequal(zonesType.id, H5T_STD_I32LE) > 0);
    std::vector<NodeId> numbers(n);
    H5Dread(zones.id, H5T_NATIVE_INT32, H5S_ALL, H5S_ALL, H5P_DEFAULT, numbers.data());
    EXPECT_EQ(numbers, table.zones);

    ZoneTable back;
    ASSERT_TRUE(readOmxTable(path, back).ok());
    EXPECT_EQ(back.zones, table.zones);
    EXPECT_EQ(back.values, table.values);
  }
}

// The file follows the trip table's replace rules: a symbolic link stays a
// link to the new file, every hard link shows it, a device is written
// through (never renamed over), and no temporary file stays behind.
TEST(OmxFile, WritesLikeEveryOtherOutput) {
  ScratchDir dir;
  const ZoneTable table = sampleTable(4);
  dir.write("target.omx", "old");
  ASSERT_EQ(symlink("target.omx", dir.file("link.omx").c_str()), 0);
  ASSERT_TRUE(writeOmxTable(dir.file("link.omx"), table).ok());
  struct stat info;
  ASSERT_EQ(lstat(dir.file("link.omx").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ZoneTable back;
  ASSERT_TRUE(readOmxTable(dir.file("target.omx"), back).ok());
  EXPECT_EQ(back.values, table.values);

  dir.write("one.omx", "old");
  ASSERT_EQ(link(dir.file("one.omx").c_str(), dir.file("two.omx").c_str()), 0);
  ASSERT_TRUE(writeOmxTable(dir.file("one.omx"), table).ok());
  EXPECT_EQ(readFile(dir.file("two.omx")), readFile(dir.file("one.omx")));
  EXPECT_TRUE(readOmxTable(dir.file("two.omx"), back).ok());

  ASSERT_TRUE(writeOmxTable("/dev/null", table).ok());
  ASSERT_EQ(stat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
  }
}

TEST(OmxFile, TheHdf5ToolsSeeTheLayout) {
  if (std::system("h5dump --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no h5dump";
  ScratchDir dir;
  ASSERT_TRUE(writeOmxTable(dir.file("t.omx"), sampleTable(3)).ok());
  const std::string command = "h5dump -A " + dir.file("t.omx") + " > " + dir.file("dump.txt");
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string dump = readFile(dir.file("dump.txt"));
  for (const char* part : {"ATTRIBUTE \"OMX_VERSION\"", "(0): \"0.2\"", "ATTRIBUTE \"SHAPE\"",
                           "H5T_STD_I32LE", "(0): 3, 3", "GROUP \"data\"", "DATASET \"trips\"",
                           "H5T_IEEE_F64LE", "SIMPLE { ( 3, 3 ) / ( 3, 3 ) }", "GROUP \"lookup\"",
                           "DATASET \"zone_number\"", "SIMPLE { ( 3 ) / ( 3 ) }"}) {
    EXPECT_NE(dump.find(part), std::string::npos) << part << "\n" << dump;
  }
}

// Writes a bare HDF5 file: the dataset `name` of `rows` x `columns` integers
// 1, 2, 3, ... and, when `zones` is not empty, a lookup of those 64-bit zones.
void writeForeignFile(const std::string& path, const char* name, hsize_t rows, hsize_t columns,
                      const std::vector<std::int64_t>& numbers = {}) {
  const hsize_t lookupSize = numbers.size();
  Hdf5Handle file(H5Fcreate(path.c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT));
  Hdf5Handle data(H5Gcreate2(file.id, "/data", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
  const hsize_t dims[2] = {rows, columns};
  Hdf5Handle space(H5Screate_simple(2, dims, nullptr));
  Hdf5Handle matrix(
      H5Dcreate2(data.id, name, H5T_STD_I32LE, space.id, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
  std::vector<std::int32_t> values(rows * columns);
  for (std::size_t k = 0; k < values.size(); ++k) values[k] = static_cast<std::int32_t>(k + 1);
  H5Dwrite(matrix.id, H5T_NATIVE_INT32, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data());
  if (lookupSize == 0) return;
  Hdf5Handle lookup(H5Gcreate2(file.id, "/lookup", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
  Hdf5Handle lookupSpace(H5Screate_simple(1, &lookupSize, nullptr));
  Hdf5Handle zones(H5Dcreate2(lookup.id, "zone_number", H5T_STD_I64LE, lookupSpace.id, H5P_DEFAULT,
                              H5P_DEFAULT, H5P_DEFAULT));
  H5Dwrite(zones.id, H5T_NATIVE_INT64, H5S_ALL, H5S_ALL, H5P_DEFAULT, numbers.data());
}

TEST(OmxFile, ReadsForeignFilesAndRefusesWhatIsNoSquareTable) {
  ScratchDir dir;
  ZoneTable table;
  writeForeignFile(dir.file("plain.omx"), "walk", 2, 2);
  ASSERT_TRUE(readOmxTable(dir.file("plain.omx"), table).ok());
  EXPECT_EQ(table.zones, (std::vector<NodeId>{1, 2}));
  EXPECT_EQ(table.values, (std::vector<double>{1, 2, 3, 4}));
  writeForeignFile(dir.file("wide-lookup.omx"), "walk", 2, 2, {40, -7});
  ASSERT_TRUE(readOmxTable(dir.file("wide-lookup.omx"), table).ok());
  EXPECT_EQ(table.zones, (std::vector<NodeId>{40, -7}));

  writeForeignFile(dir.file("oblong.omx"), "trips", 2, 3);
  writeForeignFile(dir.file("short-lookup.omx"), "trips", 3, 3, {1, 2});
  writeForeignFile(dir.file("twice.omx"), "trips", 2, 2, {40, 40});
  writeForeignFile(dir.file("wide.omx"), "trips", 2, 2, {40, 4294967336});
  ZoneTable odd = sampleTable(2);
  odd.values[1] = std::nan("");
  ASSERT_TRUE(writeOmxTable(dir.file("nan.omx"), odd).ok());
  odd.values[1] = -1e-300;
  ASSERT_TRUE(writeOmxTable(dir.file("negative.omx"), odd).ok());
  odd.values[1] = 0.0;
  odd.values[3] = HUGE_VAL;
  ASSERT_TRUE(writeOmxTable(dir.file("infinite.omx"), odd).ok());
  dir.write("text.omx", "o_zone_id,d_zone_id,volume\n");
  const struct {
    const char* name;
    const char* message;
  } bad[] = {{"oblong.omx", "/data/trips is not a square matrix"},
             {"short-lookup.omx", "/lookup/zone_number does not hold one number per zone"},
             {"twice.omx", "/lookup/zone_number: zone 40 given twice"},
             {"wide.omx", "/lookup/zone_number: zone number 4294967336 outside the 32-bit range"},
             {"nan.omx", "/data/trips: cell 7 to 5 is not a finite number"},
             {"negative.omx", "/data/trips: cell 7 to 5 is negative"},
             {"infinite.omx", "/data/trips: cell 5 to 5 is not a finite number"},
             {"text.omx", "not an HDF5 file"},
             {"missing.omx", "cannot open: No such file or directory"}};
  for (const auto& file : bad) {
    const Status status = readOmxTable(dir.file(file.name), table);
    EXPECT_EQ(status.message, dir.file(file.name) + ": " + file.message);
  }
  const Status unwritable = writeOmxTable(dir.file("no/such/dir.omx"), sampleTable(2));
  EXPECT_EQ(unwritable.message.rfind(dir.file("no/such/dir.omx") + ": cannot write: ", 0), 0u);
}

}  // namespace
}  // namespace veldmark
