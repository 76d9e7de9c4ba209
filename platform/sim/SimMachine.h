// A model of a Windows laptop that serves every platform call: described by a
// scenario (docs/scenarios.md), with its changes kept in a state folder and
// test hooks on each of its parts.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "machine/Machine.h"
#include "sim/SimSystem.h"

namespace plat {
class RegistryStore;
}

namespace plat::sim {

class SimRadio;
class SimNetwork;
class SimServices;
class SimInternet;

struct SimOptions {
  // Where the machine keeps what outlives a run (registry, sharing state);
  // none keeps everything in memory.
  std::optional<std::filesystem::path> stateDir;
  // Folder shared by every simulated machine on this computer that can hear
  // each other's wireless networks.
  std::optional<std::filesystem::path> airDir;
  // The file the scenario was read from, which its faults name.
  std::optional<std::filesystem::path> scenarioFile;
  // Sleep() advances the machine's clock at once instead of waiting.
  bool simulatedClock = false;
  // Opens web addresses and mail links; none records them only.
  SimSystem::DesktopOpener desktopOpener;
};

class SimMachine : public Machine {
 public:
  // Throws std::runtime_error naming the scenario (its file, when known) and
  // the fault when the scenario is invalid, and StateFileError when a saved
  // state cannot be used.
  SimMachine(const nlohmann::json& scenario, SimOptions options);
  ~SimMachine() override;

  SystemBackend& system() override;
  RegistryBackend& registry() override;
  RadioBackend& radio() override;
  NetworkBackend& network() override;
  ServiceBackend& services() override;
  InternetBackend& internet() override;
  // The simulated laptop and its scenario's name, noticed in every window.
  MachineDescription description() const override;

  const std::string& name() const { return name_; }
  const SimOptions& options() const { return options_; }
  const nlohmann::json& scenario() const { return scenario_; }

  SimSystem& simSystem() { return *system_; }
  RegistryStore& simRegistry() { return *registry_; }
  SimRadio& simRadio() { return *radio_; }
  SimNetwork& simNetwork() { return *network_; }
  SimServices& simServices() { return *services_; }
  SimInternet& simInternet() { return *internet_; }

 private:
  nlohmann::json scenario_;
  std::string name_;
  SimOptions options_;
  // Built in this order and destroyed in the reverse one: later parts may use
  // earlier ones while they live.
  std::unique_ptr<SimSystem> system_;
  std::unique_ptr<RegistryStore> registry_;
  std::unique_ptr<SimNetwork> network_;
  std::unique_ptr<SimServices> services_;
  std::unique_ptr<SimRadio> radio_;
  std::unique_ptr<SimInternet> internet_;
};

// The scenario built into the program: a Windows 7 64-bit laptop with wired
// Internet and a Wi-Fi adapter.
const nlohmann::json& defaultScenario();

// The machine that the environment names:
//   BRISKLANE_SCENARIO  a scenario file, or the name of one shipped in the
//                       "scenarios" folder beside the program; unset or
//                       empty: the built-in laptop
//   BRISKLANE_STATE_DIR state folder; default
//                       $XDG_STATE_HOME/brisklane/<scenario name>
//   BRISKLANE_AIR_DIR   the air shared with other instances; default
//                       $XDG_RUNTIME_DIR/brisklane-air (or /tmp/brisklane-air-<uid>)
// Throws std::runtime_error when the scenario cannot be read.
std::shared_ptr<SimMachine> machineFromEnvironment();

// Reads a scenario file; throws std::runtime_error naming the file and fault
// when it cannot be read, is not valid JSON or has no usable "name".
nlohmann::json loadScenarioFile(const std::filesystem::path& path);

}  // namespace plat::sim
