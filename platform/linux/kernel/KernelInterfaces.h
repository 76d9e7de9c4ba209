// The kernel's network interfaces as sysfs describes them, read below a root
// folder ("/" on a running system, a fake one in tests).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace plat::lnx {

// Link types ("type", the kernel's ARPHRD_* numbers) the machine tells apart.
constexpr std::uint32_t linkTypeEthernet = 1;
constexpr std::uint32_t linkTypePpp = 512;
constexpr std::uint32_t linkTypeLoopback = 772;

// The longest link-layer address the kernel gives an interface (MAX_ADDR_LEN):
// longer than Windows' records hold, as for InfiniBand.
constexpr std::size_t kernelMaxAddressBytes = 32;

struct KernelInterface {
  std::string name;
  std::uint32_t index = 0;
  std::uint32_t linkType = 0;
  bool wireless = false;
  std::uint32_t mtu = 0;
  std::uint32_t speedMbps = 0;  // 0 when the driver does not tell
  std::vector<std::uint8_t> hardwareAddress;
  bool up = false;              // switched on (IFF_UP)
  std::string operState;        // "up", "down", "dormant", "lowerlayerdown", "unknown", ...
  // The hardware device behind the interface in the form Windows gives a
  // device's instance ("PCI\VEN_8086&DEV_02F0&SUBSYS_00348086\0000:00:14.3",
  // "USB\VID_0BDA&PID_8153\2-1:1.0"); empty for a virtual interface (bridge,
  // veth, tunnel, loopback).
  std::string hardwareId;
};

// The interface `name`, or none when sysfs does not list it.
std::optional<KernelInterface> readKernelInterface(const std::filesystem::path& root, const std::string& name);

// Every interface sysfs lists, by interface index.
std::vector<KernelInterface> kernelInterfaces(const std::filesystem::path& root);

}  // namespace plat::lnx
