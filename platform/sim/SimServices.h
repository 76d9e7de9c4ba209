// The simulated machine's services (to be filled).
#pragma once

#include <nlohmann/json_fwd.hpp>

#include "machine/ServiceBackend.h"

namespace plat::sim {

class SimMachine;

class SimServices : public ServiceBackend {
 public:
  SimServices(SimMachine& machine, const nlohmann::json& scenario);

 private:
  SimMachine& machine_;
};

}  // namespace plat::sim
