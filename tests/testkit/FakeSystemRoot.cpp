#include "testkit/FakeSystemRoot.h"

#include <arpa/inet.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testkit {
namespace {

namespace fs = std::filesystem;

void write(const fs::path& file, const std::string& content) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << content << "\n";
}

// An address as the kernel prints it in /proc/net/route: the 32-bit number
// it holds in memory.
std::string kernelNumber(const std::string& dotted) {
  in_addr address{};
  if (inet_pton(AF_INET, dotted.c_str(), &address) != 1) throw std::invalid_argument("not an IPv4 address: " + dotted);
  char text[9];
  std::snprintf(text, sizeof text, "%08X", address.s_addr);
  return text;
}

}  // namespace

fs::path FakeSystemRoot::deviceFolder(const FakeInterface& interface) {
  const std::string number = std::to_string(++devices_);
  const fs::path pciDevice = path() / "sys/devices/pci0000:00" / ("0000:00:0" + number + ".0");
  fs::path device;
  std::string uevent;
  if (interface.bus == "pci" || interface.bus == "virtio") {
    const auto space = interface.busIds.find(' ');
    std::string pciUevent = "DRIVER=fake\nPCI_ID=" + interface.busIds.substr(0, space);
    if (space != std::string::npos) pciUevent += "\nPCI_SUBSYS_ID=" + interface.busIds.substr(space + 1);
    write(pciDevice / "uevent", pciUevent);
    fs::create_directories(path() / "sys/bus/pci");
    fs::create_directory_symlink(path() / "sys/bus/pci", pciDevice / "subsystem");
    if (interface.bus == "pci") return pciDevice;
    device = pciDevice / ("virtio" + number);
    uevent = "DRIVER=virtio_net";
  } else if (interface.bus == "usb") {
    device = path() / "sys/devices/pci0000:00/0000:00:14.0/usb2" / ("2-" + number) / ("2-" + number + ":1.0");
    uevent = "DEVTYPE=usb_interface\nPRODUCT=" + interface.busIds;
  } else {
    device = path() / "sys/devices/platform" / (interface.bus + "." + number);
    uevent = "DRIVER=fake";
  }
  write(device / "uevent", uevent);
  fs::create_directories(path() / "sys/bus" / interface.bus);
  fs::create_directory_symlink(path() / "sys/bus" / interface.bus, device / "subsystem");
  return device;
}

FakeSystemRoot& FakeSystemRoot::add(const FakeInterface& interface) {
  const fs::path folder = path() / "sys/class/net" / interface.name;
  write(folder / "ifindex", std::to_string(interface.index));
  write(folder / "address", interface.hardwareAddress);
  write(folder / "type", std::to_string(interface.linkType));
  write(folder / "mtu", std::to_string(interface.mtu));
  write(folder / "operstate", interface.operState);
  write(folder / "flags", interface.up ? "0x1003" : "0x1002");
  // The kernel refuses to read the speed of a link that is down.
  if (interface.speedMbps) write(folder / "speed", std::to_string(*interface.speedMbps));
  if (interface.isWireless) fs::create_directories(folder / "wireless");
  if (!interface.bus.empty()) fs::create_directory_symlink(deviceFolder(interface), folder / "device");
  return *this;
}

void FakeSystemRoot::appendLine(const fs::path& file, const std::string& header, const std::string& line) {
  fs::create_directories(file.parent_path());
  const bool fresh = !fs::exists(file);
  std::ofstream out(file, std::ios::app);
  if (fresh && !header.empty()) out << header << "\n";
  out << line << "\n";
}

FakeSystemRoot& FakeSystemRoot::defaultRoute(const std::string& interfaceName, const std::string& gateway, unsigned metric) {
  std::ostringstream line;
  line << interfaceName << "\t00000000\t" << kernelNumber(gateway) << "\t0003\t0\t0\t" << metric
       << "\t00000000\t0\t0\t0";
  appendLine(path() / "proc/net/route", "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT",
             line.str());
  return *this;
}

FakeSystemRoot& FakeSystemRoot::ipv6DefaultRoute(const std::string& interfaceName) {
  appendLine(path() / "proc/net/ipv6_route", "",
             std::string(32, '0') + " 00 " + std::string(32, '0') + " 00 fe800000000000000000000000000001 00000400 " +
                 "00000001 00000000 00000003 " + interfaceName);
  return *this;
}

}  // namespace testkit
