#include "linux/HotspotGuests.h"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <optional>
#include <sstream>

#include "machine/HardwareAddress.h"

namespace plat::lnx {
namespace {

constexpr std::size_t ethernetAddressBytes = 6;
constexpr unsigned resolvedFlag = 0x2;  // ATF_COM

// The complete lines of the text: a last line without its line end is cut off.
std::vector<std::string_view> completeLines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t end; (end = text.find('\n')) != std::string_view::npos; text.remove_prefix(end + 1)) {
    lines.push_back(text.substr(0, end));
  }
  return lines;
}

std::vector<std::string_view> fields(std::string_view line) {
  std::vector<std::string_view> parts;
  while (true) {
    const auto start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos) break;
    line.remove_prefix(start);
    const auto end = std::min(line.find_first_of(" \t"), line.size());
    parts.push_back(line.substr(0, end));
    line.remove_prefix(end);
  }
  return parts;
}

bool isIpv4(std::string_view text) {
  in_addr address{};
  return inet_pton(AF_INET, std::string(text).c_str(), &address) == 1;
}

std::optional<std::vector<std::uint8_t>> ethernetAddress(std::string_view text) {
  auto bytes = parseHardwareAddress(text);
  if (!bytes || bytes->size() != ethernetAddressBytes) return std::nullopt;
  if (std::all_of(bytes->begin(), bytes->end(), [](std::uint8_t b) { return b == 0; })) return std::nullopt;
  return bytes;
}

template <class Number>
std::optional<Number> number(std::string_view text, int base = 10) {
  if (base == 16 && text.starts_with("0x")) text.remove_prefix(2);
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string unlessStar(std::string_view text) { return text == "*" ? std::string() : std::string(text); }

std::optional<std::string> readFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::vector<DhcpLease> parseDnsmasqLeases(std::string_view text) {
  std::vector<DhcpLease> leases;
  for (const auto line : completeLines(text)) {
    const auto parts = fields(line);
    if (parts.size() != 5) continue;
    const auto expiry = number<std::int64_t>(parts[0]);
    auto hardwareAddress = ethernetAddress(parts[1]);
    if (!expiry || *expiry < 0 || !hardwareAddress || !isIpv4(parts[2])) continue;
    leases.push_back(DhcpLease{std::chrono::system_clock::time_point(std::chrono::seconds(*expiry)),
                               std::move(*hardwareAddress), std::string(parts[2]), unlessStar(parts[3]),
                               unlessStar(parts[4])});
  }
  return leases;
}

std::vector<Neighbour> parseNeighbourTable(std::string_view text) {
  std::vector<Neighbour> neighbours;
  for (const auto line : completeLines(text)) {
    // IP address, HW type, Flags, HW address, Mask, Device
    const auto parts = fields(line);
    if (parts.size() != 6 || !isIpv4(parts[0])) continue;
    const auto flags = number<unsigned>(parts[2], 16);
    if (!flags) continue;
    const auto hardwareAddress = ethernetAddress(parts[3]);
    neighbours.push_back(Neighbour{std::string(parts[0]), hardwareAddress.value_or(std::vector<std::uint8_t>{}),
                                   std::string(parts[5]), (*flags & resolvedFlag) != 0 && hardwareAddress});
  }
  return neighbours;
}

std::vector<NetworkGuest> joinGuests(const std::vector<DhcpLease>& leases, const std::vector<Neighbour>& neighbours,
                                     const std::string& interfaceName, std::chrono::system_clock::time_point now) {
  std::vector<const Neighbour*> resolved;
  for (const auto& n : neighbours) {
    if (n.complete && n.device == interfaceName) resolved.push_back(&n);
  }
  const auto resolvedAt = [&](const std::vector<std::uint8_t>& address) {
    return std::any_of(resolved.begin(), resolved.end(),
                       [&](const Neighbour* n) { return n->hardwareAddress == address; });
  };

  std::vector<NetworkGuest> guests;
  const auto listed = [&](const std::vector<std::uint8_t>& address) {
    return std::any_of(guests.begin(), guests.end(),
                       [&](const NetworkGuest& g) { return g.hardwareAddress == address; });
  };
  const std::chrono::system_clock::time_point never{};
  for (const auto& lease : leases) {
    if ((lease.expiry != never && lease.expiry <= now) || !resolvedAt(lease.hardwareAddress)) continue;
    if (listed(lease.hardwareAddress)) continue;  // a second lease of the same device
    guests.push_back(NetworkGuest{lease.hostName, lease.hardwareAddress, lease.ipAddress, 0});
  }
  // A device with a lease that is over, or not yet on the link, is not
  // listed by a neighbour entry the kernel keeps from earlier.
  const auto leased = [&](const std::vector<std::uint8_t>& address) {
    return std::any_of(leases.begin(), leases.end(), [&](const DhcpLease& l) { return l.hardwareAddress == address; });
  };
  for (const Neighbour* n : resolved) {
    if (!leased(n->hardwareAddress) && !listed(n->hardwareAddress)) {
      guests.push_back(NetworkGuest{{}, n->hardwareAddress, n->ipAddress, 0});
    }
  }
  return guests;
}

std::vector<NetworkGuest> readHotspotGuests(const std::filesystem::path& root, const std::string& interfaceName,
                                            std::chrono::system_clock::time_point now) {
  // A kernel interface name never holds a path separator; such a name names no hotspot.
  if (interfaceName.empty() || interfaceName.find('/') != std::string::npos) return {};
  const auto leases = readFile(root / "var/lib/NetworkManager" / ("dnsmasq-" + interfaceName + ".leases"));
  if (!leases) return {};  // no DHCP server of NetworkManager's runs there
  const auto neighbours = readFile(root / "proc/net/arp");
  return joinGuests(parseDnsmasqLeases(*leases), parseNeighbourTable(neighbours.value_or("")), interfaceName, now);
}

}  // namespace plat::lnx
