// The machine that serves every platform call of this process.
//
// The Windows-shaped functions in platform/win32 own record layouts, size
// probes and error codes; the machine behind them only answers neutral
// questions about its system, registry, radio, network, services and
// Internet access. One machine is installed process-wide; the program never
// learns which kind it is. Tests install their own.
#pragma once

#include <memory>

namespace plat {

class SystemBackend;
class RegistryBackend;
class RadioBackend;
class NetworkBackend;
class ServiceBackend;
class InternetBackend;

class Machine {
 public:
  virtual ~Machine() = default;

  virtual SystemBackend& system() = 0;
  virtual RegistryBackend& registry() = 0;
  virtual RadioBackend& radio() = 0;
  virtual NetworkBackend& network() = 0;
  virtual ServiceBackend& services() = 0;
  virtual InternetBackend& internet() = 0;
};

// The current machine. The first call without an installed machine creates
// the one the environment names (see docs/scenarios.md).
Machine& machine();

// Replaces the current machine; null goes back to the environment's choice at
// the next machine() call. Callers keep the previous machine alive as long as
// something may still use it (threads, open handles).
void installMachine(std::shared_ptr<Machine> machine);

// The current machine as a shared reference, for objects (threads, library
// state) that must keep it alive while they run.
std::shared_ptr<Machine> currentMachine();

}  // namespace plat
