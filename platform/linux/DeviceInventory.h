// The network devices of the Linux machine as NetworkManager manages them:
// what the radio, the adapter inventory and the connection list all build on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat::lnx {

enum class DeviceKind { Ethernet, Wifi, Modem, Other };

struct NetworkDevice {
  std::string objectPath;     // NetworkManager's object for the device
  std::string interfaceName;  // the kernel's name ("wlp2s0")
  DeviceKind kind = DeviceKind::Other;
  bool managed = false;       // NetworkManager is in charge of it
  bool activated = false;     // its connection is up
  bool primary = false;       // it carries NetworkManager's primary connection (the default route)
  bool canHostAccessPoint = false;  // Wi-Fi only: the driver supports access-point mode
  std::vector<std::uint8_t> permanentHardwareAddress;  // falls back to the current one
  // The kernel interface that carries its addresses when it is not
  // interfaceName (a modem's "ppp0" or "wwan0"); empty: interfaceName.
  std::string ipInterfaceName;
  bool dhcp = false;       // its IPv4 configuration came from a DHCP server (Dhcp4Config)
  std::string dhcpServer;  // that server's dotted address, when known
};

class DeviceInventory {
 public:
  virtual ~DeviceInventory() = default;

  // Every device NetworkManager knows, in its order; empty when
  // NetworkManager cannot be reached.
  virtual std::vector<NetworkDevice> devices() = 0;
};

}  // namespace plat::lnx
