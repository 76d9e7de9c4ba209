#include "factory/MachineFactory.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "linux/LinuxMachine.h"
#include "sim/SimMachine.h"

namespace plat {
namespace {

const std::array kinds{
    MachineKind{"sim", [] { return std::shared_ptr<Machine>(sim::machineFromEnvironment()); }},
    MachineKind{"linux", [] { return std::shared_ptr<Machine>(std::make_shared<lnx::LinuxMachine>()); }},
};

std::string_view environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The kind a process runs on when BRISKLANE_MACHINE does not name one: the
// simulated laptop a scenario names, otherwise this computer. Never the
// simulation without a word: on a real desktop its successes would be lies.
std::string_view defaultKind() { return environment("BRISKLANE_SCENARIO").empty() ? "linux" : "sim"; }

std::string kindList() {
  std::string list;
  for (const MachineKind& kind : kinds) list += (list.empty() ? "" : ", ") + std::string(kind.name);
  return list;
}

// The description's text with the detail put in for "%1", for a message that
// is not translated.
std::string plainText(const MachineDescription& description, const std::string& text) {
  std::string plain = text;
  if (const auto insert = plain.find("%1"); insert != std::string::npos) plain.replace(insert, 2, description.detail);
  return plain;
}

}  // namespace

std::span<const MachineKind> machineKinds() { return kinds; }

const MachineKind& chosenMachineKind() {
  std::string_view wanted = environment("BRISKLANE_MACHINE");
  if (wanted.empty()) wanted = defaultKind();
  for (const MachineKind& kind : kinds) {
    if (kind.name == wanted) return kind;
  }
  throw std::runtime_error("BRISKLANE_MACHINE=" + std::string(wanted) + " is no kind of machine; the kinds are: " +
                           kindList());
}

std::shared_ptr<Machine> machineFromEnvironment() {
  const MachineKind& kind = chosenMachineKind();
  std::shared_ptr<Machine> machine = kind.make();
  const MachineDescription description = machine->description();
  std::fprintf(stderr, "brisklane: runs on the %.*s machine: %s\n", static_cast<int>(kind.name.size()),
               kind.name.data(), plainText(description, description.name).c_str());
  return machine;
}

}  // namespace plat
