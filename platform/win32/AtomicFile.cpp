#include "win32/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace plat {

bool writeFileAtomically(const std::filesystem::path& path, std::string_view content, mode_t mode) {
  std::string temp = path.string() + ".XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return false;

  auto fail = [&] {
    int saved = errno;
    ::close(fd);
    ::unlink(temp.c_str());
    errno = saved;
    return false;
  };

  // mkstemp creates the file readable by its owner only; an INI file is an
  // ordinary file of the user.
  if (::fchmod(fd, mode) != 0) return fail();
  const char* data = content.data();
  std::size_t left = content.size();
  while (left > 0) {
    ssize_t written = ::write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return fail();
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  if (::fsync(fd) != 0) return fail();
  if (::close(fd) != 0) {
    int saved = errno;
    ::unlink(temp.c_str());
    errno = saved;
    return false;
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    int saved = errno;
    ::unlink(temp.c_str());
    errno = saved;
    return false;
  }
  return true;
}

}  // namespace plat
