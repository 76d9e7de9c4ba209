#include "linux/LinuxRegistry.h"

#include <algorithm>
#include <cerrno>
#include <sstream>

#include <nlohmann/json.hpp>

#include "common/AsciiCase.h"
#include "common/AtomicFile.h"
#include "linux/AutostartEntry.h"
#include "linux/kernel/SystemFiles.h"
#include "store/RegistryTree.h"

namespace plat::lnx {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t autostartEntryLimit = 64 << 10;  // a desktop entry of a few lines

constexpr char runKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char networkClassKey[] = "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
constexpr char connectionSubkey[] = "Connection";

std::vector<std::string> parts(const std::string& path) {
  std::vector<std::string> out;
  std::istringstream in(path);
  std::string part;
  while (std::getline(in, part, '\\')) {
    if (!part.empty()) out.push_back(part);
  }
  return out;
}

// The parts of `path` after `prefix`, or none when it does not lie at or below it.
std::optional<std::vector<std::string>> below(const std::string& path, const char* prefix) {
  std::vector<std::string> pathParts = parts(path);
  const std::vector<std::string> prefixParts = parts(prefix);
  if (pathParts.size() < prefixParts.size() ||
      !std::equal(prefixParts.begin(), prefixParts.end(), pathParts.begin(),
                  [](const std::string& a, const std::string& b) { return equalsNoCase(a, b); })) {
    return std::nullopt;
  }
  pathParts.erase(pathParts.begin(), pathParts.begin() + static_cast<std::ptrdiff_t>(prefixParts.size()));
  return pathParts;
}

bool isRunKey(const std::string& path) {
  const auto rest = below(path, runKey);
  return rest && rest->empty();
}

bool isBelowRunKey(const std::string& path) {
  const auto rest = below(path, runKey);
  return rest && !rest->empty();
}

bool isInConnectionTree(const std::string& path) { return below(path, networkClassKey).has_value(); }

// A Run value names a file in the autostart folder.
bool usableValueName(const std::string& name) { return !name.empty() && name.find('/') == std::string::npos; }

RegistryResult writeError(int error) {
  return error == EACCES || error == EPERM || error == EROFS ? RegistryStatus::AccessDenied : RegistryStatus::CannotWrite;
}

std::string stringData(const RegistryValue& value) {
  const auto end = std::find(value.data.begin(), value.data.end(), std::uint8_t{0});
  return std::string(value.data.begin(), end);
}

}  // namespace

LinuxRegistry::LinuxRegistry(DeviceView& devices, Places places)
    : devices_(devices),
      places_(std::move(places)),
      // The keys served elsewhere still appear in the tree, so that their
      // parents can be opened and list them.
      store_(nlohmann::json{{runKey, nlohmann::json::object()}, {networkClassKey, nlohmann::json::object()}},
             places_.storeFile) {}

RegistryResult LinuxRegistry::openKey(const std::string& path, bool forWriting) {
  if (isRunKey(path)) return RegistryStatus::Ok;
  if (isBelowRunKey(path)) return RegistryStatus::NotFound;
  if (isInConnectionTree(path)) {
    if (!isConnectionTreeKey(path)) return RegistryStatus::NotFound;
    return forWriting ? RegistryStatus::AccessDenied : RegistryStatus::Ok;
  }
  return store_.openKey(path, forWriting);
}

RegistryResult LinuxRegistry::createKey(const std::string& path, bool forWriting, bool& created) {
  created = false;
  if (isRunKey(path)) return RegistryStatus::Ok;
  if (isBelowRunKey(path)) return RegistryStatus::AccessDenied;  // the autostart folder holds no subkeys
  if (isInConnectionTree(path)) {
    if (!isConnectionTreeKey(path)) return RegistryStatus::AccessDenied;
    return forWriting ? RegistryStatus::AccessDenied : RegistryStatus::Ok;
  }
  return store_.createKey(path, forWriting, created);
}

RegistryResult LinuxRegistry::queryValue(const std::string& path, const std::string& name, RegistryValue& value) {
  if (isRunKey(path)) {
    if (!usableValueName(name)) return RegistryStatus::NotFound;
    std::lock_guard lock(autostartMutex_);
    const auto text = readSystemFile(autostartFile(name), autostartEntryLimit);
    if (!text) return RegistryStatus::NotFound;
    const auto command = autostartCommand(*text);
    if (!command) return RegistryStatus::NotFound;
    value = RegistryTree::stringValue(*command);
    return RegistryStatus::Ok;
  }
  if (isBelowRunKey(path)) return RegistryStatus::NotFound;
  if (isInConnectionTree(path)) {
    const auto values = connectionKey(path);
    if (!values) return RegistryStatus::NotFound;
    auto it = std::find_if(values->begin(), values->end(), [&](const auto& entry) { return equalsNoCase(entry.first, name); });
    if (it == values->end()) return RegistryStatus::NotFound;
    value = it->second;
    return RegistryStatus::Ok;
  }
  return store_.queryValue(path, name, value);
}

