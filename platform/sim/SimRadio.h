// The simulated machine's radio (to be filled).
#pragma once

#include <nlohmann/json_fwd.hpp>

#include "machine/RadioBackend.h"

namespace plat::sim {

class SimMachine;

class SimRadio : public RadioBackend {
 public:
  SimRadio(SimMachine& machine, const nlohmann::json& scenario);

 private:
  SimMachine& machine_;
};

}  // namespace plat::sim
