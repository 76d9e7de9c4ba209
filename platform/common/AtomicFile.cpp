#include "common/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

#include "common/FileMode.h"

namespace plat {
namespace {

namespace fs = std::filesystem;

// As the kernel's own limit on links followed in one path.
constexpr int MaxLinksFollowed = 40;

// The file that `path` names once symbolic links are followed; the path
// itself when it is not a link (or does not exist yet).
bool followLinks(fs::path path, fs::path& target) {
  for (int followed = 0; followed < MaxLinksFollowed; ++followed) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(path, error))) {
      target = std::move(path);
      return true;
    }
    const fs::path link = fs::read_symlink(path, error);
    if (error) {
      errno = error.value();
      return false;
    }
    path = link.is_absolute() ? link : path.parent_path() / link;
  }
  errno = ELOOP;
  return false;
}

bool writeAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t written = ::write(fd, content.data(), content.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    content.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Closes `fd` and keeps errno from the failure that came first.
bool closeAfter(int fd, bool succeeded) {
  const int saved = errno;
  const bool closed = ::close(fd) == 0;
  if (!succeeded) errno = saved;
  return succeeded && closed;
}

// Writes over the file itself: its inode, mode and owner stay as they are.
bool writeInPlace(const fs::path& target, std::string_view content) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd < 0) return false;
  const bool written = writeAll(fd, content) && ::ftruncate(fd, static_cast<off_t>(content.size())) == 0 &&
                       ::fsync(fd) == 0;
  return closeAfter(fd, written);
}

// Why an existing file may not be replaced, as an errno; 0 when it may.
int refusalFor(const struct stat& status) {
  if (S_ISDIR(status.st_mode)) return EISDIR;
  if (!S_ISREG(status.st_mode)) return EACCES;
  if (isReadOnlyMode(status.st_mode)) return EACCES;
  return 0;
}

bool isPermissionFailure(int error) { return error == EACCES || error == EPERM || error == ENAMETOOLONG; }

}  // namespace

bool writeFileAtomically(const fs::path& path, std::string_view content) {
  fs::path target;
  if (!followLinks(path, target)) return false;
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) return false;
  if (exists) {
    if (const int refusal = refusalFor(old)) {
      errno = refusal;
      return false;
    }
  }

  // mkostemp creates the file readable and writable by its owner only.
  std::string temp = target.string() + ".XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return isPermissionFailure(errno) && writeInPlace(target, content);
  const auto discardTemp = [&] {
    const int saved = errno;
    ::unlink(temp.c_str());
    errno = saved;
    return false;
  };
  // Changing the owner clears set-id bits, so the mode comes after it.
  if (exists && (::fchown(fd, old.st_uid, old.st_gid) != 0 || ::fchmod(fd, old.st_mode & 07777) != 0)) {
    ::close(fd);
    discardTemp();
    return writeInPlace(target, content);
  }
  if (!closeAfter(fd, writeAll(fd, content) && ::fsync(fd) == 0)) return discardTemp();
  if (::rename(temp.c_str(), target.c_str()) != 0) return discardTemp();
  return true;
}

}  // namespace plat
