// The devices on a hotspot that NetworkManager runs in shared mode: the DHCP
// leases its dnsmasq keeps for the interface, joined with the kernel's
// neighbour table, which tells whether a device was seen on the link.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "machine/RadioBackend.h"

namespace plat::lnx {

struct DhcpLease {
  std::chrono::system_clock::time_point expiry;  // the epoch: it never expires
  std::vector<std::uint8_t> hardwareAddress;     // six bytes
  std::string ipAddress;                         // dotted IPv4 text
  std::string hostName;                          // empty: the device gave none
  std::string clientId;                          // empty: none
};

struct Neighbour {
  std::string ipAddress;
  std::vector<std::uint8_t> hardwareAddress;
  std::string device;
  bool complete = false;  // the address was resolved (ATF_COM)
};

// The IPv4 leases in the text of a dnsmasq lease file ("<expiry> <MAC> <IP>
// <host name or *> <client id or *>" a line). The DHCPv6 part (the "duid"
// line and IPv6 leases), odd lines and a last line without its line end,
// which dnsmasq may be writing still, are left out.
std::vector<DhcpLease> parseDnsmasqLeases(std::string_view text);

// The entries in the text of /proc/net/arp, without its heading; odd lines
// are left out.
std::vector<Neighbour> parseNeighbourTable(std::string_view text);

// The devices on the hotspot of `interfaceName`, in lease order: each lease
// that has not expired at `now` and whose hardware address the kernel
// resolved on that interface, then each resolved neighbour there without any
// lease (a device with an address of its own, whose name is unknown).
std::vector<NetworkGuest> joinGuests(const std::vector<DhcpLease>& leases, const std::vector<Neighbour>& neighbours,
                                     const std::string& interfaceName, std::chrono::system_clock::time_point now);

// joinGuests of <root>/var/lib/NetworkManager/dnsmasq-<interfaceName>.leases
// and <root>/proc/net/arp. Without a lease file no DHCP server of
// NetworkManager's runs on the interface: no guests. The root is "/" on a
// real machine.
std::vector<NetworkGuest> readHotspotGuests(
    const std::filesystem::path& root, const std::string& interfaceName,
    std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

}  // namespace plat::lnx
