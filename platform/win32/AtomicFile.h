// Replacing a file's whole content so that readers and crashes see either the
// old or the new content, never a truncated one.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string_view>

namespace plat {

// Writes `content` to a temporary file beside `path`, flushes it to disk and
// renames it over `path`, which then has `mode`. On failure the old file is
// untouched, the temporary file is removed, errno tells why and the result is
// false.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view content, mode_t mode = 0644);

}  // namespace plat
