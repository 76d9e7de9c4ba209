// The simulated machine's radio: the wireless interfaces and background
// networks of the scenario's "wireless" section, plus the shared air (see
// Air.h), where this machine broadcasts its own networks and hears those of
// other machines on the same computer. A machine that joins another's network
// says so in the air, with its host name and hardware address; the host lists
// it as a guest and hands it an address, as its DHCP server would.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "machine/GuestRoster.h"
#include "machine/RadioBackend.h"
#include "sim/Air.h"

namespace plat::sim {

class SimMachine;

class SimRadio : public RadioBackend {
 public:
  // `scenario` is the whole scenario. Without an air folder in the machine's
  // options the radio hears only the scenario's networks, and what it
  // broadcasts nobody else hears. An air folder that cannot be used
  // (prepareAirFolder) is reported on stderr: the radio then hears only the
  // scenario's networks and fails to host one. Throws std::runtime_error
  // naming the fault when the "wireless" section is invalid.
  SimRadio(SimMachine& machine, const nlohmann::json& scenario);
  ~SimRadio() override;

  std::vector<std::string> interfaces() override;
  RadioResult visibleNetworks(const std::string& interfaceId, std::vector<VisibleNetwork>& networks) override;
  RadioResult connect(const std::string& interfaceId, const std::string& name, const std::optional<std::string>& key,
                      std::optional<NetworkKind> kind, std::uint32_t id) override;
  RadioResult disconnect(const std::string& interfaceId) override;
  RadioResult addOwnNetwork(const std::string& interfaceId, const std::string& name, const std::string& key) override;
  RadioResult deleteOwnNetwork(const std::string& interfaceId, const std::string& name) override;
  // Simulated networks use the key as it is.
  std::string networkPassphrase(const std::string& key) override;
  void setEventSink(EventSink sink) override;
  // A keyed network of this machine is WEP-keyed, as ad-hoc networks of its
  // Windows are.
  RadioResult hostedNetwork(const std::string& interfaceId, HostedNetwork& network) override;
  RadioResult guests(const std::string& interfaceId, std::vector<NetworkGuest>& guests) override;

  // Whether an interface is joined to a network that leads to the Internet:
  // a background network marked so, or another machine's network while that
  // machine shares its Internet to it.
  bool joinedNetworkLeadsToInternet();

  // One round of what the air keeper does a few times a second while this
  // machine broadcasts or joined another machine's network: republish
  // whether its own networks carry Internet, leave a joined network that is
  // no longer in the air, and tell which guests joined or left.
  void tendAir();

 private:
  struct BackgroundNetwork {
    std::string name;
    NetworkKind kind;
    std::string key;
    std::uint32_t signal;
    bool internet;
    std::uint32_t id;
  };
  struct Joined {
    std::string name;
    std::uint32_t id;
    std::string station;  // empty: a background network
  };
  struct Interface {
    std::string id;
    std::string connection;  // GUID text of the network connection behind it
    std::vector<std::uint8_t> hardwareAddress;  // of the adapter behind it
    std::optional<AirNetwork> own;
    std::optional<Joined> joined;
    GuestRoster guests;  // on its own network
    // The addresses handed out on its own network, by hardware address (or
    // name, for a guest without one), kept while the machine runs.
    std::map<std::string, std::string> leases;
  };

  // One entry of the scenario's "networks"; throws std::runtime_error naming
  // the fault.
  static BackgroundNetwork backgroundNetwork(const nlohmann::json& entry, std::uint32_t id);
  Interface* findInterface(const std::string& id);
  std::vector<HeardStation> listen();
  // Leaves whatever the interface is on, with the events that follow.
  void leave(Interface& iface, std::vector<RadioEvent>& events);
  void dropVanishedLinks(const std::vector<HeardStation>& heard, std::vector<RadioEvent>& events);
  // Updates the guests of every network this machine broadcasts.
  void lookAtGuests(const std::vector<HeardStation>& heard, std::vector<RadioEvent>& events);
  std::string leaseFor(Interface& iface, const NetworkGuest& guest);
  // Writes this machine's station entry: its own networks and the networks
  // of other machines it joined.
  bool publishStation();
  bool needsTending() const;
  void deliver(const std::vector<RadioEvent>& events);
  void keep(std::stop_token stop);

  SimMachine& machine_;
  const std::optional<std::filesystem::path> airDir_;
  std::optional<std::string> airFault_;  // why the air folder is refused; fixed after construction
  // Fixed after construction: read without the lock.
  std::vector<BackgroundNetwork> background_;
  std::string hostName_;  // what hosts list this machine by

  std::mutex mutex_;  // everything below; taken before sinkMutex_
  // Its length and each interface's id and connection never change, so
  // those are read without the lock.
  std::vector<Interface> interfaces_;
  std::unique_ptr<AirStation> station_;  // made at the first broadcast or join
  bool republish_ = false;               // the last write of the station failed

  std::mutex sinkMutex_;
  EventSink sink_;

  std::condition_variable_any keeperWake_;
  std::jthread keeper_;  // last: stops before anything it uses goes
};

}  // namespace plat::sim
