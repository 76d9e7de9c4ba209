// What a machine answers about its network: the adapters and interface rows
// the IP Helper front lays out (platform/win32/iphlpapi.cpp), and the
// connections and their sharing state that the sharing service front
// (platform/win32/hnetcfg_sharing.cpp) hands out as objects. Every member may
// be called from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

struct AdapterAddress {
  std::string ip;    // dotted IPv4 text
  std::string mask;
};

struct NetworkAdapter {
  std::string name;  // the adapter's GUID text in braces
  std::string description;
  std::uint32_t index = 0;
  std::uint32_t type = 0;  // interface type: 6 Ethernet, 23 PPP, 71 IEEE 802.11
  std::vector<std::uint8_t> hardwareAddress;  // at most 8 bytes
  bool dhcpEnabled = false;
  std::vector<AdapterAddress> addresses;
  std::vector<std::string> gateways;
  std::string dhcpServer;  // empty: none
};

struct InterfaceRow {
  std::u16string name;
  std::uint32_t index = 0;
  std::uint32_t type = 0;
  std::uint32_t mtu = 0;
  std::uint32_t speed = 0;  // bits per second
  std::vector<std::uint8_t> hardwareAddress;  // at most 8 bytes
  std::uint32_t adminStatus = 0;
  std::uint32_t operStatus = 0;
  std::string description;
};

enum class SharingRole { none, publicSide, privateSide };

struct ConnectionProperties {
  std::string guid;  // upper-case GUID text in braces
  std::u16string name;
  std::u16string deviceName;
  std::int32_t status = 0;     // NETCON_STATUS
  std::int32_t mediaType = 0;  // NETCON_MEDIATYPE
};

class NetworkBackend {
 public:
  virtual ~NetworkBackend() = default;

  // Adapters in the order of the platform's adapter chain.
  virtual std::vector<NetworkAdapter> adapters() = 0;
  // Interface rows in the machine's own (unsorted) order.
  virtual std::vector<InterfaceRow> interfaceRows() = 0;

  // The sharing service. Results are HRESULTs (0 is success); a connection is
  // named by its GUID text in upper case.
  virtual std::int32_t openSharingService() = 0;
  // The GUID texts of every connection, in enumeration order.
  virtual std::vector<std::string> connectionIds() = 0;
  virtual std::int32_t connectionProperties(const std::string& guid, ConnectionProperties& properties) = 0;
  virtual std::int32_t sharingRole(const std::string& guid, SharingRole& role) = 0;
  // At most one connection holds each role; asking for a role another
  // connection holds fails.
  virtual std::int32_t enableSharing(const std::string& guid, SharingRole role) = 0;
  virtual std::int32_t disableSharing(const std::string& guid) = 0;
};

}  // namespace plat
