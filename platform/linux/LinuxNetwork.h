// The Linux machine's network: its adapters and interface rows from sysfs,
// procfs and the kernel's address list; a connection per device
// NetworkManager manages; and the sharing roles the program gives them.
//
// NetworkManager's shared mode routes a hotspot to whatever connection holds
// the default route (its primary connection), so only that connection may
// take the public side; the private side is the Wi-Fi card whose next hotspot
// is shared. Roles are kept across runs, as Windows keeps its sharing state.
// Every member may be called from any thread.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "linux/MachineDevices.h"
#include "linux/kernel/InterfaceAddresses.h"
#include "machine/NetworkBackend.h"

namespace plat {
class SharingRoles;
}

namespace plat::lnx {

class LinuxNetwork : public NetworkBackend {
 public:
  using AddressSource = std::function<AddressesByInterface()>;

  // The adapter list and each walk of the sharing service look at the
  // devices again. `sharingFile` keeps the roles between runs; none keeps
  // them in memory. `addresses` tells the interfaces' IPv4 addresses (tests
  // give fakes). Throws std::runtime_error when the saved roles are damaged.
  LinuxNetwork(DeviceView& devices, std::optional<std::filesystem::path> sharingFile,
               AddressSource addresses = kernelIpv4Addresses);
  ~LinuxNetwork() override;

  std::vector<NetworkAdapter> adapters() override;
  std::vector<InterfaceRow> interfaceRows() override;
  SharingResult openSharingService() override;
  std::vector<std::string> connectionIds() override;
  SharingResult connectionProperties(const std::string& guid, ConnectionProperties& properties) override;
  SharingResult sharingRole(const std::string& guid, SharingRole& role) override;
  // Refuses a public side that is not NetworkManager's primary connection
  // and a private side that is not a Wi-Fi card, saying why (the machine's
  // refusal, plat::lastRefusal()).
  SharingResult enableSharing(const std::string& guid, SharingRole role) override;
  SharingResult disableSharing(const std::string& guid) override;

  // Whether the next hotspot on the wireless interface `interfaceId` (its
  // device GUID) shares the Internet: it holds the private role while a
  // connection holds the public one.
  bool sharesInternetInto(const std::string& interfaceId) const;

  // Takes both roles away: the hotspot they were given for did not survive
  // the program (the start-up clean-up after a crash). Roles that cannot be
  // saved as gone stay, to be taken away at the next start.
  void resetSharing();

 private:
  static std::optional<MachineDevice> connectionOf(const std::vector<MachineDevice>& devices, const std::string& guid);

  DeviceView& devices_;
  AddressSource addresses_;
  mutable std::mutex mutex_;
  std::unique_ptr<SharingRoles> sharing_;
};

}  // namespace plat::lnx
