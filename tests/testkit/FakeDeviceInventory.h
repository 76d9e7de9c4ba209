// A device inventory that lists what a test sets, in place of
// NetworkManager's.
#pragma once

#include <mutex>
#include <vector>

#include "linux/DeviceInventory.h"

namespace testkit {

class FakeDeviceInventory : public plat::lnx::DeviceInventory {
 public:
  std::vector<plat::lnx::NetworkDevice> devices() override {
    std::lock_guard lock(mutex_);
    return devices_;
  }
  void set(std::vector<plat::lnx::NetworkDevice> devices) {
    std::lock_guard lock(mutex_);
    devices_ = std::move(devices);
  }

 private:
  std::mutex mutex_;
  std::vector<plat::lnx::NetworkDevice> devices_;
};

}  // namespace testkit
