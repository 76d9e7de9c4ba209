// A registry kept as a key tree: seeded from a scenario's "registry" object,
// saved to a state file so that a later run sees what an earlier one wrote,
// with test hooks for faults. The simulated machine's whole registry; on the
// Linux machine, the keys that have no meaning there.
#pragma once

#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>

#include <nlohmann/json_fwd.hpp>

#include "machine/RegistryBackend.h"
#include "store/RegistryTree.h"

namespace plat {

class RegistryStore : public RegistryBackend {
 public:
  // `scenario` is the seed, in the form of a scenario's "registry" object
  // (RegistryTree::toJson). With a state file that
  // exists, the saved tree replaces the scenario's; every change is saved to
  // it, and a change that cannot be saved fails (NotSaved) and is not made. Throws std::runtime_error naming the
  // fault in either.
  RegistryStore(const nlohmann::json& scenario, std::optional<std::filesystem::path> stateFile);

  RegistryResult openKey(const std::string& path, bool forWriting) override;
  RegistryResult createKey(const std::string& path, bool forWriting, bool& created) override;
  RegistryResult queryValue(const std::string& path, const std::string& name, RegistryValue& value) override;
  RegistryResult setValue(const std::string& path, const std::string& name, const RegistryValue& value) override;
  RegistryResult deleteValue(const std::string& path, const std::string& name) override;
  RegistryResult subkeyName(const std::string& path, std::uint32_t index, std::string& name) override;

  // Writes a value that the machine's hardware defines (a connection's keys):
  // it is not saved, since the scenario states it again at every start.
  void publish(const std::string& path, const std::string& name, const RegistryValue& value);

  // Test hooks. A key fault makes opening or creating that key fail with the
  // status; a write fault makes every write below the key fail; failNextCall
  // makes the next call of any kind fail once.
  void failKey(const std::string& path, RegistryStatus fault);
  void failWrites(const std::string& path, RegistryStatus fault);
  void failNextCall(RegistryStatus fault);
  bool hasValue(const std::string& path, const std::string& name) const;

 private:
  RegistryStatus injectedFault(const std::string& path, bool writing);
  // Makes the change on a copy of the tree and keeps it once it is saved;
  // NotSaved otherwise.
  RegistryResult changeAndSave(const std::function<void(RegistryTree&)>& change);

  mutable std::mutex mutex_;
  RegistryTree tree_;
  std::optional<std::filesystem::path> stateFile_;
  std::vector<std::pair<std::string, RegistryStatus>> keyFaults_;
  std::vector<std::pair<std::string, RegistryStatus>> writeFaults_;
  RegistryStatus nextCallFault_ = RegistryStatus::Ok;
};

}  // namespace plat
