// The machine that serves every platform call of this process.
//
// The Windows-shaped functions in platform/win32 own record layouts, size
// probes and error codes; the machine behind them only answers neutral
// questions about its system, registry, radio, network, services and
// Internet access. One machine is installed process-wide; the program never
// learns which kind it is. Tests install their own.
#pragma once

#include <memory>
#include <string>

namespace plat {

class SystemBackend;
class RegistryBackend;
class RadioBackend;
class NetworkBackend;
class ServiceBackend;
class InternetBackend;

// What the user is told about a machine, in English: the program translates
// the texts. A text may hold "%1", which stands for the detail (never
// translated).
struct MachineDescription {
  std::string name;    // what the machine is, e.g. for the About box
  std::string notice;  // what the main window always shows; empty on a real machine
  std::string detail;  // put in for "%1", e.g. a scenario's name
};

class Machine {
 public:
  virtual ~Machine() = default;

  virtual SystemBackend& system() = 0;
  virtual RegistryBackend& registry() = 0;
  virtual RadioBackend& radio() = 0;
  virtual NetworkBackend& network() = 0;
  virtual ServiceBackend& services() = 0;
  virtual InternetBackend& internet() = 0;

  virtual MachineDescription description() const = 0;
};

// The current machine. The first call without an installed machine creates
// the one the environment names (machineFromEnvironment in
// factory/MachineFactory.h); that call throws std::runtime_error naming the
// fault when it cannot be made.
Machine& machine();

// Replaces the current machine; null goes back to the environment's choice at
// the next machine() call. Callers keep the previous machine alive as long as
// something may still use it (threads, open handles).
void installMachine(std::shared_ptr<Machine> machine);

// The current machine as a shared reference, for objects (threads, library
// state) that must keep it alive while they run.
std::shared_ptr<Machine> currentMachine();

}  // namespace plat
