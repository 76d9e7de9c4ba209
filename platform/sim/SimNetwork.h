// The simulated machine's network: its adapters and interface rows, its
// connections as the sharing service lists them, and their sharing state
// (kept in the state folder). Every member is safe to call from any thread:
// the wireless library's thread and the Internet check ask it too.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "machine/NetworkBackend.h"
#include "store/SharingRoles.h"

namespace plat::sim {

class SimMachine;

class SimNetwork : public NetworkBackend {
 public:
  // `scenario` is the whole scenario; its "adapters", "interfaceRows",
  // "connections" and "sharing" sections are read (docs/scenarios.md). Each
  // adapter's and connection's "Connection" key is published in the
  // machine's registry. Throws std::runtime_error on a malformed section.
  SimNetwork(SimMachine& machine, const nlohmann::json& scenario);
  ~SimNetwork() override;

  std::vector<NetworkAdapter> adapters() override;
  std::vector<InterfaceRow> interfaceRows() override;
  SharingResult openSharingService() override;
  std::vector<std::string> connectionIds() override;
  SharingResult connectionProperties(const std::string& guid, ConnectionProperties& properties) override;
  SharingResult sharingRole(const std::string& guid, SharingRole& role) override;
  SharingResult enableSharing(const std::string& guid, SharingRole role) override;
  SharingResult disableSharing(const std::string& guid) override;

  // Whether a connected connection of this machine reaches the Internet.
  bool reachesInternetDirectly() const;

  // Whether this machine shares a connection that reaches the Internet
  // publicly and the connection `guid` privately, so that what joins the
  // wireless network behind `guid` reaches the Internet too. GUID texts
  // compare without case.
  bool sharesInternetTo(const std::string& guid) const;

  // The connection that holds a sharing role, or empty.
  std::string sharedConnection(SharingRole role) const;

  // Test hooks. GUID texts compare without case; a fault of Ok takes it
  // away again.
  // Appends an adapter in the scenario's form, with its interface row and
  // registry values: the adapter list and the interface table grow.
  void addAdapter(const nlohmann::json& adapter);
  // The status as a scenario numbers it (ConnectionStatus).
  void setConnectionStatus(const std::string& guid, std::int32_t status);
  // The sharing service cannot be reached: creating the sharing manager fails.
  void failSharingService(SharingStatus fault);
  void failGetProperties(const std::string& guid, SharingStatus fault);
  void failEnableSharing(const std::string& guid, SharingStatus fault);
  void failDisableSharing(const std::string& guid, SharingStatus fault);
  // Every call that reached the sharing service, in order: "open",
  // "enable <guid> public", "enable <guid> private", "disable <guid>".
  std::vector<std::string> sharingCalls() const;

 private:
  struct Connection {
    ConnectionProperties properties;
    bool internet = false;
  };
  enum class Operation { getProperties, enableSharing, disableSharing };

  void addAdapterLocked(const nlohmann::json& adapter);
  // Throws std::runtime_error when the index is taken.
  void appendRow(InterfaceRow row);
  Connection* findConnection(const std::string& guid);
  const Connection* findConnection(const std::string& guid) const;
  SharingStatus faultFor(Operation operation, const std::string& guid) const;
  bool connectedToInternet(const std::string& guid) const;

  SimMachine& machine_;
  mutable std::mutex mutex_;
  std::vector<NetworkAdapter> adapters_;
  std::vector<InterfaceRow> rows_;
  std::vector<Connection> connections_;
  std::unique_ptr<SharingRoles> sharing_;
  SharingStatus serviceFault_ = SharingStatus::Ok;
  std::map<std::pair<Operation, std::string>, SharingStatus> faults_;  // by lower-case GUID
  std::vector<std::string> calls_;
};

}  // namespace plat::sim
