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
// larger than `maxSize` bytes (nothing is read then). Without `followLinks`
// a symbolic link in the last component is refused (ELOOP).
int readRegularFile(const char* path, std::size_t maxSize, std::string& content, bool followLinks = true);

// Why readRegularFile failed with `error`, as a user would look for it:
// "Not a regular file", "The file is larger than <maxSize> bytes" or the
// system's text for the errno.
std::string readFailureReason(const char* path, int error, std::size_t maxSize);

}  // namespace plat
