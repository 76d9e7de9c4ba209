// Small helpers of the HTTP and update tests: files, environment variables,
// the error log's lines.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace updatetest {

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& content);

// The lines of a file split at CR LF (a final CR LF ends the last line).
std::vector<std::string> crlfLines(const std::string& text);

// Writes a small ELF file that carries the given file version, as the
// project's build embeds it into its binaries.
void writeVersionedFile(const std::filesystem::path& path, std::array<std::uint16_t, 4> version);

// Removes the proxy and certificate variables that libcurl or the platform
// would follow, so that requests go straight to loopback. For the start of a
// test suite, before any other thread runs.
void clearNetworkEnvironment();

}  // namespace updatetest
