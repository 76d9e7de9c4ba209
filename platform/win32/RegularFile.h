// Reading a whole file of the host system without ever waiting on it: only
// regular files are read, so a pipe or a device in a file's place is refused
// instead of blocking the caller.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace plat {

// Why a file of this mode is not a regular file, as an errno: EISDIR for a
// folder, EACCES for anything else that is not a regular file (a pipe, a
// device, a socket); 0 for a regular file.
int nonRegularFileError(mode_t mode);

// Reads the regular file whole into `content`. Returns 0, or an errno: the
// failed open or read, nonRegularFileError's answer, or EFBIG for a file
// larger than `maxSize` bytes (nothing is read then).
int readRegularFile(const char* path, std::size_t maxSize, std::string& content);

}  // namespace plat
