#include "testkit/SimMachineBuilder.h"

#include "machine/Machine.h"

namespace testkit {

SimMachineBuilder::SimMachineBuilder() {
  scenario_ = {{"name", "test"},
               {"os", {{"major", 6}, {"minor", 1}, {"build", 7601}, {"wow64", true}}},
               {"registry", nlohmann::json::object()}};
}

SimMachineBuilder& SimMachineBuilder::scenario(nlohmann::json scenario) {
  scenario_ = std::move(scenario);
  return *this;
}

SimMachineBuilder& SimMachineBuilder::os(unsigned major, unsigned minor, nlohmann::json wow64) {
  scenario_["os"]["major"] = major;
  scenario_["os"]["minor"] = minor;
  scenario_["os"]["wow64"] = std::move(wow64);
  return *this;
}

SimMachineBuilder& SimMachineBuilder::registryKey(const std::string& path) {
  auto& key = scenario_["registry"][path];
  if (key.is_null()) key = nlohmann::json::object();
  return *this;
}

SimMachineBuilder& SimMachineBuilder::registryValue(const std::string& path, const std::string& name,
                                                    nlohmann::json value) {
  scenario_["registry"][path][name] = std::move(value);
  return *this;
}

SimMachineBuilder& SimMachineBuilder::section(const std::string& name, nlohmann::json value) {
  scenario_[name] = std::move(value);
  return *this;
}

SimMachineBuilder& SimMachineBuilder::service(nlohmann::json service) {
  scenario_["services"].push_back(std::move(service));
  return *this;
}

SimMachineBuilder& SimMachineBuilder::stateDir(std::filesystem::path dir) {
  options_.stateDir = std::move(dir);
  return *this;
}

SimMachineBuilder& SimMachineBuilder::airDir(std::filesystem::path dir) {
  options_.airDir = std::move(dir);
  return *this;
}

SimMachineBuilder& SimMachineBuilder::simulatedClock(bool on) {
  options_.simulatedClock = on;
  return *this;
}

std::shared_ptr<plat::sim::SimMachine> SimMachineBuilder::build() const {
  return std::make_shared<plat::sim::SimMachine>(scenario_, options_);
}

nlohmann::json shippedScenario(const std::string& name) {
  return plat::sim::loadScenarioFile(std::filesystem::path(BRISKLANE_SOURCE_DIR) / "scenarios" / (name + ".json"));
}

ScopedMachine::ScopedMachine(std::shared_ptr<plat::Machine> machine) : previous_(plat::currentMachine()) {
  plat::installMachine(std::move(machine));
}

ScopedMachine::~ScopedMachine() { plat::installMachine(std::move(previous_)); }

}  // namespace testkit
