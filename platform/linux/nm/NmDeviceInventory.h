// The device inventory as NetworkManager reports it over D-Bus. devices()
// throws nm::UnexpectedReply when NetworkManager answers in a shape its API
// does not give.
#pragma once

#include <QString>

#include "linux/DeviceInventory.h"

namespace plat::lnx {

class NmClient;

class NmDeviceInventory : public DeviceInventory {
 public:
  explicit NmDeviceInventory(NmClient& client);

  std::vector<NetworkDevice> devices() override;

 private:
  // The address of the server that a DHCP configuration (its object) came from.
  std::string dhcpServer(const QString& dhcpConfig);

  NmClient& client_;
};

}  // namespace plat::lnx
