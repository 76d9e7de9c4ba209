#include "sim/SimMachine.h"

#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "common/RegularFile.h"
#include "files/FileLocations.h"
#include "files/UserFolders.h"
#include "machine/XdgOpen.h"
#include "sim/SimInternet.h"
#include "sim/SimNetwork.h"
#include "sim/SimRadio.h"
#include "sim/SimServices.h"
#include "store/JsonFields.h"
#include "store/RegistryStore.h"
#include "store/StateFile.h"

namespace plat::sim {
namespace {

constexpr std::size_t scenarioFileLimit = 16 * 1024 * 1024;

std::string scenarioName(const nlohmann::json& scenario) { return textField(scenario, "name", "unnamed"); }

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

SimMachine::SimMachine(const nlohmann::json& scenario, SimOptions options)
    : scenario_(scenario), options_(std::move(options)) {
  const auto fault = [this](const char* cause) {
    std::string origin = "scenario";
    if (options_.scenarioFile) {
      origin += " file " + options_.scenarioFile->string();
    } else if (!name_.empty()) {
      origin += " \"" + name_ + "\"";
    }
    return std::runtime_error(origin + ": " + cause);
  };
  try {
    if (!scenario_.is_object()) throw std::runtime_error("a scenario must be a JSON object");
    name_ = scenarioName(scenario_);
    system_ = std::make_unique<SimSystem>(objectField(scenario_, "os"), options_.simulatedClock, options_.desktopOpener);
    std::optional<std::filesystem::path> registryFile;
    if (options_.stateDir) registryFile = *options_.stateDir / "registry.json";
    registry_ = std::make_unique<RegistryStore>(objectField(scenario_, "registry"), registryFile);
    network_ = std::make_unique<SimNetwork>(*this, scenario_);
    services_ = std::make_unique<SimServices>(*this, scenario_);
    radio_ = std::make_unique<SimRadio>(*this, scenario_);
    internet_ = std::make_unique<SimInternet>(*this, scenario_);
  } catch (const StateFileError&) {
    throw;
  } catch (const std::runtime_error& e) {
    throw fault(e.what());
  } catch (const nlohmann::json::exception& e) {
    throw fault(e.what());
  }
}

SimMachine::~SimMachine() {
  internet_.reset();
  radio_.reset();
  services_.reset();
  network_.reset();
  registry_.reset();
  system_.reset();
}

SystemBackend& SimMachine::system() { return *system_; }
RegistryBackend& SimMachine::registry() { return *registry_; }
RadioBackend& SimMachine::radio() { return *radio_; }
NetworkBackend& SimMachine::network() { return *network_; }
ServiceBackend& SimMachine::services() { return *services_; }
InternetBackend& SimMachine::internet() { return *internet_; }

MachineDescription SimMachine::description() const {
  return {.name = "Simulated laptop, scenario %1", .notice = "Simulated laptop: %1", .detail = name_};
}

nlohmann::json loadScenarioFile(const std::filesystem::path& path) {
  const std::string named = "scenario file " + path.string();
  std::string text;
  if (const int error = readRegularFile(path.c_str(), scenarioFileLimit, text)) {
    throw std::runtime_error(named + " cannot be read: " + readFailureReason(path.c_str(), error, scenarioFileLimit));
  }
  nlohmann::json scenario;
  try {
    scenario = nlohmann::json::parse(text, nullptr, true, /*ignore_comments=*/true);
  } catch (const nlohmann::json::exception& e) {
    throw std::runtime_error(named + " is not valid JSON: " + e.what());
  }
  try {
    if (!scenario.is_object()) throw std::runtime_error("a scenario must be a JSON object");
    scenarioName(scenario);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error(named + ": " + e.what());
  }
  return scenario;
}

std::shared_ptr<SimMachine> machineFromEnvironment() {
  nlohmann::json scenario;
  SimOptions options;
  const std::string chosen = environment("BRISKLANE_SCENARIO");
  if (chosen.empty()) {
    scenario = defaultScenario();
  } else if (chosen.find('/') != std::string::npos || chosen.ends_with(".json")) {
    options.scenarioFile = chosen;
  } else {
    options.scenarioFile = runningDataFolder() / "scenarios" / (chosen + ".json");
  }
  if (options.scenarioFile) scenario = loadScenarioFile(*options.scenarioFile);

  const std::string name = scenarioName(scenario);
  if (auto dir = environment("BRISKLANE_STATE_DIR"); !dir.empty()) {
    options.stateDir = dir;
  } else {
    options.stateDir = stateHome() / "brisklane" / name;
  }
  if (auto dir = environment("BRISKLANE_AIR_DIR"); !dir.empty()) {
    options.airDir = dir;
  } else if (auto runtime = environment("XDG_RUNTIME_DIR"); !runtime.empty()) {
    options.airDir = std::filesystem::path(runtime) / "brisklane-air";
  } else {
    options.airDir = std::filesystem::temp_directory_path() / ("brisklane-air-" + std::to_string(getuid()));
  }
  options.desktopOpener = &openWithXdg;
  return std::make_shared<SimMachine>(scenario, std::move(options));
}

}  // namespace plat::sim
