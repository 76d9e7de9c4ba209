// The devices on a hotspot that NetworkManager runs in shared mode: the DHCP
// leases its dnsmasq keeps for the interface, joined with the kernel's
// neighbour table, which tells whether a device was seen on the link.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <set>
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
// which dnsmasq may be writing still, are left out. Host names are as
// guestName shows them; an expiry beyond what the clock holds never comes.
std::vector<DhcpLease> parseDnsmasqLeases(std::string_view text);

// A name a device gave, as the program may show it: UTF-8 without control
// characters, terminal escape sequences, direction overrides and isolates,
// or line separators; bytes that are no UTF-8 become U+FFFD.
std::string guestName(std::string_view given);

// The entries in the text of /proc/net/arp, without its heading; odd lines
// are left out.
std::vector<Neighbour> parseNeighbourTable(std::string_view text);

// The hardware addresses that held a lease on a hotspot since it started.
using LeaseHistory = std::set<std::vector<std::uint8_t>>;

// The devices on the hotspot of `interfaceName`, in lease order: each lease
// that has not expired at `now` and whose hardware address the kernel
// resolved on that interface, then each resolved neighbour there without any
// lease (a device with an address of its own, whose name is unknown). A
// device in `formerlyLeased` without a lease now gave it back: it left,
// whatever the kernel still keeps about it.
std::vector<NetworkGuest> joinGuests(const std::vector<DhcpLease>& leases, const std::vector<Neighbour>& neighbours,
                                     const std::string& interfaceName, std::chrono::system_clock::time_point now,
                                     const LeaseHistory& formerlyLeased = {});

// The lease file of the DHCP server NetworkManager runs for a hotspot on
// `interfaceName`: <root>/var/lib/NetworkManager/dnsmasq-<interfaceName>.leases.
std::filesystem::path leaseFilePath(const std::filesystem::path& root, const std::string& interfaceName);

// How long a lease file must have gone unchanged for a reading to be taken
// as whole: dnsmasq rewrites it in place (cut to nothing, then written), so
// a reading in between holds some of the leases or none.
inline constexpr std::chrono::milliseconds leaseFileSettleTime{100};

// What a hotspot's files held at one reading. Only regular files are read,
// up to a size that no real hotspot reaches; a lease file that is missing,
// no regular file (a pipe, a device) or larger counts as none.
struct HotspotFiles {
  bool leaseFile = false;  // NetworkManager's DHCP server keeps leases for the interface
  bool settled = true;     // the lease file had gone leaseFileSettleTime unchanged
  std::vector<DhcpLease> leases;
  std::vector<Neighbour> neighbours;
};

// The interface's lease file and <root>/proc/net/arp; the root is "/" on a
// real machine.
HotspotFiles readHotspotFiles(const std::filesystem::path& root, const std::string& interfaceName,
                              std::chrono::system_clock::time_point now);

// joinGuests of the files, with `history` as what was leased before, to
// which the leases of now are added. Without a lease file no DHCP server
// of NetworkManager's runs on the interface: no guests.
std::vector<NetworkGuest> hotspotGuests(const HotspotFiles& files, const std::string& interfaceName,
                                        std::chrono::system_clock::time_point now, LeaseHistory& history);

// hotspotGuests of readHotspotFiles, with `history` (none: no history).
std::vector<NetworkGuest> readHotspotGuests(
    const std::filesystem::path& root, const std::string& interfaceName,
    std::chrono::system_clock::time_point now = std::chrono::system_clock::now(), LeaseHistory* history = nullptr);

}  // namespace plat::lnx
