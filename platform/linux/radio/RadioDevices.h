// The Wi-Fi devices as the radio sees them: NetworkManager's, with the
// profiles in use on them and which of those this instance brought up. Any
// thread may call it.
#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "linux/DeviceInventory.h"
#include "linux/nm/NmClient.h"
#include "linux/nm/NmProfiles.h"

namespace plat::lnx {

class RadioDevices {
 public:
  struct WifiDevice {
    NetworkDevice device;
    std::string id;
  };
  // A profile in use on a device.
  struct ActiveProfile {
    QString activePath;
    QString profilePath;
    ProfileSettings settings;
    bool activated = false;  // up, not still coming up or going down
  };

  RadioDevices(NmClient& client, DeviceInventory& inventory);

  // Those that can host a network first, and among them those that do not
  // carry the Internet; ids are the devices' GUIDs.
  std::vector<WifiDevice> wifiDevices();
  // The device, or the refusal why there is none.
  std::optional<WifiDevice> findDevice(const std::string& interfaceId, std::size_t* wifiCount = nullptr);
  // Why no device was found: NetworkManager away or answering with errors,
  // else `otherwise`.
  std::string unreachableOr(std::string otherwise);
  // NetworkManager running, Wi-Fi switched on and the device managed.
  bool ready(const WifiDevice& wifi);

  std::optional<ActiveProfile> activeProfile(const QString& devicePath);
  // This instance's own profile in use on the device: the one it created
  // there, still carrying its tag.
  std::optional<ActiveProfile> ownProfile(const QString& devicePath);
  bool isOwn(const QString& devicePath, const ActiveProfile& active);
  // This instance's hotspot, up on the device.
  std::optional<ActiveProfile> runningHotspot(const WifiDevice& wifi);

  // What this instance asked NetworkManager to bring up on a device.
  void remember(const QString& devicePath, const QString& activePath, const QString& profilePath,
                const ProfileSettings& settings);
  void forget(const QString& devicePath);
  // Volatile profiles do not outlive NetworkManager.
  void forgetAll();

 private:
  struct Created {
    QString activePath;
    QString profilePath;
    ProfileSettings settings;
  };

  NmClient& client_;
  DeviceInventory& inventory_;

  std::mutex createdMutex_;
  std::map<QString, Created> created_;  // by device path
};

}  // namespace plat::lnx
