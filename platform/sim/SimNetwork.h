// The simulated machine's network (to be filled).
#pragma once

#include <nlohmann/json_fwd.hpp>

#include "machine/NetworkBackend.h"

namespace plat::sim {

class SimMachine;

class SimNetwork : public NetworkBackend {
 public:
  SimNetwork(SimMachine& machine, const nlohmann::json& scenario);

 private:
  SimMachine& machine_;
};

}  // namespace plat::sim
