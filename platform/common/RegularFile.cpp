#include "common/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace plat {

int nonRegularFileError(mode_t mode) {
  if (S_ISDIR(mode)) return EISDIR;
  return S_ISREG(mode) ? 0 : EACCES;
}

int readRegularFile(const char* path, std::size_t maxSize, std::string& content, bool followLinks) {
  content.clear();
  // Opening a pipe without a writer would wait for one: O_NONBLOCK.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW));
  if (fd < 0) return errno;
  int error = 0;
  struct stat status {};
  if (::fstat(fd, &status) != 0) {
    error = errno;
  } else if (const int refusal = nonRegularFileError(status.st_mode)) {
    error = refusal;
  } else if (static_cast<unsigned long long>(status.st_size) > maxSize) {
    error = EFBIG;
  } else {
    content.resize(static_cast<std::size_t>(status.st_size));
    std::size_t filled = 0;
    // The file may grow or shrink while it is read: read to its end, within
    // the limit.
    while (true) {
      if (filled == content.size()) content.resize(std::min(maxSize + 1, filled + 4096 + filled / 2));
      const ssize_t count = ::read(fd, content.data() + filled, content.size() - filled);
      if (count < 0 && errno == EINTR) continue;
      if (count < 0) {
        error = errno;
        break;
      }
      if (count == 0) break;
      filled += static_cast<std::size_t>(count);
      if (filled > maxSize) {
        error = EFBIG;
        break;
      }
    }
    content.resize(error == 0 ? filled : 0);
  }
  ::close(fd);
  return error;
}

std::string readFailureReason(const char* path, int error, std::size_t maxSize) {
  if (error == EFBIG) return "The file is larger than " + std::to_string(maxSize) + " bytes";
  struct stat status {};
  if (error == EACCES && ::stat(path, &status) == 0 && !S_ISREG(status.st_mode)) return "Not a regular file";
  return std::strerror(error);
}

}  // namespace plat
