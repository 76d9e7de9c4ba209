// The kernel's default routes, read from the proc files below a root folder
// ("/" on a running system, a fake one in tests).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace plat::lnx {

struct DefaultRoute {
  std::string interfaceName;
  std::string gateway;  // dotted IPv4 text; empty for an IPv6 route or one without a gateway
  bool ipv6 = false;
};

// The usable default routes (up, not a reject route) of <root>/proc/net/route
// and <root>/proc/net/ipv6_route, IPv4 first, each in the kernel's order. A
// missing or unreadable file gives no routes.
std::vector<DefaultRoute> defaultRoutes(const std::filesystem::path& root);

}  // namespace plat::lnx
