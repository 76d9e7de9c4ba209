#include "service/WifiServiceRepair.h"

#include <exception>
#include <string>
#include <vector>

#include "Registry.h"

namespace {

// The leading backslash makes the path start at the root key.
const std::string InterfacesKey = "\\SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\";
const std::string ControlFlags = "ControlFlags";
// The flag by which the wireless service takes charge of the interface.
constexpr int InterfaceFlag = 0x8000;

// Opens the key of the first wireless interface, in the registry's order.
bool openFirstInterface(TRegistry& registry) {
  if (!registry.OpenKey(InterfacesKey, false)) return false;
  const std::vector<std::string> interfaces = registry.GetKeyNames();
  return !interfaces.empty() && registry.OpenKey(InterfacesKey + interfaces.front(), false);
}

}  // namespace

TWifiServiceRepair::TWifiServiceRepair() : FServiceControl("wzcsvc", "") {}

bool TWifiServiceRepair::NeedsServiceStart() {
  return FServiceControl.State() != ServiceState::Running || InterfaceFlagMissing();
}

bool TWifiServiceRepair::InterfaceFlagMissing() {
  TRegistry registry(KEY_ALL_ACCESS);
  if (!openFirstInterface(registry)) return false;
  return (registry.ReadInteger(ControlFlags) & InterfaceFlag) == 0;
}

bool TWifiServiceRepair::SetInterfaceFlag() {
  TRegistry registry(KEY_ALL_ACCESS);
  if (!openFirstInterface(registry)) return false;
  registry.WriteInteger(ControlFlags, registry.ReadInteger(ControlFlags) | InterfaceFlag);
  return true;
}

bool TWifiServiceRepair::RestartService() {
  FServiceControl.Stop();
  bool flagSet = false;
  std::exception_ptr error;
  try {
    flagSet = SetInterfaceFlag();
  } catch (...) {
    error = std::current_exception();
  }
  FServiceControl.Start();
  if (error) std::rethrow_exception(error);
  return flagSet;
}
