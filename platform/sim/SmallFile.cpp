#include "sim/SmallFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace plat::sim {
namespace {

std::runtime_error failure(const char* what, int error) {
  return std::runtime_error(std::string(what) + ": " + std::strerror(error));
}

}  // namespace

ClosingDescriptor::~ClosingDescriptor() { ::close(fd); }

std::optional<std::string> readSmallFile(const std::filesystem::path& path, std::size_t limit) {
  // O_NONBLOCK: opening a FIFO without a writer would wait for one.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    if (errno == ELOOP) throw std::runtime_error("is a symbolic link");
    throw failure("cannot be opened", errno);
  }
  const ClosingDescriptor guard{fd};
  struct stat info {};
  if (::fstat(fd, &info) != 0) throw failure("cannot be examined", errno);
  if (!S_ISREG(info.st_mode)) throw std::runtime_error("is not a regular file");
  const auto tooLarge = [limit] { return std::runtime_error("is larger than " + std::to_string(limit) + " bytes"); };
  if (static_cast<std::uintmax_t>(info.st_size) > limit) throw tooLarge();

  std::string content;
  char buffer[4096];
  for (;;) {
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count < 0) {
      if (errno == EINTR) continue;
      throw failure("cannot be read", errno);
    }
    if (count == 0) break;
    content.append(buffer, static_cast<std::size_t>(count));
    // It may have grown since fstat.
    if (content.size() > limit) throw tooLarge();
  }
  return content;
}

}  // namespace plat::sim
