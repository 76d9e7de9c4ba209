// The adapter inventory: the machine's network adapters as the IP Helper
// reports them (name, description, hardware address, IPv4 addresses, masks,
// gateways, DHCP flag, type, operational status) and two facts from the
// registry: whether an adapter sits on a physical bus and whether it is
// wireless. Used from the user-interface thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "iphlpapi.h"
#include "util/ObjectList.h"

class TAdapter {
 public:
  std::string AdapterName;  // the adapter's GUID in braces
  std::string Description;
  std::uint32_t Index = 0;
  std::string MacAddress;
  std::int32_t AdapterType = 0;  // MIB_IF_TYPE_PPP is 23
  bool DhcpEnabled = false;
  std::vector<std::string> IpAddresses;
  std::vector<std::string> IpMasks;  // line for line with IpAddresses
  std::vector<std::string> Gateways;
  std::uint32_t OperStatus = 0;  // from the interface table; 0 until a Refresh finds the index
  bool IsPhysical = false;       // PnpInstanceID begins with PCI, USB or PCMCIA
  bool IsWireless = false;       // MediaSubType is 2
};

class TAdapterManager {
 public:
  // Enumerates the adapters (LoadAdapters); reads no interface states, so
  // every OperStatus is 0. Passes on the EOSError of LoadAdapters.
  TAdapterManager();
  ~TAdapterManager();
  TAdapterManager(const TAdapterManager&) = delete;
  TAdapterManager& operator=(const TAdapterManager&) = delete;

  // Rebuilds Adapters and the three adapter names from GetAdaptersInfo with a
  // 5120-byte buffer. When the query fails (adapters that do not fit:
  // ERROR_BUFFER_OVERFLOW; none at all: ERROR_NO_DATA) raises EOSError with
  // the code and keeps the previous inventory. A registry value of the wrong
  // type raises ERegistryException and leaves the adapters appended so far.
  void LoadAdapters();

  // LoadAdapters, then each adapter's OperStatus from the interface table.
  void Refresh();

  std::string WiredAdapterName;     // last physical adapter that is not wireless
  std::string WirelessAdapterName;  // last physical wireless adapter
  std::string DialUpAdapterName;    // last adapter of type MIB_IF_TYPE_PPP
  PMIB_IFTABLE IfTable = nullptr;   // the table read by the last Refresh (in IfTableBuffer), not owned
  TObjectList<TAdapter> Adapters;   // keyed by the decimal Index, in the platform's order
};

// Module state shared by every TAdapterManager: the buffer the interface
// table is read into, of IfTableSize bytes (null when the size is 0). Its
// size is asked of GetIfTable once, at the first use of the module (the first
// TAdapterManager) rather than at program start: the platform chooses its
// machine at the first platform call, which must not happen while static
// objects are built. A table that later outgrows the buffer is not read.
extern DWORD IfTableSize;
extern PMIB_IFTABLE IfTableBuffer;

// Module start-up (idempotent) and shutdown; after shutdown the next use
// starts the module up again.
void InitializeAdapterUnit();
void FinalizeAdapterUnit();

// Reads the interface table into IfTableBuffer, offering IfTableSize;
// returns the buffer, or null when GetIfTable fails.
PMIB_IFTABLE ReadIfTable();

// Reads "PnpInstanceID" and "MediaSubType" of the registry key
// SYSTEM\CurrentControlSet\Control\Network\{4D36E972-...}\<guid>\Connection.
// Sets a flag only when its value exists, so callers clear both first. A
// value of another type raises ERegistryException.
void ReadConnectionKey(const std::string& guid, bool& isPhysical, bool& isWireless);

// "00-1A-2B-3C-4D-5E": two upper-case hexadecimal digits per byte, joined by
// "-"; empty for a count of 0.
std::string FormatMacAddress(const BYTE* address, UINT count);

// The address (mask) texts of an address chain from its first entry, joined
// by "\r\n".
std::string JoinIpAddresses(const IP_ADDR_STRING* first);
std::string JoinIpMasks(const IP_ADDR_STRING* first);
