#include "sim/SimNetwork.h"

#include <nlohmann/json.hpp>

namespace plat::sim {

SimNetwork::SimNetwork(SimMachine& machine, const nlohmann::json& /*scenario*/) : machine_(machine) {}

}  // namespace plat::sim
