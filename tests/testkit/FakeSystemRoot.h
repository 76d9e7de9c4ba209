// A folder laid out like the parts of sysfs and procfs the Linux machine
// reads (sys/class/net, sys/devices, proc/net/route, proc/net/ipv6_route),
// filled in code, so that tests never read the real system.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "testkit/TempDir.h"

namespace testkit {

// One interface, described by chained setters:
//   FakeInterface("wlp2s0", 3).address("00:21:6a:11:22:33").wireless().pci("8086:2723")
struct FakeInterface {
  FakeInterface(std::string name, unsigned index) : name(std::move(name)), index(index) {}

  FakeInterface& address(std::string text) { return set(hardwareAddress, std::move(text)); }
  FakeInterface& link(unsigned type) { return set(linkType, type); }
  FakeInterface& wireless() { return set(isWireless, true); }
  FakeInterface& state(std::string operational, bool switchedOn = true) {
    up = switchedOn;
    return set(operState, std::move(operational));
  }
  FakeInterface& mtuBytes(unsigned bytes) { return set(mtu, bytes); }
  FakeInterface& speed(unsigned mbps) { return set(speedMbps, std::optional<unsigned>(mbps)); }
  // The device behind the interface; without one the interface is virtual.
  // `ids`: pci "8086:02F0" (and the subsystem "8086:0034" after a blank),
  // usb "bda/8153/3100". A "virtio" device is a function of a PCI device.
  FakeInterface& on(std::string busName, std::string ids = {}) {
    busIds = std::move(ids);
    return set(bus, std::move(busName));
  }

  std::string name;
  unsigned index;
  std::string hardwareAddress;  // "00:1b:2c:3d:4e:5f"; empty: the link has none
  unsigned linkType = 1;        // ARPHRD_*: 1 Ethernet and Wi-Fi, 512 PPP, 772 loopback
  bool isWireless = false;
  std::string operState = "up";
  bool up = true;
  unsigned mtu = 1500;
  std::optional<unsigned> speedMbps;  // none: reading it fails, as for a link that is down
  std::string bus;
  std::string busIds;

 private:
  template <typename Field, typename Value>
  FakeInterface& set(Field& field, Value value) {
    field = std::move(value);
    return *this;
  }
};

class FakeSystemRoot {
 public:
  const std::filesystem::path& path() const { return folder_.path(); }

  FakeSystemRoot& add(const FakeInterface& interface);
  FakeSystemRoot& defaultRoute(const std::string& interfaceName, const std::string& gateway, unsigned metric = 100);
  FakeSystemRoot& ipv6DefaultRoute(const std::string& interfaceName);

 private:
  std::filesystem::path deviceFolder(const FakeInterface& interface);
  void appendLine(const std::filesystem::path& file, const std::string& header, const std::string& line);

  TempDir folder_;
  unsigned devices_ = 0;
};

}  // namespace testkit
