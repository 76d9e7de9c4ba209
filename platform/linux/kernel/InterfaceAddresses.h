// The IPv4 addresses the kernel has given each network interface.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "machine/NetworkBackend.h"

namespace plat::lnx {

// Addresses with their masks by interface name, each interface's in the
// kernel's order; an interface without an IPv4 address is missing.
using AddressesByInterface = std::map<std::string, std::vector<AdapterAddress>>;

// Asks the kernel (getifaddrs); empty when it cannot answer.
AddressesByInterface kernelIpv4Addresses();

}  // namespace plat::lnx
