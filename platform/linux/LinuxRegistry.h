// The Linux machine's registry. Three kinds of keys:
// - the Run key, whose values are the user's XDG autostart entries
//   (<autostart folder>/<value name>.desktop), so "Autorun with Windows"
//   starts the program at login;
// - the network connection keys the adapter inventory reads, made read-only
//   from what sysfs and NetworkManager tell about each device;
// - every other key, kept in a store file as the simulated machine keeps its
//   registry.
#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

#include "linux/MachineDevices.h"
#include "machine/RegistryBackend.h"
#include "store/RegistryStore.h"

namespace plat::lnx {

class LinuxRegistry : public RegistryBackend {
 public:
  struct Places {
    std::filesystem::path storeFile;        // $XDG_CONFIG_HOME/brisklane/registry.json
    std::filesystem::path autostartFolder;  // $XDG_CONFIG_HOME/autostart
  };

  // The connection keys tell the devices of the view's last look: the one
  // the adapter or connection listing that reads them has just taken.
  // Throws std::runtime_error when the store file is damaged.
  LinuxRegistry(DeviceView& devices, Places places);

  RegistryResult openKey(const std::string& path, bool forWriting) override;
  RegistryResult createKey(const std::string& path, bool forWriting, bool& created) override;
  RegistryResult queryValue(const std::string& path, const std::string& name, RegistryValue& value) override;
  RegistryResult setValue(const std::string& path, const std::string& name, const RegistryValue& value) override;
  RegistryResult deleteValue(const std::string& path, const std::string& name) override;
  RegistryResult subkeyName(const std::string& path, std::uint32_t index, std::string& name) override;

 private:
  // The values of a connection key, or none when `path` is no such key.
  std::optional<std::vector<std::pair<std::string, RegistryValue>>> connectionKey(const std::string& path);
  std::vector<std::string> connectionSubkeys(const std::string& path);
  bool isConnectionTreeKey(const std::string& path);

  // The autostart entry of a Run value: the file whose name matches without
  // case, or where a new one goes.
  std::filesystem::path autostartFile(const std::string& valueName) const;

  DeviceView& devices_;
  Places places_;
  std::mutex autostartMutex_;
  RegistryStore store_;
};

}  // namespace plat::lnx
