// Writing an output file's bytes through a descriptor or over an existing
// file in place, for the cases where no temporary file can take its place.
#pragma once

#include <string>

namespace veldmark {

/// Writes all of `text` to the open descriptor `fd` at its current offset,
/// resuming after partial and interrupted writes. Returns 0, or the errno of
/// the write that failed (EFBIG past a file size limit when SIGXFSZ is
/// ignored). Never closes `fd`.
int writeAll(int fd, const std::string& text);

/// Makes `text` the whole content of the existing regular file `path` by
/// writing over it: the same inode, so its owner, group, mode and every hard
/// link stay. Before the first byte changes it checks the file size limit
/// and reserves the blocks (where the file system can), so that a full disk
/// or a size limit leaves the file as it was; then writes from offset 0,
/// truncates to the new size, syncs and closes. SIGINT, SIGTERM and SIGHUP
/// are held back meanwhile, so that no signal leaves a cut file. Returns 0,
/// or the errno of the step that failed. Prints nothing.
int writeInPlace(const std::string& path, const std::string& text);

}  // namespace veldmark
