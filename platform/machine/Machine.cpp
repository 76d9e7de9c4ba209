#include "machine/Machine.h"

#include <mutex>

#include "factory/MachineFactory.h"

namespace plat {
namespace {

std::mutex& machineMutex() {
  static std::mutex mutex;
  return mutex;
}

std::shared_ptr<Machine>& installed() {
  static std::shared_ptr<Machine> machine;
  return machine;
}

}  // namespace

std::shared_ptr<Machine> currentMachine() {
  std::lock_guard lock(machineMutex());
  auto& machine = installed();
  if (!machine) machine = machineFromEnvironment();
  return machine;
}

Machine& machine() { return *currentMachine(); }

void installMachine(std::shared_ptr<Machine> machine) {
  std::lock_guard lock(machineMutex());
  installed() = std::move(machine);
}

}  // namespace plat
