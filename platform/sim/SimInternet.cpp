#include "sim/SimInternet.h"

#include <nlohmann/json.hpp>

namespace plat::sim {

SimInternet::SimInternet(SimMachine& machine, const nlohmann::json& /*scenario*/) : machine_(machine) {}

}  // namespace plat::sim
