// The Linux laptop the window runs on: the Linux machine over a mocked
// NetworkManager on the private bus and a fake sysfs/procfs, its state in
// a folder of its own, and an Internet probe that answers without the
// network.
#pragma once

#include <memory>

#include "harness/NetworkManagerMock.h"
#include "machine/Machine.h"
#include "testkit/FakeSystemRoot.h"
#include "testkit/TempDir.h"

namespace stall {

// The program's network, as its settings name it and the other computer hosts it.
inline constexpr const char* kNetworkName = "Brisklane";
inline constexpr const char* kNetworkKey = "13579";  // five characters, as the Options dialog asks

class Laptop {
 public:
  enum class Kind {
    sharing,  // a cable to the Internet (eth0) and a Wi-Fi card that can host a network
    joining,  // only the Wi-Fi card, no Internet, and the other computer's network in the air
  };

  // Installs the machine as the process's machine; `accessPoints` more
  // networks are in the air.
  Laptop(Kind kind, int accessPoints);
  ~Laptop();
  Laptop(const Laptop&) = delete;
  Laptop& operator=(const Laptop&) = delete;

  nmtest::NetworkManagerMock& networkManager() { return *nm_; }

 private:
  testkit::FakeSystemRoot root_;
  testkit::TempDir state_;
  std::unique_ptr<nmtest::NetworkManagerMock> nm_;
};

}  // namespace stall
