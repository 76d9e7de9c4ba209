#include "sim/SimRadio.h"

#include <nlohmann/json.hpp>

namespace plat::sim {

SimRadio::SimRadio(SimMachine& machine, const nlohmann::json& /*scenario*/) : machine_(machine) {}

}  // namespace plat::sim
