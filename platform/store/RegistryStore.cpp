#include "store/RegistryStore.h"

#include <stdexcept>

#include <nlohmann/json.hpp>

#include "store/StateFile.h"
#include "win32/AsciiCase.h"
#include "winreg.h"

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

std::int32_t RegistryStore::injectedFault(const std::string& path, bool writing) {
  if (nextCallFault_ != 0) return std::exchange(nextCallFault_, 0);
  for (const auto& [key, error] : keyFaults_) {
    if (equalsNoCase(key, path)) return error;
  }
  if (writing) {
    for (const auto& [key, error] : writeFaults_) {
      if (isAtOrBelow(path, key)) return error;
    }
  }
  return ERROR_SUCCESS;
}

std::int32_t RegistryStore::openKey(const std::string& path, std::uint32_t /*access*/) {
  std::lock_guard lock(mutex_);
  if (auto fault = injectedFault(path, false)) return fault;
  return tree_.find(path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

std::int32_t RegistryStore::createKey(const std::string& path, std::uint32_t /*access*/, bool& created) {
  std::lock_guard lock(mutex_);
  created = false;
  if (auto fault = injectedFault(path, false)) return fault;
  if (tree_.find(path)) return ERROR_SUCCESS;
  const auto error = changeAndSave([&](RegistryTree& tree) { tree.findOrCreate(path, created); });
  if (error != ERROR_SUCCESS) created = false;
  return error;
}

std::int32_t RegistryStore::queryValue(const std::string& path, const std::string& name, RegistryValue& value) {
  std::lock_guard lock(mutex_);
  if (auto fault = injectedFault("", false)) return fault;
  auto* key = tree_.find(path);
  if (!key) return ERROR_FILE_NOT_FOUND;
  auto* found = key->value(name);
  if (!found) return ERROR_FILE_NOT_FOUND;
  value = *found;
  return ERROR_SUCCESS;
}

std::int32_t RegistryStore::setValue(const std::string& path, const std::string& name, const RegistryValue& value) {
  std::lock_guard lock(mutex_);
  if (auto fault = injectedFault(path, true)) return fault;
  if (!tree_.find(path)) return ERROR_FILE_NOT_FOUND;
  return changeAndSave([&](RegistryTree& tree) { tree.setValue(path, name, value); });
}

std::int32_t RegistryStore::deleteValue(const std::string& path, const std::string& name) {
  std::lock_guard lock(mutex_);
  if (auto fault = injectedFault(path, true)) return fault;
  auto* key = tree_.find(path);
  if (!key || !key->value(name)) return ERROR_FILE_NOT_FOUND;
  return changeAndSave([&](RegistryTree& tree) { tree.deleteValue(path, name); });
}

std::int32_t RegistryStore::subkeyName(const std::string& path, std::uint32_t index, std::string& name) {
  std::lock_guard lock(mutex_);
  if (auto fault = injectedFault("", false)) return fault;
  auto* key = tree_.find(path);
  if (!key) return ERROR_FILE_NOT_FOUND;
  if (index >= key->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  name = key->subkeys[index]->name;
  return ERROR_SUCCESS;
}

void RegistryStore::publish(const std::string& path, const std::string& name, const RegistryValue& value) {
  std::lock_guard lock(mutex_);
  tree_.setValue(path, name, value);
}

void RegistryStore::failKey(const std::string& path, std::int32_t error) {
  std::lock_guard lock(mutex_);
  keyFaults_.emplace_back(path, error);
}

void RegistryStore::failWrites(const std::string& path, std::int32_t error) {
  std::lock_guard lock(mutex_);
  writeFaults_.emplace_back(path, error);
}

void RegistryStore::failNextCall(std::int32_t error) {
  std::lock_guard lock(mutex_);
  nextCallFault_ = error;
}

bool RegistryStore::hasValue(const std::string& path, const std::string& name) const {
  std::lock_guard lock(mutex_);
  auto* key = tree_.find(path);
  return key && key->value(name);
}

std::int32_t RegistryStore::changeAndSave(const std::function<void(RegistryTree&)>& change) {
  RegistryTree changed = tree_;
  change(changed);
  if (const auto error = writeStateFile(stateFile_, changed.toJson()); error != ERROR_SUCCESS) {
    return static_cast<std::int32_t>(error);
  }
  tree_ = std::move(changed);
  return ERROR_SUCCESS;
}

}  // namespace plat
