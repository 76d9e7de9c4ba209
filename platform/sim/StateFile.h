// The files in which a simulated machine keeps what outlives a run.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace plat::sim {

// The saved content, or none when there is no file (or no state folder).
// Throws std::runtime_error "saved <what> <path> is damaged: ..." when the
// file is not valid JSON.
std::optional<nlohmann::json> readStateFile(const std::optional<std::filesystem::path>& path, const std::string& what);

// Replaces the file atomically, creating its folder. A failed save leaves the
// previous file; the running machine keeps the change in memory, as a system
// whose flush failed would. Does nothing without a path.
void writeStateFile(const std::optional<std::filesystem::path>& path, const nlohmann::json& content);

}  // namespace plat::sim