RegistryResult LinuxRegistry::setValue(const std::string& path, const std::string& name, const RegistryValue& value) {
  if (isRunKey(path)) {
    if (!usableValueName(name)) return RegistryStatus::InvalidName;
    if (value.type != registryText && value.type != registryExpandableText) return RegistryStatus::NotSupported;
    std::lock_guard lock(autostartMutex_);
    std::error_code error;
    fs::create_directories(places_.autostartFolder, error);
    if (error) return writeError(error.value());
    if (!writeFileAtomically(autostartFile(name), autostartEntry(name, stringData(value)))) return writeError(errno);
    return RegistryStatus::Ok;
  }
  if (isBelowRunKey(path)) return RegistryStatus::NotFound;
  if (isInConnectionTree(path)) return RegistryStatus::AccessDenied;
  return store_.setValue(path, name, value);
}

RegistryResult LinuxRegistry::deleteValue(const std::string& path, const std::string& name) {
  if (isRunKey(path)) {
    if (!usableValueName(name)) return RegistryStatus::NotFound;
    std::lock_guard lock(autostartMutex_);
    std::error_code error;
    if (!fs::remove(autostartFile(name), error)) return error ? writeError(error.value()) : RegistryStatus::NotFound;
    return RegistryStatus::Ok;
  }
  if (isBelowRunKey(path)) return RegistryStatus::NotFound;
  if (isInConnectionTree(path)) return RegistryStatus::AccessDenied;
  return store_.deleteValue(path, name);
}

RegistryResult LinuxRegistry::subkeyName(const std::string& path, std::uint32_t index, std::string& name) {
  if (isInConnectionTree(path)) {
    if (!isConnectionTreeKey(path)) return RegistryStatus::NotFound;
    const std::vector<std::string> subkeys = connectionSubkeys(path);
    if (index >= subkeys.size()) return RegistryStatus::NoMoreItems;
    name = subkeys[index];
    return RegistryStatus::Ok;
  }
  if (isBelowRunKey(path)) return RegistryStatus::NotFound;
  return store_.subkeyName(path, index, name);
}

bool LinuxRegistry::isConnectionTreeKey(const std::string& path) {
  const auto rest = below(path, networkClassKey);
  if (!rest || rest->size() > 2) return false;
  if (rest->empty()) return true;
  const std::vector<std::string> guids = connectionSubkeys(networkClassKey);
  const bool known = std::any_of(guids.begin(), guids.end(), [&](const std::string& guid) { return equalsNoCase(guid, rest->front()); });
  return known && (rest->size() == 1 || equalsNoCase((*rest)[1], connectionSubkey));
}

std::vector<std::string> LinuxRegistry::connectionSubkeys(const std::string& path) {
  const auto rest = below(path, networkClassKey);
  if (rest && rest->size() == 1) return {connectionSubkey};
  std::vector<std::string> guids;
  if (rest && rest->empty()) {
    for (const MachineDevice& device : devices_.lastLook()) guids.push_back(device.guid);
  }
  return guids;
}

std::optional<std::vector<std::pair<std::string, RegistryValue>>> LinuxRegistry::connectionKey(const std::string& path) {
  const auto rest = below(path, networkClassKey);
  if (!rest || rest->size() != 2 || !equalsNoCase((*rest)[1], connectionSubkey)) return std::nullopt;
  for (const MachineDevice& device : devices_.lastLook()) {
    if (!equalsNoCase(device.guid, rest->front())) continue;
    std::vector<std::pair<std::string, RegistryValue>> values;
    if (!device.connectionName.empty()) values.emplace_back("Name", RegistryTree::stringValue(device.connectionName));
    if (device.kernel && !device.kernel->hardwareId.empty()) {
      values.emplace_back("PnpInstanceID", RegistryTree::stringValue(device.kernel->hardwareId));
    }
    values.emplace_back("MediaSubType", RegistryTree::dwordValue(device.wireless() ? 2 : 1));
    return values;
  }
  return std::nullopt;
}

fs::path LinuxRegistry::autostartFile(const std::string& valueName) const {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(places_.autostartFolder, error)) {
    const fs::path& file = entry.path();
    if (file.extension() == ".desktop" && equalsNoCase(file.stem().string(), valueName)) return file;
  }
  return places_.autostartFolder / (valueName + ".desktop");
}

}  // namespace plat::lnx
