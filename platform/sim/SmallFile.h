// Reading a small file that a folder of the simulated machine holds (its
// saved state, an entry in the air) without trusting what the name stands
// for: a FIFO or a device is not opened for reading, a symbolic link is not
// followed, an oversized file is not read.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace plat::sim {

// Closes a descriptor when it goes.
struct ClosingDescriptor {
  explicit ClosingDescriptor(int descriptor) : fd(descriptor) {}
  ~ClosingDescriptor();
  ClosingDescriptor(const ClosingDescriptor&) = delete;
  ClosingDescriptor& operator=(const ClosingDescriptor&) = delete;

  const int fd;
};

// The whole content of `path`, which must be a regular file of at most
// `limit` bytes; none when there is no such file. Throws std::runtime_error
// naming the cause (not the path) when it exists but cannot be read.
std::optional<std::string> readSmallFile(const std::filesystem::path& path, std::size_t limit);

}  // namespace plat::sim
