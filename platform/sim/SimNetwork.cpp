#include "sim/SimNetwork.h"

namespace plat::sim {

SimNetwork::SimNetwork(SimMachine& machine, const nlohmann::json& scenario)
    : machine_(machine), connections_(scenario.value("connections", nlohmann::json::array())) {}

bool SimNetwork::reachesInternetDirectly() const {
  for (const auto& connection : connections_) {
    if (connection.value("internet", false) && connection.value("status", 0) == 2) return true;
  }
  return false;
}

bool SimNetwork::sharesInternetTo(const std::string& /*guid*/) const { return false; }

}  // namespace plat::sim
