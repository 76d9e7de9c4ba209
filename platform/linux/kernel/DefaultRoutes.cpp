#include "linux/kernel/DefaultRoutes.h"

#include <arpa/inet.h>

#include <sstream>

#include "linux/kernel/SystemFiles.h"

namespace plat::lnx {
namespace {

// Some thousands of routes at most on a host that shares its connection.
constexpr std::size_t routeTableLimit = 4 << 20;

constexpr unsigned long routeUp = 0x0001;       // RTF_UP
constexpr unsigned long routeGateway = 0x0002;  // RTF_GATEWAY
constexpr unsigned long routeReject = 0x0200;   // RTF_REJECT

bool usable(unsigned long flags) { return (flags & routeUp) != 0 && (flags & routeReject) == 0; }

// The kernel prints each address as the 32-bit number it holds in memory, so
// the number's bytes in this machine's order are the address's bytes.
std::string dottedAddress(unsigned long kernelNumber) {
  in_addr address{};
  address.s_addr = static_cast<in_addr_t>(kernelNumber);
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &address, text, sizeof text);
  return text;
}

// Iface Destination Gateway Flags RefCnt Use Metric Mask ..., after a header line.
void readIpv4(const std::filesystem::path& file, std::vector<DefaultRoute>& routes) {
  std::istringstream in(readSystemFile(file, routeTableLimit).value_or(""));
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string name;
    unsigned long destination = 0, gateway = 0, flags = 0, refCount = 0, use = 0, metric = 0, mask = 0;
    fields >> name >> std::hex >> destination >> gateway >> flags >> std::dec >> refCount >> use >> metric >> std::hex >>
        mask;
    if (!fields || destination != 0 || mask != 0 || !usable(flags)) continue;
    routes.push_back({name, (flags & routeGateway) != 0 ? dottedAddress(gateway) : std::string(), false});
  }
}

// Destination PrefixLength Source SourcePrefixLength NextHop Metric RefCnt Use Flags Iface.
void readIpv6(const std::filesystem::path& file, std::vector<DefaultRoute>& routes) {
  std::istringstream in(readSystemFile(file, routeTableLimit).value_or(""));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string destination, prefixLength, source, sourcePrefixLength, nextHop, metric, refCount, use, name;
    unsigned long flags = 0;
    fields >> destination >> prefixLength >> source >> sourcePrefixLength >> nextHop >> metric >> refCount >> use >>
        std::hex >> flags >> name;
    if (!fields || destination != std::string(32, '0') || prefixLength != "00" || !usable(flags) || name == "lo") {
      continue;
    }
    routes.push_back({name, std::string(), true});
  }
}

}  // namespace

std::vector<DefaultRoute> defaultRoutes(const std::filesystem::path& root) {
  std::vector<DefaultRoute> routes;
  readIpv4(root / "proc/net/route", routes);
  readIpv6(root / "proc/net/ipv6_route", routes);
  return routes;
}

}  // namespace plat::lnx
