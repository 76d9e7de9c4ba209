// The network devices the Linux machine shows the program: those
// NetworkManager manages as Ethernet, Wi-Fi or modem devices (each has a
// connection, and an adapter once the kernel has its interface), and the
// other interfaces that sit on hardware (an adapter only). Bridges, veths,
// tunnels and the loopback are never among them, so that a laptop running
// containers still fits its real adapters into the program's fixed-size list.
#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "linux/DeviceInventory.h"
#include "linux/kernel/KernelInterfaces.h"

namespace plat::lnx {

struct MachineDevice {
  std::string guid;  // names its adapter, its connection and its wireless interface alike
  std::optional<NetworkDevice> managed;   // set when it has a connection
  std::optional<KernelInterface> kernel;  // set when it has an adapter
  std::string connectionName;             // set with `managed`: "Wi-Fi", "Ethernet 2", ...

  bool wireless() const;
};

// The GUID of a device by its permanent hardware address; a device without
// one (a modem) is named by its interface instead.
std::string guidOf(const std::vector<std::uint8_t>& hardwareAddress, const std::string& interfaceName);
std::string guidOf(const NetworkDevice& device);

// NetworkManager's devices first, in its order, then the other hardware
// interfaces by index. `root` is where sysfs and procfs are mounted ("/").
std::vector<MachineDevice> machineDevices(DeviceInventory& inventory, const std::filesystem::path& root);

// The devices as the machine last looked at them. Every question of a
// listing (the adapters, the connections of one walk of the sharing service,
// their registry keys) is answered from one look, so that a listing asks
// NetworkManager once rather than once per question, and sees one picture.
class DeviceView {
 public:
  // `root` is where sysfs and procfs are mounted ("/").
  DeviceView(DeviceInventory& inventory, std::filesystem::path root);

  // Asks NetworkManager and sysfs now; when NetworkManager answers in a
  // shape its API does not give, none, and the refusal that says so.
  std::vector<MachineDevice> lookAgain();
  // The last look, or a first one.
  std::vector<MachineDevice> lastLook();

  const std::filesystem::path& root() const { return root_; }

 private:
  DeviceInventory& inventory_;
  const std::filesystem::path root_;
  std::mutex mutex_;
  std::optional<std::vector<MachineDevice>> last_;
};

}  // namespace plat::lnx
