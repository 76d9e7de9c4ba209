// Builds simulated machines in code for tests, and installs one as the
// process's current machine for a scope.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "sim/SimMachine.h"

namespace testkit {

class SimMachineBuilder {
 public:
  // An empty Windows 7 64-bit machine: no registry keys, adapters,
  // connections, wireless interfaces or services; the Internet does not answer.
  SimMachineBuilder();

  // Starts again from a whole scenario (for example a shipped one).
  SimMachineBuilder& scenario(nlohmann::json scenario);
  SimMachineBuilder& os(unsigned major, unsigned minor, nlohmann::json wow64 = false);
  SimMachineBuilder& registryKey(const std::string& path);
  SimMachineBuilder& registryValue(const std::string& path, const std::string& name, nlohmann::json value);
  // Sets a whole scenario section ("adapters", "connections", "wireless",
  // "services", "internet", ...).
  SimMachineBuilder& section(const std::string& name, nlohmann::json value);
  // Appends one entry to the "services" section.
  SimMachineBuilder& service(nlohmann::json service);
  SimMachineBuilder& stateDir(std::filesystem::path dir);
  SimMachineBuilder& airDir(std::filesystem::path dir);
  SimMachineBuilder& simulatedClock(bool on = true);

  nlohmann::json& json() { return scenario_; }
  std::shared_ptr<plat::sim::SimMachine> build() const;

 private:
  nlohmann::json scenario_;
  plat::sim::SimOptions options_;
};

// Loads a scenario shipped in the repository's "scenarios" folder.
nlohmann::json shippedScenario(const std::string& name);

// Installs a machine as the current one and puts the previous one back when
// it goes.
class ScopedMachine {
 public:
  explicit ScopedMachine(std::shared_ptr<plat::Machine> machine);
  ~ScopedMachine();
  ScopedMachine(const ScopedMachine&) = delete;
  ScopedMachine& operator=(const ScopedMachine&) = delete;

 private:
  std::shared_ptr<plat::Machine> previous_;
};

}  // namespace testkit
