// The connection sharing manager: the machine's network connections as the
// sharing service lists them, and the switch of Internet Connection Sharing
// from a source (public side) to a destination (private side) connection.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "util/ObjectList.h"

class TAdapterManager;

// One listed connection. GuidText (upper-case GUID in braces) is its identity;
// a TConnection lives only until the next TConnectionManager::Refresh.
class TConnection {
 public:
  bool DhcpEnabled = false;
  std::vector<std::string> IpAddresses;
  std::vector<std::string> IpMasks;
  std::vector<std::string> Gateways;
  bool IsPhysical = false;
  bool IsWireless = false;
  std::string GuidText;
  std::int32_t MediaType = 0;  // NETCON_MEDIATYPE (NCM_LAN is 3)
  std::int32_t Status = 0;     // NETCON_STATUS (NCS_CONNECTED is 2); never 0
  std::string DeviceName;
  std::string Name;
};

// Used from the user-interface thread only. Keeps no sharing state of its
// own: every operation asks the platform afresh.
class TConnectionManager {
 public:
  // Enumerates the adapters at once; passes on the EOSError that the adapter
  // enumeration raises. Connections stays empty until the first Refresh.
  TConnectionManager();
  ~TConnectionManager();
  TConnectionManager(const TConnectionManager&) = delete;
  TConnectionManager& operator=(const TConnectionManager&) = delete;

  // Rebuilds Connections (keyed by Name, in the platform's order). Raises
  // nothing; a failure leaves the connections listed before it.
  void Refresh();

  // Shares `sourceGuid` publicly and `destGuid` privately (exact GuidText
  // matches). True when both were found and both ends are shared afterwards.
  // Raises nothing; what was switched on before a failure stays on.
  bool EnableSharing(const std::string& sourceGuid, const std::string& destGuid);

  // Switches sharing off on every connection. True when every connection was
  // walked without error. Raises nothing.
  bool DisableSharing();

  std::unique_ptr<TAdapterManager> AdapterManager;
  TObjectList<TConnection> Connections;
};
