#include "testkit/ConformanceMachines.h"

namespace testkit {

const std::vector<ConformanceKind>& conformanceKinds() {
  static const std::vector<ConformanceKind> kinds{
      {"Simulated",
       [](const nlohmann::json& scenario) -> std::shared_ptr<plat::Machine> {
         return SimMachineBuilder().scenario(scenario).build();
       }},
  };
  return kinds;
}

bool ConformanceTest::arrange(const nlohmann::json& scenario) {
  scope_.reset();  // the previous machine's scope ends first: it would put back the one from before the test
  machine_ = GetParam().make(scenario);
  if (!machine_) return false;
  scope_ = std::make_unique<ScopedMachine>(machine_);
  return true;
}

}  // namespace testkit
