// The network devices the Linux machine shows the program: those
// NetworkManager manages as Ethernet, Wi-Fi or modem devices (each has a
// connection, and an adapter once the kernel has its interface), and the
// other interfaces that sit on hardware (an adapter only). Bridges, veths,
// tunnels and the loopback are never among them, so that a laptop running
// containers still fits its real adapters into the program's fixed-size list.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "linux/DeviceInventory.h"
#include "linux/KernelInterfaces.h"

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

}  // namespace plat::lnx
