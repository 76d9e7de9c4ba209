// The device inventory as NetworkManager reports it over D-Bus.
#pragma once

#include "linux/DeviceInventory.h"

namespace plat::lnx {

class NmClient;

class NmDeviceInventory : public DeviceInventory {
 public:
  explicit NmDeviceInventory(NmClient& client);

  std::vector<NetworkDevice> devices() override;

 private:
  NmClient& client_;
};

}  // namespace plat::lnx
