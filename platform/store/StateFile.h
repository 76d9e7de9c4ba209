// The files in which a machine keeps what outlives a run: JSON, replaced
// atomically.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

namespace plat {

// A saved state that cannot be used; the message names the file and why.
class StateFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Hands the saved content to `load`; false when there is no file (or no
// state folder). Throws StateFileError "saved <what> <path> ..." naming the
// cause when the file cannot be read, is not valid JSON, or `load` refuses
// its content (by throwing std::runtime_error).
bool loadStateFile(const std::optional<std::filesystem::path>& path, const std::string& what,
                   const std::function<void(const nlohmann::json&)>& load);

// Replaces the file atomically, creating its folder (a new file is readable
// by its owner only). Does nothing without a path. A failed save is reported
// on stderr naming the file and the cause, leaves the previous file and
// returns the cause (machine/MachineResult.h), which the call that caused it
// hands on; otherwise 0.
int writeStateFile(const std::optional<std::filesystem::path>& path, const nlohmann::json& content);

}  // namespace plat
