// The simulated machine's network adapters, connections and their sharing
// state (to be completed with the adapter inventory and sharing service).
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "machine/NetworkBackend.h"

namespace plat::sim {

class SimMachine;

class SimNetwork : public NetworkBackend {
 public:
  SimNetwork(SimMachine& machine, const nlohmann::json& scenario);

  // Whether a connected connection of this machine reaches the Internet.
  bool reachesInternetDirectly() const;

  // Whether this machine shares a connection that reaches the Internet
  // publicly and the connection `guid` privately, so that what joins the
  // wireless network behind `guid` reaches the Internet too.
  bool sharesInternetTo(const std::string& guid) const;

 private:
  SimMachine& machine_;
  nlohmann::json connections_;
};

}  // namespace plat::sim
