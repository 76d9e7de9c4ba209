// What a machine answers about its network: the adapters and interface rows
// the IP Helper front lays out (platform/win32/iphlpapi.cpp), and the
// connections and their sharing state that the sharing service front
// (platform/win32/hnetcfg_sharing.cpp) hands out as objects. Every member may
// be called from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "machine/MachineResult.h"

namespace plat {

// What kind of link an interface is, numbered as the IANA interface type
// registry (ifType) numbers them; a scenario may give any other number.
enum class InterfaceType : std::uint32_t {
  Other = 1,
  Ethernet = 6,
  Ppp = 23,
  Loopback = 24,
  Wireless = 71,  // IEEE 802.11
};

// Whether an interface carries traffic, in the steps the platform's
// interface table tells apart (and numbers so; scenarios give the numbers).
enum class LinkState : std::uint32_t {
  NonOperational = 0,  // disabled or not present
  Unreachable = 1,     // a line that is not connected now
  Disconnected = 2,    // no cable, no carrier
  Connecting = 3,
  Connected = 4,       // a line connected to its far end
  Operational = 5,     // a LAN link that carries traffic
};

// A connection's state as the sharing service lists it, numbered as the
// platform numbers them (scenarios give the numbers).
enum class ConnectionStatus : std::int32_t {
  Disconnected = 0,
  Connecting = 1,
  Connected = 2,
  Disconnecting = 3,
  HardwareNotPresent = 4,
  HardwareDisabled = 5,
  HardwareMalfunction = 6,
  MediaDisconnected = 7,  // no cable, or no network joined
  Authenticating = 8,
};

// What a connection runs over, numbered as the platform numbers them.
enum class ConnectionMedium : std::int32_t {
  None = 0,
  Direct = 1,
  Isdn = 2,
  Lan = 3,
  Phone = 4,  // a modem
  Tunnel = 5,
  Pppoe = 6,
  Bridge = 7,
  SharedAccessHostLan = 8,
  SharedAccessHostRas = 9,
};

struct AdapterAddress {
  std::string ip;    // dotted IPv4 text
  std::string mask;
};

struct NetworkAdapter {
  std::string name;  // the adapter's GUID text in braces
  std::string description;
  std::uint32_t index = 0;
  InterfaceType type = InterfaceType::Ethernet;
  std::vector<std::uint8_t> hardwareAddress;  // at most 8 bytes
  bool dhcpEnabled = false;
  std::vector<AdapterAddress> addresses;
  std::vector<std::string> gateways;
  std::string dhcpServer;  // empty: none
};

// Text is UTF-8.
struct InterfaceRow {
  std::string name;
  std::uint32_t index = 0;
  InterfaceType type = InterfaceType::Ethernet;
  std::uint32_t mtu = 0;
  std::uint32_t speed = 0;  // bits per second
  std::vector<std::uint8_t> hardwareAddress;  // at most 8 bytes
  bool enabled = true;      // switched on by the administrator
  LinkState state = LinkState::NonOperational;
  std::string description;
};

enum class SharingRole { none, publicSide, privateSide };

// Text is UTF-8.
struct ConnectionProperties {
  std::string guid;  // upper-case GUID text in braces
  std::string name;
  std::string deviceName;
  ConnectionStatus status = ConnectionStatus::Disconnected;
  ConnectionMedium medium = ConnectionMedium::None;
};

// How a call of the sharing service ended.
enum class SharingStatus : std::uint8_t {
  Ok,
  NoSuchConnection,
  NoRole,            // SharingRole::none was asked for
  RoleTaken,         // another connection holds the role, or this one holds the other
  NotSupported,      // this machine cannot share that way; the refusal says why
  AccessDenied,
  ServiceDisabled,   // the sharing service cannot start
  Failed,            // for no reason the machine can tell
  NotSaved,          // the change could not be kept
};

using SharingResult = MachineResult<SharingStatus>;

class NetworkBackend {
 public:
  virtual ~NetworkBackend() = default;

  // Adapters in the order of the platform's adapter chain.
  virtual std::vector<NetworkAdapter> adapters() = 0;
  // Interface rows in the machine's own (unsorted) order.
  virtual std::vector<InterfaceRow> interfaceRows() = 0;

  // The sharing service. A connection is named by its GUID text in upper
  // case.
  virtual SharingResult openSharingService() = 0;
  // The GUID texts of every connection, in enumeration order.
  virtual std::vector<std::string> connectionIds() = 0;
  virtual SharingResult connectionProperties(const std::string& guid, ConnectionProperties& properties) = 0;
  virtual SharingResult sharingRole(const std::string& guid, SharingRole& role) = 0;
  // At most one connection holds each role; asking for a role another
  // connection holds fails (RoleTaken).
  virtual SharingResult enableSharing(const std::string& guid, SharingRole role) = 0;
  virtual SharingResult disableSharing(const std::string& guid) = 0;
};

}  // namespace plat
