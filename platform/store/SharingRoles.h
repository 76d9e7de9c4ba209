// Which connection a machine shares publicly and which privately, kept as
// Windows keeps it: across runs, in a state file (sharing.json), until
// something disables it. Not locked: its owner (the machine's network
// backend) serialises the calls.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "machine/NetworkBackend.h"

namespace plat {

class SharingRoles {
 public:
  // `initial` holds the roles to start from as a scenario's "sharing" object
  // gives them ({"public": guid, "private": guid}, either may be missing or
  // null); a saved state file replaces it. GUID texts compare without case.
  // Throws std::runtime_error when either is malformed.
  SharingRoles(const nlohmann::json& initial, std::optional<std::filesystem::path> stateFile);

  // The connection that holds `role` (not none), or empty.
  const std::string& holder(SharingRole role) const;
  SharingRole roleOf(const std::string& guid) const;

  // Gives `guid` the role unless another connection holds it or `guid`
  // holds the other one (RoleTaken); Ok when it held it already. A change
  // that cannot be saved is not made (NotSaved).
  SharingResult grant(const std::string& guid, SharingRole role);

  // Takes away whatever role `guid` holds, saved at once; a change that
  // cannot be saved is not made (NotSaved).
  SharingResult clear(const std::string& guid);

 private:
  // Throws std::runtime_error naming the fault.
  void load(const nlohmann::json& json);
  // Gives `guid` the role, or takes away whatever role it holds, and saves.
  SharingResult assign(const std::string& guid, SharingRole role);
  // Takes away the role `guid` holds; false when it held none.
  bool dropRoles(const std::string& guid);
  // Saves the roles as they are now; when that fails, they go back to
  // `before` (public, private).
  SharingResult saveOrRevert(const std::pair<std::string, std::string>& before);

  std::string public_;
  std::string private_;
  std::optional<std::filesystem::path> stateFile_;
};

}  // namespace plat
