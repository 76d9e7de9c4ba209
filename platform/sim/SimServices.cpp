#include "sim/SimServices.h"

#include <nlohmann/json.hpp>

namespace plat::sim {

SimServices::SimServices(SimMachine& machine, const nlohmann::json& /*scenario*/) : machine_(machine) {}

}  // namespace plat::sim
