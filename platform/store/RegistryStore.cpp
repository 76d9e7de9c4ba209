#include "store/RegistryStore.h"

#include <stdexcept>

#include <nlohmann/json.hpp>

#include "common/AsciiCase.h"
#include "store/StateFile.h"

namespace plat {
namespace {

bool isAtOrBelow(const std::string& path, const std::string& top) {
  if (path.size() < top.size() || !equalsNoCase(std::string_view(path).substr(0, top.size()), top)) return false;
  return path.size() == top.size() || path[top.size()] == '\\';
}

}  // namespace

RegistryStore::RegistryStore(const nlohmann::json& scenario, std::optional<std::filesystem::path> stateFile)
    : stateFile_(std::move(stateFile)) {
  const bool saved =
      loadStateFile(stateFile_, "registry", [this](const nlohmann::json& tree) { tree_ = RegistryTree::fromJson(tree); });
  if (!saved) tree_ = RegistryTree::fromJson(scenario);
}

RegistryStatus RegistryStore::injectedFault(const std::string& path, bool writing) {
  if (nextCallFault_ != RegistryStatus::Ok) return std::exchange(nextCallFault_, RegistryStatus::Ok);
  for (const auto& [key, error] : keyFaults_) {
    if (equalsNoCase(key, path)) return error;
  }
  if (writing) {
    for (const auto& [key, error] : writeFaults_) {
      if (isAtOrBelow(path, key)) return error;
    }
  }
  return RegistryStatus::Ok;
}

RegistryResult RegistryStore::openKey(const std::string& path, bool /*forWriting*/) {
  std::lock_guard lock(mutex_);
  if (auto fault = injectedFault(path, false); fault != RegistryStatus::Ok) return fault;
  return tree_.find(path) ? RegistryStatus::Ok : RegistryStatus::NotFound;
}

RegistryResult RegistryStore::createKey(const std::string& path, bool /*forWriting*/, bool& created) {
  std::lock_guard lock(mutex_);
  created = false;
  if (auto fault = injectedFault(path, false); fault != RegistryStatus::Ok) return fault;
  if (tree_.find(path)) return RegistryStatus::Ok;
  const auto result = changeAndSave([&](RegistryTree& tree) { tree.findOrCreate(path, created); });
  if (!result.ok()) created = false;
  return result;
}

RegistryResult RegistryStore::queryValue(const std::string& path, const std::string& name, RegistryValue& value) {
  std::lock_guard lock(mutex_);
  if (auto fault = injectedFault("", false); fault != RegistryStatus::Ok) return fault;
  auto* key = tree_.find(path);
  if (!key) return RegistryStatus::NotFound;
  auto* found = key->value(name);
  if (!found) return RegistryStatus::NotFound;
  value = *found;
  return RegistryStatus::Ok;
}

RegistryResult RegistryStore::setValue(const std::string& path, const std::string& name, const RegistryValue& value) {
  std::lock_guard lock(mutex_);
  if (auto fault = injectedFault(path, true); fault != RegistryStatus::Ok) return fault;
  if (!tree_.find(path)) return RegistryStatus::NotFound;
  return changeAndSave([&](RegistryTree& tree) { tree.setValue(path, name, value); });
}

RegistryResult RegistryStore::deleteValue(const std::string& path, const std::string& name) {
  std::lock_guard lock(mutex_);
  if (auto fault = injectedFault(path, true); fault != RegistryStatus::Ok) return fault;
  auto* key = tree_.find(path);
  if (!key || !key->value(name)) return RegistryStatus::NotFound;
  return changeAndSave([&](RegistryTree& tree) { tree.deleteValue(path, name); });
}

RegistryResult RegistryStore::subkeyName(const std::string& path, std::uint32_t index, std::string& name) {
  std::lock_guard lock(mutex_);
  if (auto fault = injectedFault("", false); fault != RegistryStatus::Ok) return fault;
  auto* key = tree_.find(path);
  if (!key) return RegistryStatus::NotFound;
  if (index >= key->subkeys.size()) return RegistryStatus::NoMoreItems;
  name = key->subkeys[index]->name;
  return RegistryStatus::Ok;
}

void RegistryStore::publish(const std::string& path, const std::string& name, const RegistryValue& value) {
  std::lock_guard lock(mutex_);
  tree_.setValue(path, name, value);
}

void RegistryStore::failKey(const std::string& path, RegistryStatus fault) {
  std::lock_guard lock(mutex_);
  keyFaults_.emplace_back(path, fault);
}

void RegistryStore::failWrites(const std::string& path, RegistryStatus fault) {
  std::lock_guard lock(mutex_);
  writeFaults_.emplace_back(path, fault);
}

void RegistryStore::failNextCall(RegistryStatus fault) {
  std::lock_guard lock(mutex_);
  nextCallFault_ = fault;
}

bool RegistryStore::hasValue(const std::string& path, const std::string& name) const {
  std::lock_guard lock(mutex_);
  auto* key = tree_.find(path);
  return key && key->value(name);
}

RegistryResult RegistryStore::changeAndSave(const std::function<void(RegistryTree&)>& change) {
  RegistryTree changed = tree_;
  change(changed);
  if (const int error = writeStateFile(stateFile_, changed.toJson()); error != 0) return RegistryResult::notSaved(error);
  tree_ = std::move(changed);
  return RegistryStatus::Ok;
}

}  // namespace plat
