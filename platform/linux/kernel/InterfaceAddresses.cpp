#include "linux/kernel/InterfaceAddresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

namespace plat::lnx {
namespace {

std::string dotted(const sockaddr* address) {
  char text[INET_ADDRSTRLEN] = {};
  if (address != nullptr && address->sa_family == AF_INET) {
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, sizeof text);
  }
  return text;
}

}  // namespace

AddressesByInterface kernelIpv4Addresses() {
  AddressesByInterface addresses;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return addresses;
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
    // An address added with a label ("eth0:1") belongs to the interface before the colon.
    std::string name = entry->ifa_name;
    name = name.substr(0, name.find(':'));
    addresses[name].push_back({dotted(entry->ifa_addr), dotted(entry->ifa_netmask)});
  }
  freeifaddrs(list);
  return addresses;
}

}  // namespace plat::lnx
