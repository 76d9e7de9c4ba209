#include "Laptop.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "brisklane_passphrase.h"
#include "linux/LinuxMachine.h"
#include "testkit/MixedMachine.h"

namespace stall {

namespace {

using testkit::FakeInterface;

// The default route tells whether there is a connection; reachability
// checks answer at once, as they would with or without the Internet.
class ProbeWithoutNetwork : public plat::InternetBackend {
 public:
  ProbeWithoutNetwork(const std::filesystem::path& root, bool reachable) : routes_(root), reachable_(reachable) {}
  bool workingOffline(bool& offline) override { return routes_.workingOffline(offline); }
  bool checkConnection(const std::string&, std::chrono::milliseconds) override { return reachable_; }
  plat::InternetAccess access() override { return routes_.access(); }

 private:
  plat::lnx::LinuxInternet routes_;
  bool reachable_;
};

nmtest::NetworkSpec neighbour(int index) {
  char bssid[18];
  std::snprintf(bssid, sizeof bssid, "02:AA:00:00:%02X:%02X", index >> 8 & 0xFF, index & 0xFF);
  nmtest::NetworkSpec network;
  network.ssid = "Neighbour " + std::to_string(index);
  network.bssid = bssid;
  network.strength = 20 + index % 60;
  return network;
}

}  // namespace

Laptop::Laptop(Kind kind, int accessPoints) {
  const bool sharing = kind == Kind::sharing;
  nmtest::MockMachine machine = nmtest::MockMachine::laptop();
  machine.autoActivation = true;
  if (sharing) {
    root_.add(FakeInterface("eth0", 2).address("52:54:00:12:34:56").on("pci", "8086:15BE")).defaultRoute("eth0", "192.168.1.1");
  } else {
    std::erase_if(machine.devices, [](const nmtest::DeviceSpec& device) { return device.kind == "ethernet"; });
  }
  root_.add(FakeInterface("wlan0", 3).address("00:1b:2c:3d:4e:5f").wireless().state("down").on("pci", "8086:2723"));
  for (int i = 0; i < accessPoints; ++i) machine.networks.push_back(neighbour(i));
  std::filesystem::create_directories(root_.path() / "usr/sbin");
  std::ofstream(root_.path() / "usr/sbin/dnsmasq") << "#!/bin/sh\n";  // shared mode finds its helper
  nm_ = std::make_unique<nmtest::NetworkManagerMock>(machine);

  plat::lnx::LinuxMachine::Options options;
  options.backends = [this](plat::lnx::DeviceInventory& inventory) {
    plat::lnx::LinuxBackends backends;
    backends.devices = std::make_unique<plat::lnx::DeviceView>(inventory, root_.path());
    backends.system = std::make_unique<plat::lnx::LinuxSystem>("x86_64", [](const std::string&) { return false; });
    backends.registry = std::make_unique<plat::lnx::LinuxRegistry>(
        *backends.devices, plat::lnx::LinuxRegistry::Places{state_ / "registry.json", state_ / "autostart"});
    backends.network = std::make_unique<plat::lnx::LinuxNetwork>(
        *backends.devices, state_ / "sharing.json", [] { return plat::lnx::AddressesByInterface{}; });
    backends.services = std::make_unique<plat::lnx::LinuxServices>();
    backends.internet = std::make_unique<plat::lnx::LinuxInternet>(root_.path());
    return backends;
  };
  options.radio.systemRoot = root_.path();
  auto mixed = std::make_shared<testkit::MixedMachine>(std::make_shared<plat::lnx::LinuxMachine>(std::move(options)));
  mixed->internetPart = std::make_unique<ProbeWithoutNetwork>(root_.path(), sharing);
  plat::installMachine(mixed);

  if (!sharing) {
    nmtest::NetworkSpec other;
    other.ssid = kNetworkName;
    other.bssid = "02:1B:2C:3D:4E:70";
    other.passphrase = BrisklaneNetworkPassphrase(kNetworkKey);
    nm_->addNetwork(other);
  }
}

Laptop::~Laptop() { plat::installMachine(nullptr); }

}  // namespace stall
