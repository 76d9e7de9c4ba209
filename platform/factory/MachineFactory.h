// The kinds of machine a process can run on, and the one place that chooses
// among them: BRISKLANE_MACHINE names the kind (see docs/scenarios.md).
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "machine/Machine.h"

namespace plat {

struct MachineKind {
  std::string_view name;  // as BRISKLANE_MACHINE names it
  // Makes the machine of this kind that the environment describes; throws
  // std::runtime_error naming the fault.
  std::shared_ptr<Machine> (*make)();
};

// Every kind, in the order messages list them.
std::span<const MachineKind> machineKinds();

// The kind the environment chooses: BRISKLANE_MACHINE when it is set and not
// empty, otherwise the default kind. Throws std::runtime_error naming the
// known kinds when BRISKLANE_MACHINE names none of them.
const MachineKind& chosenMachineKind();

// Makes the machine of the chosen kind and says on stderr which machine the
// process runs on. Throws std::runtime_error naming the fault.
std::shared_ptr<Machine> machineFromEnvironment();

}  // namespace plat
