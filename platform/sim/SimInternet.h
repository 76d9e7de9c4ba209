// The simulated machine's internet (to be filled).
#pragma once

#include <nlohmann/json_fwd.hpp>

#include "machine/InternetBackend.h"

namespace plat::sim {

class SimMachine;

class SimInternet : public InternetBackend {
 public:
  SimInternet(SimMachine& machine, const nlohmann::json& scenario);

 private:
  SimMachine& machine_;
};

}  // namespace plat::sim
