// Checks of the finished estimate and of where its table goes, made before
// the trip table file is written.
#pragma once

#include <string>

#include "veldmark/network.h"
#include "veldmark/types.h"

namespace veldmark {

/// Fails with "the estimate overflowed: ..." naming the largest observed
/// flow when an entry of `tripTable`, or their total that the file's header
/// gives, is not finite (observed flows so large that the estimation leaves
/// the range of a double); such a table is never written. Reads only;
/// allocates nothing but the message.
Status checkTableIsFinite(const DenseMatrix& tripTable, const AbstractNetwork& abstract);

/// True when `path` names the regular file that descriptor `fd` (standard
/// output) writes to, directly, through a symbolic link or /dev/stdout.
/// Reads the file system's metadata only.
bool isDescriptorFile(const std::string& path, int fd);

}  // namespace veldmark
