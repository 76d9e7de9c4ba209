// Reading the small files the Linux machine learns from (procfs, sysfs, the
// hotspot's lease file, autostart entries) without ever waiting on one: the
// platform's one reader of regular files, so a pipe or a device in a file's
// place is refused, and so is a file beyond the size given.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace plat::lnx {

// The whole text of the file; none when it is missing, no regular file or
// larger than `limit` bytes.
std::optional<std::string> readSystemFile(const std::filesystem::path& file, std::size_t limit);

}  // namespace plat::lnx
