#include "sim/SimMachine.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "sim/SimInternet.h"
#include "sim/SimNetwork.h"
#include "sim/SimRadio.h"
#include "sim/SimRegistry.h"
#include "sim/SimServices.h"

namespace plat::sim {
namespace {

const nlohmann::json& section(const nlohmann::json& scenario, const char* name) {
  static const nlohmann::json empty = nlohmann::json::object();
  auto it = scenario.find(name);
  return it == scenario.end() ? empty : *it;
}

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::filesystem::path programFolder() {
  std::error_code error;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::current_path() : exe.parent_path();
}

}  // namespace

SimMachine::SimMachine(const nlohmann::json& scenario, SimOptions options)
    : scenario_(scenario), options_(std::move(options)) {
  if (!scenario_.is_object()) throw std::runtime_error("a scenario must be a JSON object");
  name_ = scenario_.value("name", std::string("unnamed"));
  try {
    system_ = std::make_unique<SimSystem>(section(scenario_, "os"), options_.simulatedClock, options_.desktopOpener);
    std::optional<std::filesystem::path> registryFile;
    if (options_.stateDir) registryFile = *options_.stateDir / "registry.json";
    registry_ = std::make_unique<SimRegistry>(section(scenario_, "registry"), registryFile);
    network_ = std::make_unique<SimNetwork>(*this, scenario_);
    services_ = std::make_unique<SimServices>(*this, scenario_);
    radio_ = std::make_unique<SimRadio>(*this, scenario_);
    internet_ = std::make_unique<SimInternet>(*this, scenario_);
  } catch (const nlohmann::json::exception& e) {
    throw std::runtime_error("scenario \"" + name_ + "\": " + e.what());
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
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot open scenario file " + path.string());
  try {
    return nlohmann::json::parse(in, nullptr, true, /*ignore_comments=*/true);
  } catch (const nlohmann::json::exception& e) {
    throw std::runtime_error("scenario file " + path.string() + " is not valid JSON: " + e.what());
  }
}

std::shared_ptr<SimMachine> machineFromEnvironment() {
  nlohmann::json scenario;
  const std::string chosen = environment("BRISKLANE_SCENARIO");
  if (chosen.empty()) {
    scenario = defaultScenario();
  } else if (chosen.find('/') != std::string::npos || chosen.ends_with(".json")) {
    scenario = loadScenarioFile(chosen);
  } else {
    scenario = loadScenarioFile(programFolder() / "scenarios" / (chosen + ".json"));
  }

  SimOptions options;
  const std::string name = scenario.value("name", std::string("unnamed"));
  if (auto dir = environment("BRISKLANE_STATE_DIR"); !dir.empty()) {
    options.stateDir = dir;
  } else if (auto xdg = environment("XDG_STATE_HOME"); !xdg.empty()) {
    options.stateDir = std::filesystem::path(xdg) / "brisklane" / name;
  } else if (auto home = environment("HOME"); !home.empty()) {
    options.stateDir = std::filesystem::path(home) / ".local" / "state" / "brisklane" / name;
  }
  if (auto dir = environment("BRISKLANE_AIR_DIR"); !dir.empty()) {
    options.airDir = dir;
  } else if (auto runtime = environment("XDG_RUNTIME_DIR"); !runtime.empty()) {
    options.airDir = std::filesystem::path(runtime) / "brisklane-air";
  } else {
    options.airDir = std::filesystem::temp_directory_path() / ("brisklane-air-" + std::to_string(getuid()));
  }
  options.desktopOpener = &SimSystem::openWithXdg;
  return std::make_shared<SimMachine>(scenario, std::move(options));
}

}  // namespace plat::sim
